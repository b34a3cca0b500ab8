#include "serial/SerialConnection.h"

namespace varnadex {

std::optional<OpenFailure> SerialConnection::open() {
    if (!link_.OpenPort(comPort_, kConverterSpeed)) return link_.openFailure();
    link_.SendLeadIn();
    return std::nullopt;
}

} // namespace varnadex
