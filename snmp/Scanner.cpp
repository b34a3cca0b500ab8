#include "snmp/Scanner.h"

#include "config/CodePage.h"
#include "config/FieldText.h"
#include "config/RegisterMap.h"
#include "snmp/BerReader.h"
#include "snmp/SnmpCodec.h"
#include "snmp/SnmpMessage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <queue>
#include <unordered_map>

namespace varnadex {
namespace {

// The registers of the fields a scan reads, in the order they are read.
std::vector<std::uint8_t> scanRegisters() {
    std::vector<std::uint8_t> registers;
    for (const Field& field : fields()) {
        if (!uses(field, Scanned)) continue;
        for (std::uint8_t i = 0; i < field.count; ++i)
            registers.push_back(static_cast<std::uint8_t>(field.first + i));
    }
    return registers;
}

// One address's progress. Step 0 asks for the version; step k > 0 reads registers[k - 1].
struct Probe {
    ScanFinding finding;
    int step = 0;
    int attempt = 0;
    std::array<std::uint8_t, AttemptSchedule::kAttempts> ids{}; // of this step's attempts so far
    std::array<Millis, AttemptSchedule::kAttempts> sentAt{};
    int sent = 0;             // attempts of this step sent
    AttemptSchedule schedule; // what this address's answers have taught
    std::uint8_t nextId = 0;
    std::uint32_t sends = 0; // every send; tells a live deadline from a stale one
    bool inFlight = false;
    bool queued = false;
    bool settled = false;
    std::vector<std::uint8_t> bytes; // register values read so far
};

struct Deadline {
    Millis at;
    std::size_t probe;
    std::uint32_t sends;
    bool operator>(const Deadline& other) const { return at > other.at; }
};

class Scan {
public:
    Scan(IProbeSocket& socket, IClock& clock, const ScanSettings& settings,
         const std::vector<Ipv4Address>& addresses,
         const std::function<void(const ScanFinding&)>& found)
        : socket_(socket), clock_(clock), settings_(settings), found_(found),
          registers_(scanRegisters()), bucket_(settings.rate, clock.now()) {
        probes_.resize(addresses.size());
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            probes_[i].finding.address = addresses[i];
            // Different starting ids per address make a stray answer from a neighbour less
            // likely to match; matching goes by address first anyway.
            probes_[i].nextId = static_cast<std::uint8_t>(addresses[i] * 37u);
            index_.emplace(addresses[i], i);
        }
        open_ = addresses.size();
    }

    ScanEnd run(const std::function<bool()>& stopping) {
        std::array<std::uint8_t, kSnmpBufferSize> buffer{};
        while (open_ > 0) {
            if (stopping && stopping()) return ScanEnd::Interrupted;
            const Millis now = clock_.now();
            expire(now);
            sendWhatIsDue(now);
            if (open_ == 0) break;

            // Wait for the first of: an answer, a window's end, a token for what waits to go.
            Millis wait{100};
            if (!deadlines_.empty()) wait = std::min(wait, deadlines_.top().at - now);
            if (!ready_.empty() || next_ < probes_.size())
                wait = std::min(wait, bucket_.untilNext());
            wait = std::max(wait, Millis(0));
            // A burst of answers is taken in one go before the bookkeeping runs again.
            for (int taken = 0; taken < 256; ++taken) {
                const ProbeEvent event = socket_.receiveFrom(buffer, taken == 0 ? wait : Millis(0));
                if (event.kind == ProbeEvent::Kind::Failed) return ScanEnd::SocketFailed;
                if (event.kind == ProbeEvent::Kind::Nothing) break;
                take(event, buffer);
            }
        }
        return ScanEnd::Finished;
    }

private:
    RequestKind kindOf(const Probe& p) const {
        return p.step == 0 ? RequestKind::Version : RequestKind::RegisterRead;
    }
    std::uint8_t registerOf(const Probe& p) const {
        return p.step == 0 ? 0 : registers_[static_cast<std::size_t>(p.step - 1)];
    }

    void expire(Millis now) {
        while (!deadlines_.empty() && deadlines_.top().at <= now) {
            const Deadline d = deadlines_.top();
            deadlines_.pop();
            Probe& p = probes_[d.probe];
            if (p.settled || !p.inFlight || p.sends != d.sends) continue;
            p.inFlight = false;
            if (p.attempt + 1 < AttemptSchedule::kAttempts) {
                ++p.attempt;
                schedule(d.probe);
            } else {
                giveUp(p);
            }
        }
    }

    void sendWhatIsDue(Millis now) {
        while (!ready_.empty() || next_ < probes_.size()) {
            if (!bucket_.take(now)) return;
            std::size_t index;
            if (!ready_.empty()) {
                index = ready_.front();
                ready_.pop_front();
                probes_[index].queued = false;
                if (probes_[index].settled) continue;
            } else {
                index = next_++;
            }
            send(index, now);
        }
    }

    void send(std::size_t index, Millis now) {
        Probe& p = probes_[index];
        const std::uint8_t id = ++p.nextId;
        p.ids[static_cast<std::size_t>(p.attempt)] = id;
        p.sentAt[static_cast<std::size_t>(p.attempt)] = now;
        p.sent = p.attempt + 1;
        ++p.sends;
        p.inFlight = true;
        const auto request = BuildRequest(kindOf(p), settings_.community, id, registerOf(p), 0);
        socket_.sendTo(p.finding.address, settings_.port, request.bytes);
        deadlines_.push({now + p.schedule.window(p.attempt), index, p.sends});
    }

    void schedule(std::size_t index) {
        if (probes_[index].queued) return;
        probes_[index].queued = true;
        ready_.push_back(index);
    }

