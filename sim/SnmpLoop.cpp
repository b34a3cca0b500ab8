#include "sim/SnmpLoop.h"

#include "snmp/SnmpMessage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnadex::sim {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Datagrams taken from one socket before the others have their turn.
constexpr int kBurst = 16;
// Descriptors kept back beside the sockets: the wake-up pipe, the log and image files, the
// pseudo-terminal, and what a library opens of its own.
constexpr std::uint64_t kDescriptorMargin = 32;

std::string droppedLine(const char* what, std::span<const std::uint8_t> request) {
    std::string line = std::string("snmp ") + what;
    if (const auto m = decodeSnmpMessage(request, BerRules::Lenient))
        line += " id=" + std::to_string(m->requestId);
    return line;
}

// Descriptors open now; a generous guess where /proc cannot tell.
std::uint64_t openDescriptors() {
    std::error_code ec;
    std::uint64_t n = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
         it.increment(ec))
        ++n;
    return ec || n == 0 ? 64 : n;
}

} // namespace

class SnmpLoop::Run {
public:
    explicit Run(SimLog& log) : log_(log) {}
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    ~Run();

    std::optional<std::uint16_t> listen(Ipv4Address address, std::uint16_t port,
                                        SnmpResponder& responder);
    bool start(const LinkSettings& link);
    bool running() const { return thread_.joinable(); }
    std::size_t size() const { return endpoints_.size(); }

private:
    struct Endpoint {
        int fd;
        SnmpResponder* responder;
        std::uint64_t in = 0;  // datagrams that came for it
        std::uint64_t out = 0; // answers it gave
    };
    // A request on its way to its agent, or an answer on its way back.
    struct InFlight {
        SteadyClock::time_point due;
        std::uint64_t order; // equal times keep the order they were queued in
        std::size_t agent;
        sockaddr_in peer;
        bool request;
        std::vector<std::uint8_t> bytes; // the request
        SnmpResponder::Answer answer;
    };
    static bool later(const InFlight& a, const InFlight& b) {
        return a.due != b.due ? a.due > b.due : a.order > b.order;
    }

    void loop();
    void releaseDue();
    void receive(std::size_t agent);
    void arrive(std::size_t agent, const sockaddr_in& peer, std::span<const std::uint8_t> request);
    void act(std::size_t agent, const sockaddr_in& peer, std::span<const std::uint8_t> request);
    void send(std::size_t agent, const sockaddr_in& peer, const SnmpResponder::Answer& answer);
    void schedule(InFlight item);

    SimLog& log_;
    LinkModel link_;
    std::vector<Endpoint> endpoints_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::vector<InFlight> queue_; // a heap, the soonest on top
    std::uint64_t queued_ = 0;
};

SnmpLoop::Run::~Run() {
    if (thread_.joinable()) {
        const char byte = 's';
        [[maybe_unused]] auto ignored = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (const auto& e : endpoints_)
        ::close(e.fd);
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

std::optional<std::uint16_t> SnmpLoop::Run::listen(Ipv4Address address, std::uint16_t port,
                                                   SnmpResponder& responder) {
    if (running()) return std::nullopt;
    sockaddr_in bindTo{};
    bindTo.sin_family = AF_INET;
    bindTo.sin_addr.s_addr = htonl(address);
    bindTo.sin_port = htons(port);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    socklen_t length = sizeof bindTo;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&bindTo), sizeof bindTo) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&bindTo), &length) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    endpoints_.push_back({fd, &responder});
    return ntohs(bindTo.sin_port);
}

