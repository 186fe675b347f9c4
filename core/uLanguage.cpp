#include "core/uLanguage.h"

#include "system/TextUtils.h"

namespace {
struct Language {
    const char* name;
    int lcid;
    const char* native = nullptr;  // UTF-8
};

// The first row of an identifier names it; later rows are other spellings.
const Language kLanguages[] = {
    {"Arabic", 1025},
    {"Catalan", 1027, "Catal\u00e0"},
    {"Chinese (Taiwan)", 1028},
    {"Chinese (PRC)", 2052},
    {"Czech", 1029, "\u010ce\u0161tina"},
    {"Danish", 1030, "Dansk"},
    {"German", 1031, "Deutsch"},
    {"Greek", 1032},
    {"English", 1033, "English"},
    {"Spanish", 3082, "Espa\u00f1ol"},
    {"Estonian", 1061, "Eesti"},
    {"Finnish", 1035, "Suomi"},
    {"French", 1036, "Fran\u00e7ais"},
    {"Hebrew", 1037},
    {"Hungarian", 1038, "Magyar"},
    {"Italian", 1040, "Italiano"},
    {"Japanese", 1041},
    {"Korean", 1042},
    {"Lithuanian", 1063, "Lietuvi\u0173"},
    {"Latvian", 1062, "Latvie\u0161u"},
    {"Dutch", 1043, "Nederlands"},
    {"Norwegian", 1044, "Norsk"},
    {"Polish", 1045, "Polski"},
    {"Portugese (Brazil)", 1046, "Portugu\u00eas (Brasil)"},
    {"Portugese (Portugal)", 2070, "Portugu\u00eas (Portugal)"},
    {"Romanian", 1048, "Rom\u00e2n\u0103"},
    {"Russian", 1049},
    {"Croatian", 1050, "Hrvatski"},
    {"Slovak", 1051, "Sloven\u010dina"},
    {"Swedish", 1053, "Svenska"},
    {"Thai", 1054},
    {"Turkish", 1055, "T\u00fcrk\u00e7e"},
    {"Slovenian", 1060, "Sloven\u0161\u010dina"},
    {"Vietnamese", 1066},
    {"Basque", 1069, "Euskara"},
    {"Portuguese (Brazil)", 1046, "Portugu\u00eas (Brasil)"},
    {"Portuguese (Portugal)", 2070, "Portugu\u00eas (Portugal)"},
};

const Language* Find(const std::string& name) {
    for (const auto& l : kLanguages)
        if (SameText(l.name, name)) return &l;
    return nullptr;
}
}  // namespace

std::string LanguageToLcid(const std::string& name) {
    const Language* language = Find(name);
    return std::to_string(language ? language->lcid : 1033);
}

int LanguageLcid(const std::string& name) {
    const Language* language = Find(name);
    return language ? language->lcid : 0;
}

bool SameLanguage(const std::string& a, const std::string& b) {
    return SameText(a, b) || (LanguageLcid(a) != 0 && LanguageLcid(a) == LanguageLcid(b));
}

std::string NativeLanguageName(const std::string& name) {
    const Language* language = Find(name);
    return language && language->native ? language->native : name;
}

std::string LcidToLanguage(int lcid) {
    for (const auto& l : kLanguages)
        if (l.lcid == lcid) return l.name;
    return {};
}
