#include "app/MessageCatalogue.h"

#include "app/Utf8.h"

namespace varnadex {
namespace {

// The texts stand exactly as the converter's users have always seen them, spelling included.
constexpr std::array<const char*, kCatalogueSize> kEnglish = {
    "Unknown",
    "There is an error",
    "Couldn't create socket!",
    "Couldn't connect to the remote host",
    "Communication error! Check target IP and Community string!",
    "Done",
    "Communication error! Press Conf key on equipment or check the cable.",
    "Couldn't open communication port!",
    "Wrong MAC Address!",
    "Firmware isn't compatible with this equipment!",
    "Firmware download was successfull",
    "Download error! Restart converter and try again!",
    "Firmware download wasn't acknowledged! Maybe there is some problem! Try again!",
    "Couldn't send data to the COM port!",
    "Wrong HEX number!",
    "The converter uses old fimrware, please update it.",
};

constexpr std::array<const char*, kCatalogueSize> kHungarian = {
    "Ismeretlen",
    "A művelet során hiba lépett fel",
    "Nem sikerült a Socket létrehozása!",
    "Nem tudok kapcsolódni a távoli eszközhöz",
    "Kommunikációs hiba! Ellenőrízze az IP címet és a jelszót (Community)!",
    "Kész",
    "Kommunikációs hiba! Nyomja meg a Conf rejtett gombot a konverteren vagy ellenőrízze a "
    "kábelt.",
    "Nem tudom megnyitni a soros portot!",
    "Hibás MAC azonosító!",
    "A szoftver nem kompatibilis ezzel az eszközzel!",
    "A szoftver sikeresen letöltődött",
    "Hiba lépett fel a letöltés során! Indítsa újra a konvertert és kisérelje meg újra a "
    "letöltést!",
    "A szoftverfrissítés nem került nyugtázásra! Valószínűleg valamilyen hibe lépett fel. "
    "Próbálja újra letölteni.",
    "Nem tudok adatot küldeni a soros portra!",
    "Hibás Hexadecimiális szám!",
    "A konverterben egy régebbi szoftver (firmware) működik, kérjük, frissítse!",
};

struct ExtraText {
    const char* english;
    const char* hungarian;
    // %2 is a reason of the program's own making (one that already cuts what it quotes), not
    // a value echoed back, and is put in whole.
    bool ownReason = false;
};

constexpr ExtraText kExtra[] = {
    {"Wrong IP address in \"%1\": \"%2\". Enter four numbers from 0 to 255 separated by dots.",
     "Hibás IP cím (\"%1\"): \"%2\". Négy, pontokkal elválasztott számot adjon meg 0 és 255 "
     "között."},
    {"Wrong number in \"%1\": \"%2\". Enter a whole number from 0 to 65535.",
     "Hibás szám (\"%1\"): \"%2\". 0 és 65535 közötti egész számot adjon meg."},
    {"Wrong port speed: \"%1\". Enter a whole number from 0 to 65535.",
     "Hibás portsebesség: \"%1\". 0 és 65535 közötti egész számot adjon meg."},
    {"The community string is too long: at most %1 characters fit in a request.",
     "A community túl hosszú: legfeljebb %1 karakter fér el egy kérésben."},
    {"Wrong port number after the host name: \"%1\". Use HOST or HOST:PORT with a port from 1 "
     "to 65535.",
     "Hibás portszám a host-név után: \"%1\". HOST vagy HOST:PORT alakot használjon, 1 és "
     "65535 közötti porttal."},
    {"The firmware file \"%1\" holds no firmware image.",
     "A(z) \"%1\" firmware fájl nem tartalmaz szoftvert."},
    {"A firmware download is running. Stop it and quit?",
     "Szoftverletöltés van folyamatban. Megszakítja és kilép?"},
    {"The community string \"%1\" holds a character the converter cannot store. Use letters "
     "of the Central European alphabets, digits and punctuation.",
     "A(z) \"%1\" community olyan karaktert tartalmaz, amelyet a konverter nem tud tárolni. "
     "Közép-európai betűket, számjegyeket és írásjeleket használjon."},
    {"Stopped. The configuration was not read; nothing was changed.",
     "Leállítva. A konfiguráció beolvasása nem fejeződött be; semmi sem változott."},
    {"Stopped after %1 of %2 registers. The converter now holds part of the new "
     "configuration: write it again.",
     "Leállítva %1 / %2 regiszter után. A konverterben most az új konfigurációnak csak egy "
     "része van: írja be újra."},
    {"Stopped before anything was written. The converter is unchanged.",
     "Leállítva, mielőtt bármi beíródott volna. A konverter nem változott."},
    {"Stopped. The converter now holds an incomplete firmware image: load the firmware again.",
     "Leállítva. A konverterben most hiányos szoftver van: töltse le újra a szoftvert."},
    {"%1: in use by another program", "%1: egy másik program használja"},
    {"%1: no such device", "%1: nincs ilyen eszköz"},
    {"%1: permission denied: add your user to the dialout group",
     "%1: hozzáférés megtagadva: vegye fel a felhasználóját a dialout csoportba"},
    {"%1: not a serial port", "%1: nem soros port"},
    {"%1: the port refuses the line settings (%2)",
     "%1: a port nem fogadja el a vonal beállításait (%2)"},
    {"%1: %2", "%1: %2"},
    {"Couldn't send the restart frame to the COM port.",
     "Nem tudom elküldeni az újraindítási parancsot a soros portra."},
    {"IPv6 is not supported (\"%1\"): use an IPv4 address or a host name.",
     "Az IPv6 nem támogatott (\"%1\"): IPv4 címet vagy host-nevet adjon meg."},
    {"Couldn't open the firmware file \"%1\".", "Nem tudom megnyitni a(z) \"%1\" firmware fájlt."},
    {"The converter is being read or written. Stop and quit?",
     "A konverter olvasása vagy írása folyamatban van. Megszakítja és kilép?"},
    {"Cannot read \"%1\": %2", "Nem tudom beolvasni: \"%1\": %2", true},
    {"\"%1\" is no configuration this program can use: %2",
     "A(z) \"%1\" fájl nem használható konfigurációként: %2", true},
    {"Opened \"%1\", with these notes:\n%2", "Megnyitva: \"%1\". Megjegyzések:\n%2", true},
    {"Cannot write \"%1\": %2", "Nem tudom kiírni: \"%1\": %2", true},
    {"Read back after the write, the converter does not hold what was written in: %2.",
     "A beírás utáni visszaolvasáskor a konverter nem azt tartalmazta, amit beírtunk: %2.", true},
};

void appendHexEscape(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

void appendEscapedControl(std::string& out, unsigned char c) {
    switch (c) {
    case '\a':
        out += "\\a";
        break;
    case '\b':
        out += "\\b";
        break;
    case '\t':
        out += "\\t";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\v':
        out += "\\v";
        break;
    case '\f':
        out += "\\f";
        break;
    case '\r':
        out += "\\r";
        break;
    default:
        appendHexEscape(out, c);
    }
}

static_assert(std::size(kExtra) == static_cast<std::size_t>(ExtraMsg::VerifyFailed) + 1,
              "one text per ExtraMsg");

std::string substitute(std::string_view text, const std::string& a1, const std::string& a2,
                       bool ownReason) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            if (text[i + 1] == '2' && ownReason)
                out += a2;
            else
                out += echoedValue(text[i + 1] == '1' ? a1 : a2);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string echoedValue(std::string_view value) {
    std::string out;
    std::size_t chars = 0;
    std::size_t i = 0;
    for (; i < value.size() && chars < kEchoedChars; ++chars) {
        const auto c = static_cast<unsigned char>(value[i]);
        std::size_t next = i;
        const auto codePoint = nextCodePoint(value, next);
        const std::size_t length = next - i;
        if (!codePoint) {
            appendHexEscape(out, c);
            i += 1;
        } else if (c < 0x20 || c == 0x7F) {
            appendEscapedControl(out, c);
            i += 1;
        } else if (*codePoint >= 0x80 && *codePoint < 0xA0) {
            // U+0080..U+009F: the C1 controls, CSI among them, which terminals obey as well.
            appendHexEscape(out, c);
            appendHexEscape(out, static_cast<unsigned char>(value[i + 1]));
            i += 2;
        } else {
            out.append(value.substr(i, length));
            i += length;
        }
    }
    if (i < value.size()) out += "\u2026";
    return out;
}

void MessageCatalogue::fill(int language) {
    english_ = language == 1;
    const auto& source = english_ ? kEnglish : kHungarian;
    for (int i = 0; i < kCatalogueSize; ++i)
        texts_[i] = source[i];
}

std::string MessageCatalogue::extra(ExtraMsg which, const std::string& arg1,
                                    const std::string& arg2) const {
    const ExtraText& t = kExtra[static_cast<int>(which)];
    return substitute(english_ ? t.english : t.hungarian, arg1, arg2, t.ownReason);
}

} // namespace varnadex
