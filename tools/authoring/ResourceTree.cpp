#include "tools/authoring/ResourceTree.h"

#include <stdexcept>

#include "tools/authoring/LittleEndian.h"

namespace {

constexpr uint32_t kHighBit = 0x80000000;  // a text name; a subdirectory
constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;

uint32_t DirectorySize(size_t entries) { return kDirectoryHeaderSize + kEntrySize * static_cast<uint32_t>(entries); }

class SectionReader {
public:
    SectionReader(const std::string& section, uint32_t rva) : section_(section), rva_(rva) {}

    // Calls visit(name, data field) for each entry of the directory at offset.
    template <typename Visit>
    void Entries(uint32_t offset, Visit visit) const {
        const uint32_t count = ReadLE(section_, offset + 12, 2) + ReadLE(section_, offset + 14, 2);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t entry = offset + DirectorySize(i);
            visit(Name(ReadLE(section_, entry, 4)), ReadLE(section_, entry + 4, 4));
        }
    }

    static uint32_t Subdirectory(uint32_t field) {
        if (!(field & kHighBit)) throw std::runtime_error("malformed resources: data where a directory belongs");
        return field & ~kHighBit;
    }

    ResourceData Leaf(uint32_t field) const {
        if (field & kHighBit) throw std::runtime_error("malformed resources: more than three directory levels");
        const uint32_t address = ReadLE(section_, field, 4), size = ReadLE(section_, field + 4, 4);
        if (address < rva_ || uint64_t(address - rva_) + size > section_.size())
            throw std::runtime_error("malformed resources: data outside the resource section");
        return {section_.substr(address - rva_, size), ReadLE(section_, field + 8, 4)};
    }

private:
    ResourceName Name(uint32_t field) const {
        if (!(field & kHighBit)) return static_cast<uint16_t>(field);
        const uint32_t at = field & ~kHighBit;
        const uint32_t length = ReadLE(section_, at, 2);
        std::u16string text;
        for (uint32_t i = 0; i < length; ++i) text += static_cast<char16_t>(ReadLE(section_, at + 2 + 2 * i, 2));
        return text;
    }

    const std::string& section_;
    uint32_t rva_;
};

// One directory entry: the name (a number, or the offset of a text), then
// the offset of the subdirectory or data entry it leads to.
void WriteEntry(std::string& out, uint32_t at, uint32_t name, uint32_t target) {
    WriteLE(out, at, name, 4);
    WriteLE(out, at + 4, target, 4);
}

template <typename Map>
void WriteDirectory(std::string& out, uint32_t at, const Map& entries) {
    size_t named = 0;
    for (const auto& entry : entries)
        if (std::holds_alternative<std::u16string>(ResourceName(entry.first))) ++named;
    WriteLE(out, at + 12, static_cast<uint32_t>(named), 2);
    WriteLE(out, at + 14, static_cast<uint32_t>(entries.size() - named), 2);
}

}  // namespace

ResourceTree ParseResourceSection(const std::string& section, uint32_t sectionRva) {
    const SectionReader reader(section, sectionRva);
    ResourceTree tree;
    reader.Entries(0, [&](const ResourceName& type, uint32_t typeField) {
        reader.Entries(SectionReader::Subdirectory(typeField), [&](const ResourceName& name, uint32_t nameField) {
            reader.Entries(SectionReader::Subdirectory(nameField), [&](const ResourceName& language, uint32_t leaf) {
                if (!std::holds_alternative<uint16_t>(language))
                    throw std::runtime_error("malformed resources: a language given as a text");
                tree[type][name][std::get<uint16_t>(language)] = reader.Leaf(leaf);
            });
        });
    });
    return tree;
}

std::string WriteResourceSection(const ResourceTree& tree, uint32_t sectionRva) {
    // Layout: the root, the type directories, the name directories, the data
    // entries, the name texts, then the data, each piece 8-byte aligned.
    std::map<std::u16string, uint32_t> texts;  // text → its offset
    auto noteText = [&](const ResourceName& name) {
        if (const auto* text = std::get_if<std::u16string>(&name)) texts[*text] = 0;
    };
    uint32_t nameDirectories = DirectorySize(tree.size()), leaves = 0;
    for (const auto& [type, names] : tree) {
        noteText(type);
        nameDirectories += DirectorySize(names.size());
    }
    for (const auto& [type, names] : tree)
        for (const auto& [name, languages] : names) {
            noteText(name);
            leaves += DirectorySize(languages.size());
        }
    leaves += nameDirectories;
    uint32_t end = leaves;
    for (const auto& [type, names] : tree)
        for (const auto& [name, languages] : names) end += kDataEntrySize * static_cast<uint32_t>(languages.size());
    for (auto& [text, offset] : texts) {
        offset = end;
        end += 2 + 2 * static_cast<uint32_t>(text.size());
    }

    std::string out(AlignUp(end, 8), '\0');
    for (const auto& [text, offset] : texts) {
        WriteLE(out, offset, static_cast<uint32_t>(text.size()), 2);
        for (size_t i = 0; i < text.size(); ++i) WriteLE(out, offset + 2 + 2 * i, text[i], 2);
    }
    auto nameField = [&](const ResourceName& name) -> uint32_t {
        if (const auto* text = std::get_if<std::u16string>(&name)) return kHighBit | texts.at(*text);
        return std::get<uint16_t>(name);
    };

    uint32_t typeDirectory = DirectorySize(tree.size()), nameDirectory = nameDirectories, leaf = leaves;
    WriteDirectory(out, 0, tree);
    uint32_t typeEntry = kDirectoryHeaderSize;
    for (const auto& [type, names] : tree) {
        WriteEntry(out, typeEntry, nameField(type), kHighBit | typeDirectory);
        typeEntry += kEntrySize;
        WriteDirectory(out, typeDirectory, names);
        uint32_t nameEntry = typeDirectory + kDirectoryHeaderSize;
        typeDirectory += DirectorySize(names.size());
        for (const auto& [name, languages] : names) {
            WriteEntry(out, nameEntry, nameField(name), kHighBit | nameDirectory);
            nameEntry += kEntrySize;
            WriteDirectory(out, nameDirectory, languages);
            uint32_t languageEntry = nameDirectory + kDirectoryHeaderSize;
            nameDirectory += DirectorySize(languages.size());
            for (const auto& [language, data] : languages) {
                WriteEntry(out, languageEntry, language, leaf);
                languageEntry += kEntrySize;
                WriteLE(out, leaf, sectionRva + static_cast<uint32_t>(out.size()), 4);
                WriteLE(out, leaf + 4, static_cast<uint32_t>(data.bytes.size()), 4);
                WriteLE(out, leaf + 8, data.codePage, 4);
                leaf += kDataEntrySize;
                out += data.bytes;
                PadTo(out, 8);
            }
        }
    }
    return out;
}
