#include "snmp/SnmpSocket.h"

#include "app/Text.h"
#include "app/Utf8.h"
#include "config/CodePage.h"
#include "config/FieldText.h"
#include "snmp/SnmpMessage.h"

#include <algorithm>
#include <array>

namespace varnadex {

std::optional<AgentAddress> splitAgentHost(const std::string& agentHost) {
    const auto colon = agentHost.find(':');
    if (colon == std::string::npos) return AgentAddress{agentHost, kSnmpPort};
    const std::string host = agentHost.substr(0, colon);
    const std::string port = agentHost.substr(colon + 1);
    if (host.empty() || port.size() > 5) return std::nullopt;
    const auto value = parseDecimal(port, 65535);
    if (!value || *value == 0) return std::nullopt;
    return AgentAddress{host, static_cast<std::uint16_t>(*value)};
}

namespace {

// Two colons, or brackets, can only be an IPv6 address: a host name has no colon and HOST:PORT
// one. The converter's agent speaks IPv4 only, and the socket here is IPv4.
bool looksLikeIpv6(const std::string& agentHost) {
    const auto first = agentHost.find(':');
    return agentHost.starts_with('[') ||
           (first != std::string::npos && agentHost.find(':', first + 1) != std::string::npos);
}

// What the connection itself refuses: the window has always tried any other name, and shown
// the connect message for one that does not resolve.
std::optional<Problem> addressProblem(const std::string& agentHost) {
    if (looksLikeIpv6(agentHost)) return Problem(ExtraMsg::Ipv6NotSupported, {agentHost});
    if (!splitAgentHost(agentHost)) return Problem(ExtraMsg::BadHostPort, {agentHost});
    return std::nullopt;
}

bool hostCharacter(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    // Letters of other alphabets (an internationalised name); not the C1 controls, the
    // no-break space, the general punctuation and spaces, the ideographic space or a BOM.
    return c >= 0xA1 && !(c >= 0x2000 && c <= 0x206F) && c != 0x3000 && c != 0xFEFF;
}

} // namespace

bool isHostName(std::string_view host) {
    constexpr std::size_t kLongestName = 253;
    if (host.empty() || host.size() > kLongestName) return false;
    for (std::size_t i = 0; i < host.size();) {
        const auto c = nextCodePoint(host, i);
        if (!c || !hostCharacter(*c)) return false;
    }
    return true;
}

std::optional<Problem> agentHostProblem(const std::string& agentHost) {
    if (auto problem = addressProblem(agentHost)) return problem;
    const auto host = splitAgentHost(agentHost)->host;
    if (!isHostName(host)) return Problem(ExtraMsg::ListBadHost, {host});
    return std::nullopt;
}

std::optional<Problem> communityProblem(const std::string& accessCommunity) {
    // The converter compares the community's bytes in its own code page.
    const auto community = toConverterText(accessCommunity);
    if (!community) return Problem(ExtraMsg::CommunityNotConvertible, {accessCommunity});
    if (community->size() > kMaxSnmpCommunity)
        return Problem(ExtraMsg::CommunityTooLong, {std::to_string(kMaxSnmpCommunity)});
    return std::nullopt;
}

std::optional<std::string> refuseAgentAccess(const std::string& agentHost,
                                             const std::string& accessCommunity,
                                             const MessageCatalogue& catalogue) {
    if (auto problem = agentHostProblem(agentHost)) return catalogue.say(*problem);
    if (auto problem = communityProblem(accessCommunity)) return catalogue.say(*problem);
    return std::nullopt;
}

std::optional<OpenFailure> CSnmpSocket::OpenConnection(const std::string& agentHost,
                                                       const std::string& accessCommunity) {
    CloseConnection();
    if (!socket_.create()) {
        // The machine's failure, not the converter's: it was sent nothing.
        const std::string why = socket_.lastFailure();
        return OpenFailure{catalogue_.text(Msg::CouldntCreateSocket),
                           why.empty() ? "" : catalogue_.extra(ExtraMsg::NoSocket, why)};
    }
    const auto refused = [&](std::string message) {
        socket_.close();
        return OpenFailure{std::move(message), {}};
    };
    if (auto problem = addressProblem(agentHost)) return refused(catalogue_.say(*problem));
    const auto address = splitAgentHost(agentHost);
    if (!socket_.connect(address->host, address->port))
        return refused(catalogue_.text(Msg::CouldntConnect) + " (" + echoedValue(agentHost) + ")!");
    // Also checked before the operation by those who can say so sooner; refused here, once,
    // rather than by every transaction failing in turn.
    if (auto problem = communityProblem(accessCommunity)) return refused(catalogue_.say(*problem));
    community_ = *toConverterText(accessCommunity);
    // What one converter's answers taught says nothing of another's.
    if (agentHost != agentHost_) schedule_.forget();
    agentHost_ = agentHost;
    answeredLate_ = false;
    open_ = true;
    return std::nullopt;
}

void CSnmpSocket::CloseConnection() {
    if (!open_) return;
    socket_.close();
    open_ = false;
}

std::optional<SnmpResult> CSnmpSocket::Transact(RequestKind kind, std::uint8_t address,
                                                std::uint8_t value) {
    if (!open_) return std::nullopt;
    // Checked before the first id is spent: a request that cannot be built sends nothing.
    if (!BuildRequest(kind, community_, 0, address, value).ok()) return std::nullopt;

    // Whatever waits now answers an earlier transaction. Later on, an answer to any attempt of
    // this one is the answer: on a slow link the first attempt's answer may come in the third
    // attempt's window.
    socket_.discardWaiting();
    Transaction t{kind, address, value};
    for (int attempt = 0; attempt < AttemptSchedule::kAttempts; ++attempt) {
        ++requestId_;
        const auto request = BuildRequest(kind, community_, requestId_, address, value);
        t.ids[static_cast<std::size_t>(attempt)] = requestId_;
        t.sentAt[static_cast<std::size_t>(attempt)] = clock_.now();
        t.sent = attempt + 1;
        // A send that fails shows as a missing answer.
        socket_.send(request.bytes);
        const Millis deadline = clock_.now() + schedule_.window(attempt);
        if (auto result = AwaitAnswer(t, deadline)) {
            answeredLate_ = false;
            return result;
        }
    }
    answeredLate_ = t.heardOthers;
    return std::nullopt;
}

std::optional<SnmpResult> CSnmpSocket::AwaitAnswer(Transaction& t, Millis deadline) {
    // The socket reports a datagram's true size, so an oversized one shows without a bigger
    // buffer.
    std::array<std::uint8_t, kSnmpBufferSize> buffer{};
    for (Millis left = deadline - clock_.now(); left > Millis(0); left = deadline - clock_.now()) {
        const ReceiveResult got = socket_.receive(buffer, left);
        if (got.status == ReceiveResult::Status::Failed) {
            // Nothing more can come; keep the schedule rather than spin or hurry the next send.
            clock_.sleepFor(left);
            return std::nullopt;
        }
        if (got.status == ReceiveResult::Status::Nothing) continue;
        // A datagram over the buffer's size is never the answer, whatever its first bytes say;
        // like a stray it must not cost the answer that may still follow it.
        if (got.size > buffer.size()) continue;
        const auto datagram = std::span<const std::uint8_t>(buffer).first(got.size);
        for (int i = 0; i < t.sent; ++i) {
            const auto attempt = static_cast<std::size_t>(i);
            if (auto result = ReadResponse(t.kind, datagram, community_.size(), t.ids[attempt],
                                           t.address, t.value)) {
                // Each attempt has its own id: the round trip is that attempt's.
                schedule_.heard(clock_.now() - t.sentAt[attempt]);
                return result;
            }
        }
        // An answer to none of this transaction's ids: one to an earlier transaction, come
        // after it had given up. Not the answer; wait on.
        if (const auto id = answerId(datagram);
            id && std::find(t.ids.begin(), t.ids.begin() + t.sent, *id) == t.ids.begin() + t.sent)
            t.heardOthers = true;
    }
    return std::nullopt;
}

std::string CSnmpSocket::communicationError(const MessageCatalogue& catalogue) const {
    return answeredLate_ ? catalogue.extra(ExtraMsg::AnsweredTooSlowly)
                         : catalogue.text(Msg::NetworkCommError);
}

int CSnmpSocket::GetRegister(std::uint8_t address) {
    auto result = Transact(RequestKind::RegisterRead, address, 0);
    return result ? result->value : -1;
}

int CSnmpSocket::SetRegister(std::uint8_t address, std::uint8_t value) {
    auto result = Transact(RequestKind::RegisterWrite, address, value);
    return result ? result->value : -1;
}

int CSnmpSocket::RequestReset() {
    return Transact(RequestKind::Reset, 0, 0) ? 1 : -1;
}

std::string CSnmpSocket::GetFirmwareVersion() {
    auto result = Transact(RequestKind::Version, 0, 0);
    if (!result || (result->major == 0 && result->minor == 0)) {
        return catalogue_.text(Msg::Unknown);
    }
    return formatVersion(result->major, result->minor);
}

} // namespace varnadex
