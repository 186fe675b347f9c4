#include "tools/authoring/IconFile.h"

#include <stdexcept>

#include "tools/authoring/LittleEndian.h"

namespace {

constexpr uint32_t kIconType = 1;
constexpr uint32_t kHeaderSize = 6;
constexpr uint32_t kFileEntrySize = 16;  // ICONDIRENTRY: ends with the image's file offset
constexpr uint32_t kGroupEntrySize = 14;  // GRPICONDIRENTRY: ends with the image's resource number

}  // namespace

IconResources ReadIconFile(const std::string& file, uint16_t firstId) {
    if (ReadLE(file, 0, 2) != 0 || ReadLE(file, 2, 2) != kIconType)
        throw std::runtime_error("not an icon file");
    const uint32_t count = ReadLE(file, 4, 2);
    if (count == 0) throw std::runtime_error("the icon file holds no images");
    IconResources icon;
    icon.group = file.substr(0, kHeaderSize);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t entry = kHeaderSize + i * kFileEntrySize;
        const uint32_t size = ReadLE(file, entry + 8, 4), offset = ReadLE(file, entry + 12, 4);
        if (size == 0 || uint64_t(offset) + size > file.size())
            throw std::runtime_error("an image of the icon file lies beyond its end");
        icon.images.push_back(file.substr(offset, size));
        icon.group += file.substr(entry, 12);  // width, height, colours, planes, bits, size
        AppendLE(icon.group, firstId + i, 2);
    }
    return icon;
}
