#include "tools/authoring/ExecutableImage.h"

#include <algorithm>
#include <stdexcept>

#include "tools/authoring/LittleEndian.h"

namespace {

constexpr int kSecurityDirectory = 4;
constexpr int kResourceDirectory = 2;
constexpr int kBaseRelocationDirectory = 5;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kInitializedReadOnlyData = 0x40000040;  // IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ

[[noreturn]] void Refuse(const std::string& why) { throw std::runtime_error("not a usable engine image: " + why); }

}  // namespace

ExecutableImage::ExecutableImage(std::string bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() < 64 || bytes_.compare(0, 2, "MZ") != 0) Refuse("no MZ header");
    const uint32_t pe = ReadLE(bytes_, 0x3C, 4);
    if (ReadLE(bytes_, pe, 4) != 0x4550) Refuse("no PE signature");  // "PE\0\0"
    fileHeader_ = pe + 4;
    const uint32_t sectionCount = ReadLE(bytes_, fileHeader_ + 2, 2);
    if (ReadLE(bytes_, fileHeader_ + 8, 4) != 0) Refuse("it has a symbol table (link it stripped)");
    const uint32_t optionalSize = ReadLE(bytes_, fileHeader_ + 16, 2);
    optionalHeader_ = fileHeader_ + 20;
    const uint32_t magic = ReadLE(bytes_, optionalHeader_, 2);
    if (magic != 0x10B && magic != 0x20B) Refuse("unknown optional header");
    const uint32_t countAt = magic == 0x10B ? 92 : 108;
    directoryCount_ = ReadLE(bytes_, optionalHeader_ + countAt, 4);
    directories_ = static_cast<uint32_t>(optionalHeader_) + countAt + 4;
    if (directoryCount_ <= kBaseRelocationDirectory || directories_ + 8 * directoryCount_ > optionalHeader_ + optionalSize)
        Refuse("too few data directories");
    sectionAlignment_ = ReadLE(bytes_, optionalHeader_ + 32, 4);
    fileAlignment_ = ReadLE(bytes_, optionalHeader_ + 36, 4);
    sizeOfHeaders_ = ReadLE(bytes_, optionalHeader_ + 60, 4);
    if (sectionAlignment_ == 0 || fileAlignment_ == 0) Refuse("no alignment");
    sectionTable_ = optionalHeader_ + optionalSize;

    uint64_t imageEnd = sizeOfHeaders_;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t at = sectionTable_ + i * kSectionHeaderSize;
        Section s;
        s.name = bytes_.substr(at, 8);
        s.name.resize(s.name.find('\0') == std::string::npos ? s.name.size() : s.name.find('\0'));
        s.virtualSize = ReadLE(bytes_, at + 8, 4);
        s.virtualAddress = ReadLE(bytes_, at + 12, 4);
        s.rawSize = ReadLE(bytes_, at + 16, 4);
        s.rawOffset = ReadLE(bytes_, at + 20, 4);
        s.characteristics = ReadLE(bytes_, at + 36, 4);
        if (!sections_.empty() && s.virtualAddress < sections_.back().VirtualEnd()) Refuse("sections out of order");
        if (s.rawSize) imageEnd = std::max<uint64_t>(imageEnd, uint64_t(s.rawOffset) + s.rawSize);
        sections_.push_back(s);
    }
    if (imageEnd > bytes_.size()) Refuse("it is cut short");
    if (imageEnd < bytes_.size()) Refuse("data follows its last section");
    if (DataDirectory(kSecurityDirectory).size != 0) Refuse("it is signed");
}

ExecutableImage::Directory ExecutableImage::DataDirectory(int index) const {
    return {ReadLE(bytes_, directories_ + 8 * index, 4), ReadLE(bytes_, directories_ + 8 * index + 4, 4)};
}

void ExecutableImage::SetDataDirectory(int index, Directory directory) {
    WriteLE(bytes_, directories_ + 8 * index, directory.rva, 4);
    WriteLE(bytes_, directories_ + 8 * index + 4, directory.size, 4);
}

const ExecutableImage::Section* ExecutableImage::SectionAt(uint32_t rva) const {
    for (const auto& s : sections_)
        if (rva >= s.virtualAddress && rva < s.VirtualEnd()) return &s;
    return nullptr;
}

ResourceTree ExecutableImage::Resources() const {
    const Directory resources = DataDirectory(kResourceDirectory);
    if (resources.size == 0) return {};
    const Section* s = SectionAt(resources.rva);
    if (!s || resources.rva - s->virtualAddress >= s->rawSize) Refuse("its resources lie outside its sections");
    const uint32_t start = resources.rva - s->virtualAddress;
    return ParseResourceSection(bytes_.substr(s->rawOffset + start, s->rawSize - start), resources.rva);
}

