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
    // The argument (%1, %2, ...) that is a reason of the program's own making or the system's
    // (one that already cuts what it quotes), not a value echoed back: it is put in whole.
    int own = 0;
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
    {"Cannot read \"%1\": %2", "Nem tudom beolvasni: \"%1\": %2", 2},
    {"\"%1\" is no configuration this program can use: %2",
     "A(z) \"%1\" fájl nem használható konfigurációként: %2", 2},
    {"Opened \"%1\", with these notes:\n%2", "Megnyitva: \"%1\". Megjegyzések:\n%2", 2},
    {"Cannot write \"%1\": %2", "Nem tudom kiírni: \"%1\": %2", 2},
    {"Read back after the write, the converter does not hold what was written in: %2.",
     "A beírás utáni visszaolvasáskor a konverter nem azt tartalmazta, amit beírtunk: %2.", 2},

    // Configuration files and field values.
    {"the file is not valid JSON: %1", "a fájl nem érvényes JSON: %1", 1},
    {"the file is not valid JSON (at \"%1\"): %2", "a fájl nem érvényes JSON (itt: \"%1\"): %2", 2},
    {"the file must hold one JSON object", "a fájlnak egyetlen JSON objektumot kell tartalmaznia"},
    {"\"%1\" is not a converter field", "\"%1\" nem a konverter mezője"},
    {"the field \"%1\" is missing", "hiányzik a(z) \"%1\" mező"},
    {"\"%1\" is given twice", "\"%1\" kétszer szerepel"},
    {"\"%1\" must be a single value", "\"%1\" értéke csak egyetlen érték lehet"},
    {"\"%1\" must be a text", "\"%1\" értéke szöveg kell legyen"},
    {"\"%1\" holds more than %2 characters", "\"%1\" több mint %2 karaktert tartalmaz"},
    {"\"%1\" must be one of the data formats (8N1, 7E1, ...)",
     "\"%1\" értéke az adatformátumok egyike kell legyen (8N1, 7E1, ...)"},
    {"\"%1\" must be a whole number", "\"%1\" értéke egész szám kell legyen"},
    {"\"%1\" must be between %2 and %3", "\"%1\" értéke %2 és %3 között kell legyen"},
    {"\"%1\" is %2, outside the settings dialog's range %3 to %4; it is written as it stands",
     "\"%1\" értéke %2, a beállító ablak %3 és %4 közötti tartományán kívül; változatlanul "
     "íródik be"},
    {"\"%1\" \"%2\" and \"%3\" %4 name different data formats",
     "a \"%1\" (\"%2\") és a \"%3\" (%4) különböző adatformátumot ad meg"},
    {"%1 is written only with --enable-mac", "a %1 csak az --enable-mac kapcsolóval írható"},

    // Lists of converters.
    {"the list is empty: its first line names the columns (host or port, ...)",
     "a lista üres: az első sora nevezi meg az oszlopokat (host vagy port, ...)"},
    {"line 1: column %1 has no name", "1. sor: a(z) %1. oszlopnak nincs neve"},
    {"line 1: the column \"%1\" is named twice", "1. sor: a(z) \"%1\" oszlop kétszer szerepel"},
    {"line 1: no \"host\" or \"port\" column", "1. sor: nincs \"host\" vagy \"port\" oszlop"},
    {"line %1: %2", "%1. sor: %2", 2},
    {"more cells than the first line has columns",
     "több cella, mint ahány oszlop az első sorban van"},
    {"give either a host or a port", "vagy hostot, vagy portot adjon meg"},
    {"\"%1\" is listed on line %2 already", "\"%1\" már szerepel a(z) %2. sorban"},
    {"\"%1\" is the same converter as \"%2\" on line %3",
     "\"%1\" ugyanaz a konverter, mint a(z) %3. sor \"%2\" konvertere"},
    {"\"%1\" is not a host name or IPv4 address", "\"%1\" nem host-név és nem IPv4 cím"},
    {"line %1: a quote is not closed", "%1. sor: egy idézőjel nincs lezárva"},
    {"line %1: text after a closing quote", "%1. sor: szöveg a záró idézőjel után"},

    // A batch's summary.
    {"%1 converters", "%1 konverter"},
    {"%1 ok", "%1 rendben"},
    {"%1 changed", "%1 módosítva"},
    {"%1 unchanged", "%1 változatlan"},
    {"%1 failed", "%1 sikertelen"},
    {"%1 differ", "%1 eltér"},
    {"stopped, %1 not started", "leállítva, %1 nem indult el"},
    {"standard output cannot be written: %1", "a szabványos kimenetre nem lehet írni: %1", 1},
    {"--jobs %1 is more than the open-file limit allows: %2 converters at a time",
     "a --jobs %1 több, mint amit a megnyitható fájlok korlátja enged: egyszerre %2 konverter"},
    {"this machine could not create a socket (%1); nothing was sent to the converter",
     "ez a gép nem tudott socketet létrehozni (%1); a konverter nem kapott semmit", 1},
    {"stopping: what is being written to converters is finished first; to end at once, stop "
     "again after a second, which may leave converters half written",
     "leállítás: előbb befejeződik a konverterek folyamatban lévő írása; az azonnali kilépéshez "
     "állítsa le újra egy másodperc múlva, ez félig írt konvertereket hagyhat"},
    {"ended at once; these converters were being written and now hold part of their "
     "configuration:",
     "azonnali kilépés; ezeknek a konvertereknek az írása folyamatban volt, most a "
     "konfigurációjuknak csak egy része van bennük:"},
    {"ended at once; no converter was being written",
     "azonnali kilépés; egyetlen konverter írása sem volt folyamatban"},

    // Finding converters.
    {"\"%1\": not an address, range or host name", "\"%1\": nem cím, tartomány vagy host-név"},
    {"\"%1\": a target file cannot name another file",
     "\"%1\": a célokat tartalmazó fájl nem nevezhet meg másik fájlt"},
    {"\"%1\": not a CIDR range such as 10.1.0.0/22",
     "\"%1\": nem CIDR tartomány (például 10.1.0.0/22)"},
    {"\"%1\": a prefix is at most /32", "\"%1\": az előtag legfeljebb /32 lehet"},
    {"\"%1\": wider than /%2 (65536 addresses); scan it in smaller ranges",
     "\"%1\": tágabb, mint /%2 (65536 cím); kisebb tartományokban keressen"},
    {"\"%1\": not an IPv4 address", "\"%1\": nem IPv4 cím"},
    {"\"%1\": unknown host", "\"%1\": ismeretlen host"},
    {"\"@%1\": %2", "\"@%1\": %2", 2},
    {"%1:%2: %3", "%1:%2: %3", 3},
    {"no address to scan", "nincs keresendő cím"},
    {"--rate takes 1 to %1 a second", "a --rate értéke 1 és %1 között lehet (másodpercenként)"},
    {"--snmp-port takes 1 to 65535", "a --snmp-port értéke 1 és 65535 között lehet"},
    {"No network socket could be had for the search.",
     "Nem sikerült hálózati socketet létrehozni a kereséshez."},
    {"stopped; addresses still being asked are not listed",
     "leállítva; a még folyamatban lévő címek nincsenek a listában"},
    {"Communication error: the converter answered too slowly. Check the link to it and try again.",
     "Kommunikációs hiba: a konverter túl lassan válaszolt. Ellenőrízze a kapcsolatot, és "
     "próbálja újra."},
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

static_assert(std::size(kExtra) == static_cast<std::size_t>(ExtraMsg::AnsweredTooSlowly) + 1,
              "one text per ExtraMsg");

// %1 to %9 replaced once, left to right, so that a "%2" inside an argument stays as it is.
std::string substitute(std::string_view text, const std::vector<std::string>& args, int own) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9') {
            const auto n = static_cast<std::size_t>(next - '0');
            const std::string& arg = n <= args.size() ? args[n - 1] : std::string();
            out += static_cast<int>(n) == own ? arg : echoedValue(arg);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string echoedValue(std::string_view value, std::size_t limit) {
    std::string out;
    std::size_t chars = 0;
    std::size_t i = 0;
    for (; i < value.size() && chars < limit; ++chars) {
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
    return substitute(english_ ? t.english : t.hungarian, {arg1, arg2}, t.own);
}

std::string MessageCatalogue::say(const Problem& problem) const {
    const ExtraText& t = kExtra[static_cast<int>(problem.message)];
    std::vector<std::string> args = problem.args;
    int own = t.own;
    if (problem.cause) {
        args.push_back(say(*problem.cause));
        own = static_cast<int>(args.size());
    }
    return substitute(english_ ? t.english : t.hungarian, args, own);
}

} // namespace varnadex
