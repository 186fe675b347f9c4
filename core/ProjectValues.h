#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The project values that travel with the script in the payload.
struct ProjectValues {
    std::string ProductCode;
    std::string Title;
    std::string Publisher;
    std::string Contact;
    std::string HelpLink;
    std::string UpdateInfoLink;
    std::string Comments;
    int32_t MediaMode = 1;
    std::vector<std::string> ComponentSizes;  // alternating upper-case name, decimal size
    std::string RevisionCode;
    std::vector<std::string> MediaFileMap;  // triples: archive base name, path inside, destination
    bool ShowLanguageDialog = false;
    std::string DefaultLanguage;
};
