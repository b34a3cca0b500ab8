#include "app/MessageCatalogue.h"

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
    {"Read back after the write, the converter does not hold what was written in: %1.",
     "A beírás utáni visszaolvasáskor a konverter nem azt tartalmazta, amit beírtunk: %1."},
};

std::string substitute(std::string text, const std::string& a1, const std::string& a2) {
    for (auto [key, value] : {std::pair{std::string("%1"), a1}, std::pair{std::string("%2"), a2}}) {
        for (auto pos = text.find(key); pos != std::string::npos;
             pos = text.find(key, pos + value.size())) {
            text.replace(pos, key.size(), value);
        }
    }
    return text;
}

} // namespace

void MessageCatalogue::fill(int language) {
    english_ = language == 1;
    const auto& source = english_ ? kEnglish : kHungarian;
    for (int i = 0; i < kCatalogueSize; ++i)
        texts_[i] = source[i];
}

std::string MessageCatalogue::extra(ExtraMsg which, const std::string& arg1,
                                    const std::string& arg2) const {
    const ExtraText& t = kExtra[static_cast<int>(which)];
    return substitute(english_ ? t.english : t.hungarian, arg1, arg2);
}

} // namespace varnadex
