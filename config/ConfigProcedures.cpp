#include "config/ConfigProcedures.h"

#include "app/Text.h"
#include "config/CodePage.h"
#include "config/FieldText.h"
#include "config/RegisterMap.h"
#include "config/TypedAccessors.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <variant>

namespace varnadex {
namespace {

// The transport's link as a procedure sees it: it counts the register exchanges for the
// progress shown to the user, and refuses the next exchange once a stop has been asked for.
class GuardedLink : public IRegisterLink {
public:
    GuardedLink(IRegisterLink& inner, const OperationControl& control, int total)
        : inner_(inner), control_(control), total_(total) {}

    int GetRegister(std::uint8_t address) override {
        return guarded([&] { return inner_.GetRegister(address); });
    }
    int SetRegister(std::uint8_t address, std::uint8_t value) override {
        return guarded([&] { return inner_.SetRegister(address, value); });
    }
    // The version comes after the last register: nothing is left to protect by then.
    std::string GetFirmwareVersion() override { return inner_.GetFirmwareVersion(); }

    void setTotal(int total) {
        total_ = total;
        report();
    }
    int done() const { return done_; }
    int total() const { return total_; }
    bool stopped() const { return stopped_; }

private:
    template <class Exchange> int guarded(Exchange exchange) {
        if (control_.stopRequested()) {
            stopped_ = true;
            return -1;
        }
        const int result = exchange();
        if (result >= 0) ++done_;
        report();
        return result;
    }
    void report() {
        if (control_.progress) control_.progress(done_, total_);
    }

