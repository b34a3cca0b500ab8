#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace varnadex::test {

// A program run as a child. Its standard error is read line by line from a pipe; its standard
// output goes into the same pipe, into a pipe of its own, to a file (/dev/full), or nowhere
// (a closed descriptor).
class ChildProcess {
public:
    enum class Output { WithErrors, OwnPipe, Closed };

    explicit ChildProcess(std::vector<std::string> args, Output output = Output::WithErrors,
                          const std::string& outputFile = {}) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int errPipe[2], outPipe[2] = {-1, -1};
        if (::pipe2(errPipe, O_CLOEXEC) != 0) return;
        if (output == Output::OwnPipe && ::pipe2(outPipe, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!outputFile.empty())
            posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY, 0);
        else if (output == Output::OwnPipe)
            posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        else if (output == Output::Closed)
            posix_spawn_file_actions_addclose(&actions, 1);
        else
            posix_spawn_file_actions_adddup2(&actions, errPipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
        if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(errPipe[1]);
        err = ::fdopen(errPipe[0], "r");
        if (outPipe[1] >= 0) {
            ::close(outPipe[1]);
            out = ::fdopen(outPipe[0], "r");
        }
    }
    ~ChildProcess() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            finish();
        }
        if (err) std::fclose(err);
        closeOutput();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard error (and of standard output, when they share the pipe), or
    // "" at its end.
    std::string line() { return lineOf(err); }
    // Everything still to come there, up to the end.
    std::string rest() {
        std::string text;
        if (!err) return text;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, err)) > 0;)
            text.append(buffer, n);
        return text;
    }
    // Reads lines until one holds `text`; the lines read, or "" when the output ended first.
    std::string until(const std::string& text) {
        std::string read;
        while (err && !std::feof(err)) {
            const std::string l = line();
            read += l + "\n";
            if (l.find(text) != std::string::npos) return read;
        }
        return {};
    }
    // The next line of standard output when it has a pipe of its own.
    std::string outputLine() { return lineOf(out); }
    // Standard output's reader goes away, as `head -1` does after its line.
    void closeOutput() {
        if (out) std::fclose(out);
        out = nullptr;
    }
    // The exit status, or -1 when the child did not exit by itself (a signal ended it).
    int finish() {
        int status = 0;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid = -1;

private:
    static std::string lineOf(std::FILE* from) {
        std::string s;
        if (!from) return s;
        for (int c = std::fgetc(from); c != EOF && c != '\n'; c = std::fgetc(from))
            s += static_cast<char>(c);
        return s;
    }

    std::FILE* err = nullptr;
    std::FILE* out = nullptr;
};

} // namespace varnadex::test
