#include "core/uLanguage.h"

#include "system/TextUtils.h"

namespace {
struct Language {
    const char* name;
    int lcid;
};

const Language kLanguages[] = {
    {"Arabic", 1025},      {"Catalan", 1027},   {"Chinese (Taiwan)", 1028}, {"Chinese (PRC)", 2052},
    {"Czech", 1029},       {"Danish", 1030},    {"German", 1031},           {"Greek", 1032},
    {"English", 1033},     {"Spanish", 3082},   {"Estonian", 1061},         {"Finnish", 1035},
    {"French", 1036},      {"Hebrew", 1037},    {"Hungarian", 1038},        {"Italian", 1040},
    {"Japanese", 1041},    {"Korean", 1042},    {"Lithuanian", 1063},       {"Latvian", 1062},
    {"Dutch", 1043},       {"Norwegian", 1044}, {"Polish", 1045},           {"Portugese (Brazil)", 1046},
    {"Portugese (Portugal)", 2070}, {"Romanian", 1048}, {"Russian", 1049}, {"Croatian", 1050},
    {"Slovak", 1051},      {"Swedish", 1053},   {"Thai", 1054},             {"Turkish", 1055},
    {"Slovenian", 1060},   {"Vietnamese", 1066}, {"Basque", 1069},
};
}  // namespace

std::string LanguageToLcid(const std::string& name) {
    for (const auto& l : kLanguages)
        if (SameText(l.name, name)) return std::to_string(l.lcid);
    return "1033";
}

std::string LcidToLanguage(int lcid) {
    for (const auto& l : kLanguages)
        if (l.lcid == lcid) return l.name;
    return {};
}
