#pragma once

#include "app/Interruption.h"
#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "config/ConfigConnection.h"
#include "config/ConverterConfig.h"

#include <optional>
#include <string>

namespace varnadex {

enum class OpResult {
    Ok,
    NotOpened,           // the port or socket could not be used; its message was shown
    BadInput,            // a field would not convert; nothing was sent
    CommunicationFailed, // the converter did not answer or refused
    Interrupted,         // stopped between two register exchanges; what that left was shown
};

// The message for the first field Write Conf could not convert, in the order it would send
// them (the MAC address only with enableMac); nothing when all can.
std::optional<std::string> checkWritable(const ConverterConfig& config,
                                         const MessageCatalogue& catalogue);

// Read Conf and Write Conf, written once over whichever transport the connection holds.
class ConfigProcedures {
public:
    ConfigProcedures(IMessageSink& sink, const MessageCatalogue& catalogue)
        : sink_(sink), catalogue_(catalogue) {}

    // Loads the converter's whole configuration into the record. A field keeps its old
    // value unless its whole read succeeded; firmwareVersion changes only on success. A read
    // that is stopped changes nothing at all.
    OpResult ReadConf(ConverterConfig& config, IConfigConnection& connection,
                      const OperationControl& control = {});
    // Stores the whole record into the converter (the MAC address only with enableMac).
    // Every text the write converts is checked before the transport is opened. A write that
    // is stopped says how far it got: the converter then holds part of the record.
    OpResult WriteConf(ConverterConfig& config, IConfigConnection& connection,
                       const OperationControl& control = {});

    // Unknown, unreadable or major version below 2.
    bool firmwareIsOld(const std::string& version) const;

private:
    OpResult notOpened(const OpenFailure& failure);
    OpResult fail(IConfigConnection& connection);
    OpResult stopped(IConfigConnection& connection, const std::string& account);
    void finish(ConverterConfig& config, IConfigConnection& connection, class TypedAccessors& acc);

    IMessageSink& sink_;
    const MessageCatalogue& catalogue_;
};

} // namespace varnadex
