#include "serial/SerialConnection.h"

namespace varnadex {

bool SerialConnection::open() {
    if (!link_.OpenPort(comPort_, kConverterSpeed)) return false;
    link_.SendLeadIn();
    return true;
}

} // namespace varnadex