    void take(const ProbeEvent& event, std::span<const std::uint8_t> buffer) {
        if (event.port != settings_.port) return;
        const auto at = index_.find(event.from);
        if (at == index_.end()) return;
        Probe& p = probes_[at->second];
        if (p.settled || p.sent == 0) return;

        if (event.kind == ProbeEvent::Kind::Refused) {
            // A refusal after the version answer would be a converter gone mid-read: its
            // missing registers show that.
            if (p.step == 0) settle(p, ScanStatus::Refused);
            return;
        }
        if (event.size > buffer.size()) return;
        const auto datagram = buffer.first(event.size);
        for (int i = 0; i < p.sent; ++i) {
            const auto result = ReadResponse(kindOf(p), datagram, settings_.community.size(),
                                             p.ids[static_cast<std::size_t>(i)], registerOf(p), 0);
            if (result) {
                p.schedule.heard(clock_.now() - p.sentAt[static_cast<std::size_t>(i)]);
                advance(at->second, *result);
                return;
            }
        }
        if (p.step == 0 && answersUs(datagram, p)) settle(p, ScanStatus::NotAConverter);
    }

    // A well-formed response to one of our requests that the codec did not take: an agent
    // that has no such object (noSuchName), or one that answered with another.
    static bool answersUs(std::span<const std::uint8_t> datagram, const Probe& p) {
        const auto id = answerId(datagram);
        return id && std::any_of(p.ids.begin(), p.ids.begin() + p.sent,
                                 [&](std::uint8_t ours) { return *id == ours; });
    }

    void advance(std::size_t index, const SnmpResult& result) {
        Probe& p = probes_[index];
        if (p.step == 0) {
            p.finding.firmware = formatVersion(result.major, result.minor);
        } else {
            p.bytes.push_back(result.value);
        }
        p.inFlight = false;
        p.attempt = 0;
        p.sent = 0;
        if (static_cast<std::size_t>(p.step) == registers_.size()) {
            settle(p, ScanStatus::Converter);
            return;
        }
        ++p.step;
        schedule(index);
    }

    void giveUp(Probe& p) { settle(p, p.step == 0 ? ScanStatus::NoAnswer : ScanStatus::Converter); }

    void settle(Probe& p, ScanStatus status) {
        p.settled = true;
        p.inFlight = false;
        p.finding.status = status;
        if (status == ScanStatus::Converter) fillFields(p);
        --open_;
        if (found_) found_(p.finding);
    }

    // Each scanned field from its registers, as far as they were read.
    static void fillFields(Probe& p) {
        std::size_t at = 0;
        for (const Field& field : fields()) {
            if (!uses(field, Scanned)) continue;
            std::optional<std::string> text;
            if (p.bytes.size() >= at + field.count)
                text = registerText(field.kind, std::span(p.bytes).subspan(at, field.count));
            p.finding.values.emplace_back(&field, std::move(text));
            at += field.count;
        }
    }

    IProbeSocket& socket_;
    IClock& clock_;
    const ScanSettings& settings_;
    const std::function<void(const ScanFinding&)>& found_;
    const std::vector<std::uint8_t> registers_;
    TokenBucket bucket_;
    std::vector<Probe> probes_;
    std::unordered_map<Ipv4Address, std::size_t> index_;
    std::size_t next_ = 0; // the next address to get its first probe
    std::size_t open_ = 0; // addresses not yet settled
    std::deque<std::size_t> ready_;
    std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> deadlines_;
};

} // namespace

TokenBucket::TokenBucket(unsigned rate, Millis now)
    : rate_(std::max(1u, rate)), capacity_(std::max(1.0, rate_ / 100.0)), tokens_(capacity_),
      last_(now) {}

bool TokenBucket::take(Millis now) {
    if (now > last_) {
        tokens_ = std::min(capacity_,
                           tokens_ + static_cast<double>((now - last_).count()) * rate_ / 1000.0);
        last_ = now;
    }
    if (tokens_ < 1.0) return false;
    tokens_ -= 1.0;
    return true;
}

Millis TokenBucket::untilNext() const {
    if (tokens_ >= 1.0) return Millis(0);
    const double ms = std::ceil((1.0 - tokens_) * 1000.0 / rate_);
    return Millis(std::max<long long>(1, static_cast<long long>(ms)));
}

std::optional<std::string> ScanFinding::value(std::string_view field) const {
    for (const auto& [f, text] : values)
        if (field == f->name) return text;
    return std::nullopt;
}

std::optional<Problem> ScanSettings::problem() const {
    if (community.size() > kMaxSnmpCommunity)
        return Problem(ExtraMsg::CommunityTooLong, {std::to_string(kMaxSnmpCommunity)});
    if (port == 0) return Problem(ExtraMsg::ScanSnmpPort);
    if (rate == 0 || rate > kMaxScanRate)
        return Problem(ExtraMsg::ScanRate, {std::to_string(kMaxScanRate)});
    return std::nullopt;
}

std::variant<ScanSettings, Problem> makeScanSettings(std::uint16_t port,
                                                     const std::string& community, unsigned rate) {
    if (auto problem = communityProblem(community)) return *problem;
    ScanSettings settings{port, *toConverterText(community), rate};
    if (auto problem = settings.problem()) return *problem;
    return settings;
}

ScanEnd Scanner::run(const std::vector<Ipv4Address>& addresses,
                     const std::function<void(const ScanFinding&)>& found) {
    if (settings_.problem()) return ScanEnd::BadSettings;
    if (!socket_.open()) return ScanEnd::SocketFailed;
    Scan scan(socket_, clock_, settings_, addresses, found);
    const ScanEnd end = scan.run(stopping_);
    socket_.close();
    return end;
}

} // namespace varnadex
