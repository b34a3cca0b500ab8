#include "platform/FileIo.h"

#include "platform/WinText.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace varnadex {
namespace {

std::string reason(DWORD error) {
    return systemMessage(error);
}

std::string tooLarge(std::size_t limit) {
    return "larger than " + std::to_string(limit / 1024) + " KiB; no configuration file is";
}

// Closes a handle on every path out.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    // Closes now; false when the close itself failed.
    bool reset() {
        const bool ok = !valid() || ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

// Reads until end of input or one byte past the limit.
FileRead readAll(HANDLE h, std::size_t limit) {
    std::string content;
    char buffer[16384];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            const DWORD error = ::GetLastError();
            // A pipe whose writer has finished ends the input like end of file.
            if (error == ERROR_BROKEN_PIPE) break;
            return {std::nullopt, reason(error)};
        }
        if (n == 0) break;
        content.append(buffer, n);
        if (content.size() > limit) return {std::nullopt, tooLarge(limit)};
    }
    return {std::move(content), {}};
}

bool writeAll(HANDLE h, std::string_view content) {
    while (!content.empty()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
        if (!::WriteFile(h, content.data(), want, &n, nullptr) || n == 0) return false;
        content.remove_prefix(n);
    }
    return true;
}

std::wstring folderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return path.substr(0, slash);
}

std::wstring nameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The user this program runs as, in SDDL's form ("S-1-5-21-..."); empty when unknown. Named
// outright rather than as OWNER RIGHTS, which not every system's access check knows.
std::wstring currentUserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    Handle guard(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

// The security a replacement gets: the replaced file's own access list, or for a new file
// one that lets only its owner in (it may hold a community string). Null when neither can be
// had, and the folder's inherited access applies, as for any new file.
class Security {
public:
    explicit Security(HANDLE existing) {
        if (existing != INVALID_HANDLE_VALUE) {
            PACL dacl = nullptr;
            if (::GetSecurityInfo(existing, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor_) != ERROR_SUCCESS)
                descriptor_ = nullptr;
        } else {
            const std::wstring owner = currentUserSid();
            const std::wstring sddl = L"D:P(A;;FA;;;" + owner + L")";
            if (owner.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                     sddl.c_str(), SDDL_REVISION_1, &descriptor_, nullptr))
                descriptor_ = nullptr;
        }
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    ~Security() {
        if (descriptor_) ::LocalFree(descriptor_);
    }
    Security(const Security&) = delete;
    Security& operator=(const Security&) = delete;
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// A name of its own beside the target, created exclusively: a name planted in advance is
// never reused. INVALID_HANDLE_VALUE, with the last error set, when none can be made.
HANDLE createTemporary(const std::wstring& target, Security& security, std::wstring& name) {
    static std::atomic<unsigned> counter{0};
    LARGE_INTEGER now{};
    for (int attempt = 0; attempt < 100; ++attempt) {
        ::QueryPerformanceCounter(&now);
        wchar_t suffix[40];
        std::swprintf(suffix, 40, L".%lx%llx%x", ::GetCurrentProcessId(),
                      static_cast<unsigned long long>(now.QuadPart) & 0xffffff, counter++);
        name = folderOf(target) + L"\\." + nameOf(target) + suffix;
        const HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, security.attributes(),
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

FileRead readInputFile(const std::string& path, std::size_t limit) {
    if (path == "-") return readAll(::GetStdHandle(STD_INPUT_HANDLE), limit);
    const std::wstring wide = widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {std::nullopt, "not a regular file"};
    Handle h(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return {std::nullopt, reason(::GetLastError())};
    // A console, a pipe or a device ("CON", "COM1") could wait for ever.
    if (::GetFileType(h.get()) != FILE_TYPE_DISK) return {std::nullopt, "not a regular file"};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h.get(), &size)) return {std::nullopt, reason(::GetLastError())};
    if (static_cast<unsigned long long>(size.QuadPart) > limit)
        return {std::nullopt, tooLarge(limit)};
    return readAll(h.get(), limit); // the limit holds even for a file that grows meanwhile
}

std::optional<std::string> writeOutputFile(const std::string& path, std::string_view content,
                                           const std::function<bool()>&) {
    const std::wstring wide = widen(path);
    Handle existing(::CreateFileW(wide.c_str(), READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing.valid() && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return reason(::GetLastError());

    std::wstring target = wide;
    if (existing.valid()) {
        if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
            // The console, NUL, a pipe: the user means its stream, not a file in its place.
            existing.reset();
            Handle stream(::CreateFileW(wide.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
            if (!stream.valid()) return reason(::GetLastError());
            if (!writeAll(stream.get(), content)) return reason(::GetLastError());
            return std::nullopt;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(existing.get(), &info)) return reason(::GetLastError());
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "is a folder";
        // Through a symbolic link the file it names is replaced, and the link stays.
        wchar_t resolved[32768];
        const DWORD n = ::GetFinalPathNameByHandleW(existing.get(), resolved, 32768, 0);
        if (n > 0 && n < 32768) target.assign(resolved, n);
    }

    Security security(existing.valid() ? existing.get() : INVALID_HANDLE_VALUE);
    existing.reset();
    std::wstring temporary;
    Handle out(createTemporary(target, security, temporary));
    if (!out.valid()) return reason(::GetLastError());
    auto fail = [&](DWORD error) -> std::optional<std::string> {
        out.reset();
        ::DeleteFileW(temporary.c_str());
        return reason(error);
    };
    if (!writeAll(out.get(), content)) return fail(::GetLastError());
    if (!::FlushFileBuffers(out.get())) return fail(::GetLastError());
    if (!out.reset()) return fail(::GetLastError());
    // The rename is on disk before MoveFileEx returns.
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(::GetLastError());
    return std::nullopt;
}

} // namespace varnadex
