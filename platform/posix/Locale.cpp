// The user's language from the POSIX locale variables, and the per-thread locale.
#include "platform/WinApi.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr LANGID kEnglishUnitedStates = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

struct Language {
    const char* code;
    WORD primary;
};

// ISO 639-1 codes (and the old "iw" for Hebrew) with their Windows primary language.
constexpr Language kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"iw", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11},
    {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"uk", 0x22}, {"fa", 0x29}, {"am", 0x5E}, {"yi", 0x3D},
};

struct Region {
    const char* locale;
    LANGID langid;
};

// Regions whose Windows sublanguage is not the default one.
constexpr Region kRegions[] = {
    {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_IE", 0x1809},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"pt_PT", 0x0816},
    {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_HK", 0x0C04}, {"ar_EG", 0x0C01},
};

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
std::string LocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != 0) {
            return value;
        }
    }
    return std::string();
}

LANGID LangIdOf(const std::string& name) {
    const std::string base = name.substr(0, name.find_first_of(".@"));
    for (const Region& region : kRegions) {
        if (base == region.locale) {
            return region.langid;
        }
    }
    const std::string language = base.substr(0, base.find('_'));
    for (const Language& entry : kLanguages) {
        if (language == entry.code) {
            return MAKELANGID(entry.primary, SUBLANG_DEFAULT);
        }
    }
    // "C", "POSIX", unset and unknown languages.
    return kEnglishUnitedStates;
}

thread_local LCID threadLocale = 0;

} // namespace

LANGID GetUserDefaultLangID() {
    return LangIdOf(LocaleName());
}

LANGID GetUserDefaultUILanguage() {
    return GetUserDefaultLangID();
}

LANGID GetSystemDefaultLangID() {
    return GetUserDefaultLangID();
}

LCID GetUserDefaultLCID() {
    return MAKELCID(GetUserDefaultLangID(), SORT_DEFAULT);
}

LCID GetSystemDefaultLCID() {
    return GetUserDefaultLCID();
}

LCID GetThreadLocale() {
    return threadLocale != 0 ? threadLocale : GetUserDefaultLCID();
}

// The default-locale aliases are resolved when set, as Windows does.
BOOL SetThreadLocale(LCID Locale) {
    if (Locale == LOCALE_SYSTEM_DEFAULT) {
        Locale = GetSystemDefaultLCID();
    } else if (Locale == LOCALE_USER_DEFAULT || Locale == LOCALE_NEUTRAL) {
        Locale = GetUserDefaultLCID();
    }
    threadLocale = Locale;
    return TRUE;
}
