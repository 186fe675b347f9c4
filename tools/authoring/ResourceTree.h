#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <variant>

// The resources of a PE image: type → name → language → data, as the
// resource section's three directory levels hold them.
//
// A type or name is a text (UTF-16) or a number. The variant orders texts
// before numbers, texts by code unit and numbers ascending: the order the
// directory entries must have, since Windows looks them up by binary search.
using ResourceName = std::variant<std::u16string, uint16_t>;

// Resource types the setup carries.
constexpr uint16_t kIconResource = 3;
constexpr uint16_t kGroupIconResource = 14;
constexpr uint16_t kVersionResource = 16;
constexpr uint16_t kManifestResource = 24;

constexpr uint16_t kLanguageEnglishUS = 0x0409;

struct ResourceData {
    std::string bytes;
    uint32_t codePage = 0;
    bool operator==(const ResourceData&) const = default;
};

using ResourceLanguages = std::map<uint16_t, ResourceData>;
using ResourceNames = std::map<ResourceName, ResourceLanguages>;
using ResourceTree = std::map<ResourceName, ResourceNames>;

// Reads the tree from a resource section's bytes; sectionRva is the address
// the section is loaded at, since data entries hold addresses, not offsets.
// Throws std::runtime_error on a malformed tree.
ResourceTree ParseResourceSection(const std::string& section, uint32_t sectionRva);

// Lays the tree out as a resource section loaded at sectionRva.
std::string WriteResourceSection(const ResourceTree& tree, uint32_t sectionRva);
