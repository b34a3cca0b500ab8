#pragma once

#include "app/MessageCatalogue.h"
#include "config/RegisterLink.h"

namespace varnadex {

// One operation's hold on a transport: opened at its start, closed on every path at its end.
// Serial: OpenPort(9600) and the six-'X' lead-in. Network: create, connect, set community.
class IConfigConnection {
public:
    virtual ~IConfigConnection() = default;
    // False when the port or socket cannot be used; the transport has shown its message.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual IRegisterLink& link() = 0;
    // The transport's communication-error message.
    virtual Msg communicationError() const = 0;
};

} // namespace varnadex
