#pragma once

// A fleet in virtual time: an unconnected socket whose far ends are simulated agents, refusing
// hosts and silent addresses, over the fake clock that its waits advance.
#include "sim/SnmpResponder.h"
#include "snmp/ProbeSocket.h"
#include "tests/support/FakeClock.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace varnadex::test {

class FakeProbeSocket : public IProbeSocket {
public:
    struct Host {
        std::unique_ptr<sim::RegisterMemory> memory = std::make_unique<sim::RegisterMemory>();
        std::unique_ptr<sim::SnmpResponder> responder; // none: refuses with port unreachable
        Millis delay{1};
    };
    struct Sent {
        Millis at;
        Ipv4Address to;
        std::uint16_t port;
        std::vector<std::uint8_t> bytes;
    };

    explicit FakeProbeSocket(FakeClock& clock) : clock_(clock) {}

    // Addresses never mentioned are silent.
    Host& agent(Ipv4Address address, sim::SnmpFaults faults = {}, Millis delay = Millis(1)) {
        Host& h = hosts_[address];
        h.responder = std::make_unique<sim::SnmpResponder>(*h.memory, log_, std::move(faults));
        h.delay = delay;
        return h;
    }
    void refusing(Ipv4Address address) { hosts_[address].responder.reset(); }

    bool open() override { return opened = true; }
    void close() override { opened = false; }
    bool sendTo(Ipv4Address to, std::uint16_t port, std::span<const std::uint8_t> bytes) override {
        sent.push_back({clock_.now(), to, port, {bytes.begin(), bytes.end()}});
        const auto host = hosts_.find(to);
        if (host == hosts_.end()) return true;
        if (!host->second.responder) {
            arrive(clock_.now() + Millis(1), {ProbeEvent::Kind::Refused, to, port, 0}, {});
        } else if (auto answer = host->second.responder->handle(bytes)) {
            arrive(clock_.now() + host->second.delay,
                   {ProbeEvent::Kind::Datagram, to, port, answer->bytes.size()}, answer->bytes);
        }
        return true;
    }
    ProbeEvent receiveFrom(std::span<std::uint8_t> buffer, Millis timeout) override {
        const Millis until = clock_.now() + timeout;
        if (queue_.empty() || queue_.front().at > until) {
            clock_.advance(until - clock_.now());
            return {};
        }
        auto next = std::move(queue_.front());
        queue_.erase(queue_.begin());
        if (next.at > clock_.now()) clock_.advance(next.at - clock_.now());
        std::copy_n(next.bytes.begin(), std::min(next.bytes.size(), buffer.size()), buffer.begin());
        return next.event;
    }

    std::vector<Sent> sentTo(Ipv4Address address) const {
        std::vector<Sent> out;
        for (const auto& s : sent)
            if (s.to == address) out.push_back(s);
        return out;
    }

    std::vector<Sent> sent;
    bool opened = false;

private:
    struct Arrival {
        Millis at;
        ProbeEvent event;
        std::vector<std::uint8_t> bytes;
    };
    void arrive(Millis at, ProbeEvent event, std::vector<std::uint8_t> bytes) {
        auto pos = std::upper_bound(queue_.begin(), queue_.end(), at,
                                    [](Millis t, const Arrival& a) { return t < a.at; });
        queue_.insert(pos, {at, event, std::move(bytes)});
    }

    FakeClock& clock_;
    sim::SimLog log_;
    std::map<Ipv4Address, Host> hosts_;
    std::vector<Arrival> queue_;
};

} // namespace varnadex::test