    IRegisterLink& inner_;
    const OperationControl& control_;
    int total_;
    int done_ = 0;
    bool stopped_ = false;
};

// Registers a walk over `order` moves, the community's characters apart.
int registersIn(std::span<const TransferStep> order) {
    int n = 0;
    for (const TransferStep& s : order)
        if (!s.characters) n += s.field->count;
    return n;
}

// The name the settings dialogs give a field, so a message points at what to correct.
std::string labelOf(const Field& f, bool english) {
    const char* label = english ? f.label.english : f.label.hungarian;
    return label ? label : f.name;
}

} // namespace

std::optional<std::string> checkWritable(const ConverterConfig& c,
                                         const MessageCatalogue& catalogue) {
    if (c.enableMac && !parseMac(*textOf(macField(), c))) return catalogue.text(Msg::WrongMac);
    for (const TransferStep& step : writeOrder()) {
        const Field& f = *step.field;
        if (step.characters || f.rule != Rule::Text) continue;
        const std::string& text = *textOf(f, c);
        switch (f.kind) {
        case AccessorKind::Ipv4:
            if (!parseIpv4(text))
                return catalogue.extra(ExtraMsg::WrongIpAddress, labelOf(f, catalogue.english()),
                                       text);
            break;
        case AccessorKind::Word:
            if (parseWord(text)) break;
            if (f.speed) return catalogue.extra(ExtraMsg::WrongSpeed, text);
            return catalogue.extra(ExtraMsg::WrongPort, labelOf(f, catalogue.english()), text);
        case AccessorKind::Hex:
            if (!parseHexByte(text)) return catalogue.text(Msg::WrongHex);
            break;
        default:
            break;
        }
    }
    for (const Field* f : registerMap()) {
        if (f->rule != Rule::Community) continue;
        const std::string& community = *textOf(*f, c);
        if (!toConverterText(communityForWrite(community)))
            return catalogue.extra(ExtraMsg::CommunityNotConvertible, community);
    }
    return std::nullopt;
}

bool ConfigProcedures::firmwareIsOld(const std::string& version) const {
    if (version == catalogue_.text(Msg::Unknown)) return true;
    // The major number as a number: 10.0 is newer than 2.0, not older.
    const auto digits = leadingDigits(version);
    if (digits.empty()) return true;
    // Past a million it is no old version either.
    const auto major = parseDecimal(digits, 1'000'000);
    return major && *major < 2;
}

OpResult ConfigProcedures::notOpened(const OpenFailure& failure) {
    sink_.show(MessageKind::Error, failure.message);
    if (!failure.note.empty()) sink_.note(failure.note);
    return OpResult::NotOpened;
}

OpResult ConfigProcedures::fail(IConfigConnection& connection) {
    sink_.show(MessageKind::Error, connection.communicationError(catalogue_));
    connection.close();
    return OpResult::CommunicationFailed;
}

void ConfigProcedures::finish(ConverterConfig& config, IConfigConnection& connection,
                              TypedAccessors& acc) {
    config.firmwareVersion = acc.GetVersion();
    connection.close();
    sink_.show(MessageKind::Plain, catalogue_.text(Msg::Done));
    if (firmwareIsOld(config.firmwareVersion))
        sink_.show(MessageKind::Plain, catalogue_.text(Msg::OldFirmware));
}

OpResult ConfigProcedures::stopped(IConfigConnection& connection, const std::string& account) {
    connection.close();
    sink_.show(MessageKind::Error, account);
    return OpResult::Interrupted;
}

OpResult ConfigProcedures::ReadConf(ConverterConfig& config, IConfigConnection& connection,
                                    const OperationControl& control) {
    if (auto failure = connection.open()) return notOpened(*failure);
    // Until the community's length is read, as if it were as long as it can be.
    const int planned = registersIn(readOrder());
    GuardedLink link(connection.link(), control, planned + int(kCommunityMaxLength));
    TypedAccessors acc(link);
    const ConverterConfig before = config;
    for (const TransferStep& step : readOrder()) {
        const Field* f = step.field;
        int ok = 0;
        if (f->rule == Rule::Text) {
            std::string& out = *textOf(*f, config);
            switch (f->kind) {
            case AccessorKind::Mac:
                ok = acc.GetMac(f->first, out);
                break;
            case AccessorKind::Ipv4:
                ok = acc.GetIp(f->first, out);
                break;
            case AccessorKind::Word:
                ok = acc.GetWord(f->first, out);
                break;
            case AccessorKind::Hex:
                ok = acc.GetHex(f->first, out);
                break;
            default:
                break;
            }
        } else if (f->rule == Rule::Community) {
            std::uint8_t length = 0;
            ok = acc.GetByte(f->first, length);
            std::string community;
            const std::size_t n = std::min<std::size_t>(length, kCommunityMaxLength);
            if (ok) link.setTotal(planned + int(n));
            for (std::size_t i = 0; ok && i < n; ++i) {
                std::uint8_t ch = 0;
                ok = acc.GetByte(static_cast<std::uint8_t>(f->first + 1 + i), ch);
                community += static_cast<char>(ch);
            }
            if (ok) *textOf(*f, config) = fromConverterText(community);
        } else {
            std::uint8_t value = 0;
            ok = acc.GetByte(f->first, value);
            if (ok) applyRegisterValue(*f, value, config);
        }
        if (!ok && link.stopped()) {
            config = before;
            return stopped(connection, catalogue_.extra(ExtraMsg::ReadInterrupted));
        }
        if (!ok) return fail(connection);
    }
    finish(config, connection, acc);
    return OpResult::Ok;
}

OpResult ConfigProcedures::WriteConf(ConverterConfig& config, IConfigConnection& connection,
                                     const OperationControl& control) {
    // A typo must never leave the converter half-written: refuse before anything is sent.
    if (auto problem = checkWritable(config, catalogue_)) {
        sink_.show(MessageKind::Error, *problem);
        return OpResult::BadInput;
    }
    if (auto failure = connection.open()) return notOpened(*failure);
    // The community is cut in the record itself, and then stored in the converter's code page
    // (checked above: every character has its byte there).
    std::string community;
    int planned = registersIn(writeOrder());
    for (const TransferStep& step : writeOrder()) {
        const Field& f = *step.field;
        if (f.rule == Rule::Community && !step.characters) {
            std::string& text = *textOf(f, config);
            text = communityForWrite(text);
            community = toConverterText(text).value_or("");
            planned += int(community.size());
        }
        // A network delay outside Small, Medium and Huge is not written.
        if (f.rule == Rule::NetworkDelay && !registerValueFor(f, config)) planned -= f.count;
    }
    if (config.enableMac) planned += macField().count;
    GuardedLink link(connection.link(), control, planned);
    TypedAccessors acc(link);
    auto failed = [&] {
        if (!link.stopped()) return fail(connection);
        if (link.done() == 0)
            return stopped(connection, catalogue_.extra(ExtraMsg::WriteInterruptedUnchanged));
        return stopped(connection,
                       catalogue_.extra(ExtraMsg::WriteInterrupted, std::to_string(link.done()),
                                        std::to_string(link.total())));
    };
    const auto wrote = [&](const Field& f) {
        if (control.fieldWritten) control.fieldWritten(f.name);
    };
    if (config.enableMac) {
        if (!acc.SetMac(macField().first, *textOf(macField(), config))) return failed();
        wrote(macField());
    }
    for (const TransferStep& step : writeOrder()) {
        const Field* f = step.field;
        int ok = 1;
        if (step.characters) {
            for (std::size_t i = 0; ok && i < community.size(); ++i)
                ok = acc.SetByte(static_cast<std::uint8_t>(f->first + 1 + i),
                                 static_cast<std::uint8_t>(community[i]));
        } else if (f->rule == Rule::Text) {
            const std::string& text = *textOf(*f, config);
            switch (f->kind) {
            case AccessorKind::Ipv4:
                ok = acc.SetIp(f->first, text);
                break;
            case AccessorKind::Word:
                ok = acc.SetWord(f->first, text);
                break;
            case AccessorKind::Hex:
                ok = acc.SetHex(f->first, text);
                break;
            default:
                break;
            }
        } else if (f->rule == Rule::Community) {
            ok = acc.SetByte(f->first, static_cast<std::uint8_t>(community.size()));
        } else if (auto value = registerValueFor(*f, config)) {
            ok = acc.SetByte(f->first, *value);
        } else {
            continue; // a value with no register form is not written
        }
        if (!ok) return failed();
        // The community is whole once its characters follow its length.
        if (f->rule != Rule::Community || step.characters) wrote(*f);
    }
    finish(config, connection, acc);
    return OpResult::Ok;
}

} // namespace varnadex