bool SnmpLoop::Run::start(const LinkSettings& link) {
    if (running() || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    link_ = LinkModel(link);
    thread_ = std::thread([this] { loop(); });
    return true;
}

void SnmpLoop::Run::loop() {
    std::vector<pollfd> fds;
    fds.reserve(endpoints_.size() + 1);
    fds.push_back({wake_[0], POLLIN, 0});
    for (const auto& e : endpoints_)
        fds.push_back({e.fd, POLLIN, 0});
    for (;;) {
        timespec wait{};
        const timespec* timeout = nullptr;
        if (!queue_.empty()) {
            const auto left =
                std::max(SteadyClock::duration::zero(), queue_.front().due - SteadyClock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
            timeout = &wait;
        }
        const int ready = ::ppoll(fds.data(), fds.size(), timeout, nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        releaseDue();
        if (ready == 0) continue;
        // Any event: an error waiting on a socket is cleared by reading it.
        for (std::size_t i = 1; i < fds.size(); ++i)
            if (fds[i].revents) receive(i - 1);
    }
}

void SnmpLoop::Run::releaseDue() {
    const auto now = SteadyClock::now();
    while (!queue_.empty() && queue_.front().due <= now) {
        std::pop_heap(queue_.begin(), queue_.end(), later);
        InFlight item = std::move(queue_.back());
        queue_.pop_back();
        if (item.request)
            act(item.agent, item.peer, item.bytes);
        else
            send(item.agent, item.peer, item.answer);
    }
}

void SnmpLoop::Run::receive(std::size_t agent) {
    std::array<std::uint8_t, 2048> buffer{};
    for (int i = 0; i < kBurst; ++i) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const ssize_t got = ::recvfrom(endpoints_[agent].fd, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&peer), &length);
        if (got < 0) {
            if (errno == EINTR) continue;
            return;
        }
        arrive(agent, peer, std::span(buffer).first(static_cast<std::size_t>(got)));
    }
}

void SnmpLoop::Run::arrive(std::size_t agent, const sockaddr_in& peer,
                           std::span<const std::uint8_t> request) {
    const auto way = link_.carry(agent, LinkWay::In, endpoints_[agent].in++);
    if (!way) {
        log_.add(droppedLine("dropped-in", request));
        return;
    }
    if (way->count() == 0) {
        act(agent, peer, request);
        return;
    }
    schedule(
        {SteadyClock::now() + *way, 0, agent, peer, true, {request.begin(), request.end()}, {}});
}

void SnmpLoop::Run::act(std::size_t agent, const sockaddr_in& peer,
                        std::span<const std::uint8_t> request) {
    Endpoint& endpoint = endpoints_[agent];
    auto answer = endpoint.responder->handle(request);
    if (!answer) return;
    const auto way = link_.carry(agent, LinkWay::Out, endpoint.out++);
    if (!way) {
        log_.add(droppedLine("dropped-out", request));
        return;
    }
    // "snmp-late" holds the answer back in the agent; the link's delay comes after.
    const auto delay = std::chrono::microseconds(answer->delay) + *way;
    if (delay.count() == 0) {
        send(agent, peer, *answer);
        return;
    }
    schedule({SteadyClock::now() + delay, 0, agent, peer, false, {}, std::move(*answer)});
}

void SnmpLoop::Run::send(std::size_t agent, const sockaddr_in& peer,
                         const SnmpResponder::Answer& answer) {
    // An oversized forerunner travels with its answer, so that it always comes first.
    auto sendBytes = [&](const std::vector<std::uint8_t>& bytes) {
        ::sendto(endpoints_[agent].fd, bytes.data(), bytes.size(), 0,
                 reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    };
    if (!answer.forerunner.empty()) sendBytes(answer.forerunner);
    sendBytes(answer.bytes);
}

void SnmpLoop::Run::schedule(InFlight item) {
    item.order = queued_++;
    queue_.push_back(std::move(item));
    std::push_heap(queue_.begin(), queue_.end(), later);
}

// --- the handle ------------------------------------------------------------------------------

SnmpLoop::SnmpLoop(SimLog& log) : log_(log), run_(std::make_unique<Run>(log)) {}

SnmpLoop::~SnmpLoop() = default;

std::optional<std::uint16_t> SnmpLoop::listen(Ipv4Address address, std::uint16_t port,
                                              SnmpResponder& responder) {
    return run_->listen(address, port, responder);
}

bool SnmpLoop::start() {
    return run_->start(link_);
}

void SnmpLoop::stop() {
    run_ = std::make_unique<Run>(log_);
}

bool SnmpLoop::running() const {
    return run_->running();
}

std::size_t SnmpLoop::size() const {
    return run_->size();
}

DescriptorRoom makeRoomForSockets(std::size_t sockets) {
    DescriptorRoom room;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return room;
    room.needed = openDescriptors() + sockets + kDescriptorMargin;
    room.limit = limit.rlim_max;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= room.needed) return room;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < room.needed) {
        room.enough = false;
        return room;
    }
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? room.needed : limit.rlim_max;
    room.enough = ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
    return room;
}

} // namespace varnadex::sim