bool ExecutableImage::DropResourceSection() {
    const Directory resources = DataDirectory(kResourceDirectory);
    auto found = std::find_if(sections_.begin(), sections_.end(),
                              [&](const Section& s) { return resources.size && s.virtualAddress == resources.rva; });
    if (found == sections_.end()) return false;
    const size_t index = found - sections_.begin();
    // Only sections nothing else points into can go or move.
    auto onlyDirectory = [&](const Section& s, int allowed) {
        for (uint32_t d = 0; d < directoryCount_; ++d) {
            const Directory directory = DataDirectory(d);
            if (static_cast<int>(d) != allowed && directory.size && SectionAt(directory.rva) == &s) return false;
        }
        return true;
    };
    if (!onlyDirectory(*found, kResourceDirectory)) return false;
    const size_t following = sections_.size() - index - 1;
    if (following > 1) return false;
    Section dropped = *found;
    if (following == 1) {
        Section& relocations = sections_.back();
        if (relocations.virtualAddress != DataDirectory(kBaseRelocationDirectory).rva ||
            !onlyDirectory(relocations, kBaseRelocationDirectory))
            return false;
        const std::string data = bytes_.substr(relocations.rawOffset, relocations.rawSize);
        bytes_.resize(dropped.rawOffset);
        bytes_ += data;
        relocations.virtualAddress = dropped.virtualAddress;
        relocations.rawOffset = dropped.rawOffset;
        SetDataDirectory(kBaseRelocationDirectory, {relocations.virtualAddress, DataDirectory(kBaseRelocationDirectory).size});
    } else {
        bytes_.resize(dropped.rawOffset);
    }
    sections_.erase(sections_.begin() + index);
    SetDataDirectory(kResourceDirectory, {0, 0});
    return true;
}

void ExecutableImage::SetResources(const ResourceTree& resources) {
    const size_t oldCount = sections_.size();
    DropResourceSection();
    uint32_t firstData = sizeOfHeaders_;
    for (const auto& s : sections_)
        if (s.rawSize) firstData = std::min(firstData, s.rawOffset);
    if (sectionTable_ + (sections_.size() + 1) * kSectionHeaderSize > firstData)
        Refuse("no room for another section header");

    Section added{".rsrc", 0, 0, 0, 0, kInitializedReadOnlyData};
    for (const auto& s : sections_) added.virtualAddress = std::max(added.virtualAddress, s.VirtualEnd());
    added.virtualAddress = AlignUp(added.virtualAddress, sectionAlignment_);
    const std::string content = WriteResourceSection(resources, added.virtualAddress);
    added.virtualSize = static_cast<uint32_t>(content.size());
    PadTo(bytes_, fileAlignment_);
    added.rawOffset = static_cast<uint32_t>(bytes_.size());
    bytes_ += content;
    PadTo(bytes_, fileAlignment_);
    added.rawSize = static_cast<uint32_t>(bytes_.size()) - added.rawOffset;
    sections_.push_back(added);
    SetDataDirectory(kResourceDirectory, {added.virtualAddress, added.virtualSize});

    // The old table's entries are cleared first: the new one may be shorter.
    std::fill_n(bytes_.begin() + sectionTable_, std::max(oldCount, sections_.size()) * kSectionHeaderSize, '\0');
    WriteHeaders();
}

void ExecutableImage::WriteHeaders() {
    WriteLE(bytes_, fileHeader_ + 2, static_cast<uint32_t>(sections_.size()), 2);
    for (size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        const uint64_t at = sectionTable_ + i * kSectionHeaderSize;
        bytes_.replace(at, 8, std::string(s.name).append(8 - s.name.size(), '\0'));
        WriteLE(bytes_, at + 8, s.virtualSize, 4);
        WriteLE(bytes_, at + 12, s.virtualAddress, 4);
        WriteLE(bytes_, at + 16, s.rawSize, 4);
        WriteLE(bytes_, at + 20, s.rawOffset, 4);
        WriteLE(bytes_, at + 36, s.characteristics, 4);
    }
    WriteLE(bytes_, optionalHeader_ + 56, AlignUp(sections_.back().VirtualEnd(), sectionAlignment_), 4);
    // A checksum of zero means none; one the linker wrote is kept right.
    const uint64_t checksum = optionalHeader_ + 64;
    if (ReadLE(bytes_, checksum, 4) != 0) WriteLE(bytes_, checksum, PeChecksum(bytes_, checksum), 4);
}

uint32_t PeChecksum(const std::string& file, uint64_t checksumOffset) {
    uint64_t sum = 0;
    for (uint64_t i = 0; i < file.size(); i += 2) {
        if (i == checksumOffset || i == checksumOffset + 2) continue;
        uint32_t word = static_cast<unsigned char>(file[i]);
        if (i + 1 < file.size()) word |= uint32_t(static_cast<unsigned char>(file[i + 1])) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + file.size());
}
