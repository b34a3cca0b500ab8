#pragma once

#include "app/MessageCatalogue.h"
#include "config/RegisterLink.h"

#include <optional>
#include <string>

namespace varnadex {

// Why a transport could not be opened, as the operation tells the user: the box, and the
// reason behind it that only a terminal has room for (empty when there is none).
struct OpenFailure {
    std::string message;
    std::string note;
};

// One operation's hold on a transport: opened at its start, closed on every path at its end.
// Serial: OpenPort(9600) and the six-'X' lead-in. Network: create, connect, set community.
class IConfigConnection {
public:
    virtual ~IConfigConnection() = default;
    // Nothing when the port or socket can be used; otherwise why not. The transport says
    // nothing itself: the operation shows it.
    virtual std::optional<OpenFailure> open() = 0;
    virtual void close() = 0;
    virtual IRegisterLink& link() = 0;
    // The transport's communication-error message, for the last exchange that failed.
    virtual std::string communicationError(const MessageCatalogue& catalogue) const = 0;
};

} // namespace varnadex
