#pragma once

#include "app/Clock.h"
#include "app/MessageCatalogue.h"
#include "config/ConfigConnection.h"
#include "config/RegisterLink.h"
#include "snmp/AttemptSchedule.h"
#include "snmp/DatagramSocket.h"
#include "snmp/SnmpCodec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace varnadex {

constexpr std::uint16_t kSnmpPort = 161;

struct AgentAddress {
    std::string host;
    std::uint16_t port = kSnmpPort;
};

// `agentHost` as HOST or HOST:PORT (port 1-65535, digits only); nothing when malformed.
std::optional<AgentAddress> splitAgentHost(const std::string& agentHost);

// Whether `host` can be a host name or a dotted IPv4 address: letters, digits, '-', '_' and
// '.', or the letters of other alphabets in UTF-8, at most 253 bytes. Spaces, quotes, control
// characters, a NUL and bytes that are not UTF-8 never name a host, so they are never looked up.
bool isHostName(std::string_view host);

// Why `agentHost` cannot be used (an IPv6 address, a malformed HOST:PORT, a HOST that is no
// host name), or nothing.
std::optional<Problem> agentHostProblem(const std::string& agentHost);
// Why a community cannot be sent: it does not fit a request, or the converter's code page.
std::optional<Problem> communityProblem(const std::string& accessCommunity);

// The message that refuses `agentHost` and `accessCommunity` before anything is sent (an IPv6
// address, a malformed HOST:PORT, a community that does not fit a request or the converter's
// code page), or nothing when a connection may be tried.
std::optional<std::string> refuseAgentAccess(const std::string& agentHost,
                                             const std::string& accessCommunity,
                                             const MessageCatalogue& catalogue);

// The connection to the converter's SNMP agent and its four transactions. Each transaction
// makes up to five attempts, each with a fresh request-id and a window from the
// AttemptSchedule: 20, 220, 420, 620 and 820 ms on a quick link, longer on a link whose round
// trips have shown to be longer. The transaction ends at the first accepted answer to any of
// its attempts. Transactions show no message; the caller decides what to report.
class CSnmpSocket : public IRegisterLink {
public:
    CSnmpSocket(IDatagramSocket& socket, IClock& clock, const MessageCatalogue& catalogue)
        : socket_(socket), clock_(clock), catalogue_(catalogue) {}
    ~CSnmpSocket() override { CloseConnection(); }
    CSnmpSocket(const CSnmpSocket&) = delete;
    CSnmpSocket& operator=(const CSnmpSocket&) = delete;

    // Creates the socket, connects it to the agent and takes the community: nothing, or why
    // not, as the user is told it (the socket is then closed).
    std::optional<OpenFailure> OpenConnection(const std::string& agentHost,
                                              const std::string& accessCommunity);
    void CloseConnection();
    bool isOpen() const { return open_; }

    // The register's value, or -1.
    int GetRegister(std::uint8_t address) override;
    // The echoed value, or -1.
    int SetRegister(std::uint8_t address, std::uint8_t value) override;
    // 1 when the converter acknowledged the reset, or -1.
    int RequestReset();
    // "major.minor", or the catalogue's "Unknown" text (also for a converter that says 0.0).
    std::string GetFirmwareVersion() override;

    // The id the last request carried. One counter for every kind; it wraps from 255 to 0
    // and survives opening and closing.
    std::uint8_t requestId() const { return requestId_; }
    const std::string& community() const { return community_; }
    // What the user is told of the last failed transaction: "Check target IP and Community
    // string!" when nothing came back, that the converter answered too slowly when answers came
    // but none to its own requests.
    std::string communicationError(const MessageCatalogue& catalogue) const;

private:
    struct Transaction {
        RequestKind kind;
        std::uint8_t address = 0;
        std::uint8_t value = 0;
        std::array<std::uint8_t, AttemptSchedule::kAttempts> ids{}; // of the attempts sent
        std::array<Millis, AttemptSchedule::kAttempts> sentAt{};
        int sent = 0;
        bool heardOthers = false; // answers to other ids came
    };

    std::optional<SnmpResult> Transact(RequestKind kind, std::uint8_t address, std::uint8_t value);
    // Waits on the socket until `deadline` for an answer to any attempt sent so far.
    std::optional<SnmpResult> AwaitAnswer(Transaction& t, Millis deadline);

    IDatagramSocket& socket_;
    IClock& clock_;
    const MessageCatalogue& catalogue_;
    std::string community_;
    std::uint8_t requestId_ = 0;
    bool open_ = false;
    std::string agentHost_;
    AttemptSchedule schedule_;
    bool answeredLate_ = false;
};

} // namespace varnadex
