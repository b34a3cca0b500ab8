#pragma once

#include "config/ConfigConnection.h"
#include "config/ConverterConfig.h"
#include "snmp/SnmpSocket.h"

namespace varnadex {

// One network operation's hold on the converter: the socket to `agentHost` with
// `accessCommunity`, as the record holds them when the operation opens it.
class SnmpConnection : public IConfigConnection {
public:
    SnmpConnection(CSnmpSocket& socket, const ConverterConfig& config)
        : socket_(socket), config_(config) {}

    std::optional<OpenFailure> open() override {
        return socket_.OpenConnection(config_.agentHost, config_.accessCommunity);
    }
    void close() override { socket_.CloseConnection(); }
    IRegisterLink& link() override { return socket_; }
    std::string communicationError(const MessageCatalogue& catalogue) const override {
        return socket_.communicationError(catalogue);
    }

private:
    CSnmpSocket& socket_;
    const ConverterConfig& config_;
};

} // namespace varnadex
