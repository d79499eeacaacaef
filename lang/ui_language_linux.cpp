// The user's locale (LC_ALL, LC_MESSAGES, LANG: the first one set and not
// empty wins), such as "zh_CN.UTF-8" or "de_AT@euro", as a Windows language id.

#include "lang/ui_language.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr uint16_t kEnglishUnitedStates = 0x0409;

struct LocaleId {
    std::string_view locale;  // language, or language_TERRITORY
    uint16_t id;
};

// Territories first; a bare language stands for its main variant. Languages
// without a pack need no exact id: the choice treats all of them as English.
constexpr LocaleId kLocaleIds[] = {
    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
    {"zh", 0x0804},
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407},
    {"de", 0x0407},
    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_GT", 0x100A}, {"es_CR", 0x140A}, {"es_PA", 0x180A},
    {"es_DO", 0x1C0A}, {"es_VE", 0x200A}, {"es_CO", 0x240A}, {"es_PE", 0x280A}, {"es_AR", 0x2C0A},
    {"es_EC", 0x300A}, {"es_CL", 0x340A}, {"es_UY", 0x380A}, {"es_PY", 0x3C0A}, {"es_BO", 0x400A},
    {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A}, {"es_PR", 0x500A}, {"es_US", 0x540A},
    {"es", 0x0C0A},
    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C},
    {"fr_MC", 0x180C},
    {"fr", 0x040C},
    {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"it", 0x0410},
    {"ja_JP", 0x0411}, {"ja", 0x0411},
    {"ko_KR", 0x0412}, {"ko", 0x0412},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nl", 0x0413},
    {"pl_PL", 0x0415}, {"pl", 0x0415},
    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"pt", 0x0416},
    {"ru_RU", 0x0419}, {"ru", 0x0419},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en", 0x0409},
};

uint16_t IdOf(std::string_view locale) {
    for (const LocaleId& entry : kLocaleIds) {
        if (entry.locale == locale) return entry.id;
    }
    return 0;
}

std::string_view CurrentLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

}  // namespace

uint16_t UserDefaultUiLanguage() {
    // "language[_TERRITORY][.codeset][@modifier]"; "C" and "POSIX" are English.
    const std::string_view name = CurrentLocaleName();
    std::string locale(name.substr(0, name.find_first_of(".@")));
    const size_t underscore = locale.find('_');
    for (size_t i = 0; i < locale.size(); ++i) {
        const char c = locale[i];
        if (i < underscore && c >= 'A' && c <= 'Z') locale[i] = static_cast<char>(c + 32);
        if (i > underscore && c >= 'a' && c <= 'z') locale[i] = static_cast<char>(c - 32);
    }
    if (underscore != std::string::npos) {
        if (const uint16_t id = IdOf(locale); id != 0) return id;
    }
    if (const uint16_t id = IdOf(std::string_view(locale).substr(0, underscore)); id != 0) return id;
    return kEnglishUnitedStates;
}
