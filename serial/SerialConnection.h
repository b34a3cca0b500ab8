#pragma once

#include "config/ConfigConnection.h"
#include "serial/SerialLink.h"

#include <string>

namespace varnadex {

// A configuration transfer's hold on the COM port: open at 9600 b/s, the lead-in, and the
// close at the end.
class SerialConnection : public IConfigConnection {
public:
    // comPort is read at each open(), so it follows the record it belongs to.
    SerialConnection(CSerialLink& link, const std::string& comPort)
        : link_(link), comPort_(comPort) {}
    SerialConnection(CSerialLink& link, std::string&& comPort) = delete;

    std::optional<OpenFailure> open() override;
    void close() override { link_.ClosePort(); }
    IRegisterLink& link() override { return link_; }
    std::string communicationError(const MessageCatalogue& catalogue) const override {
        return catalogue.text(Msg::SerialCommError);
    }

private:
    CSerialLink& link_;
    const std::string& comPort_;
};

} // namespace varnadex
