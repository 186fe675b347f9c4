// The picture file inside a designed image's data.
#include "dialogs/PictureData.h"

#include <cstring>

namespace {

uint32_t U32(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

uint16_t U16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

PictureFormat FormatAt(const std::string& data, size_t at) {
    const std::string_view rest = std::string_view(data).substr(at);
    if (rest.substr(0, 2) == "BM") return PictureFormat::Bitmap;
    if (rest.substr(0, 3) == "\xFF\xD8\xFF") return PictureFormat::Jpeg;
    if (rest.substr(0, 8) == "\x89PNG\r\n\x1A\n") return PictureFormat::Png;
    if (rest.substr(0, 4) == "GIF8") return PictureFormat::Gif;
    return PictureFormat::None;
}

}  // namespace

PictureFormat PictureFileFormat(const std::string& file) { return FormatAt(file, 0); }

DesignedPicture ReadPictureData(const std::string& data) {
    if (data.empty()) return {};
    const size_t nameLength = static_cast<unsigned char>(data[0]);
    size_t at = 1 + nameLength;
    if (at > data.size()) return {};
    if (PictureFormat format = FormatAt(data, at); format != PictureFormat::None) return {format, data.substr(at)};
    // A 32-bit size, then the file.
    if (at + 4 > data.size()) return {};
    const uint64_t size = U32(data, at);
    at += 4;
    const PictureFormat format = FormatAt(data, at);
    if (format == PictureFormat::None || size > data.size() - at) return {};
    return {format, data.substr(at, static_cast<size_t>(size))};
}

std::string GlyphBitmapFile(const std::string& data) {
    if (FormatAt(data, 0) == PictureFormat::Bitmap) return data;
    if (data.size() < 4 + 2 || FormatAt(data, 4) != PictureFormat::Bitmap) return {};
    const uint64_t size = U32(data, 0);
    return size <= data.size() - 4 ? data.substr(4, static_cast<size_t>(size)) : std::string();
}

bool ReadBitmapLayout(const std::string& file, BitmapLayout& layout) {
    if (file.size() < 14 + 40 || file.compare(0, 2, "BM") != 0) return false;
    const uint32_t bitsOffset = U32(file, 10);
    const uint32_t headerSize = U32(file, 14);
    if (headerSize < 40 || headerSize > file.size() - 14) return false;
    const int32_t width = static_cast<int32_t>(U32(file, 18));
    const int32_t height = static_cast<int32_t>(U32(file, 22));
    const uint16_t planes = U16(file, 26), bitCount = U16(file, 28);
    const uint32_t compression = U32(file, 30);
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    if (planes != 1 || width <= 0 || width > 16384 || rows == 0 || rows > 16384) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    // Uncompressed or with colour masks; the palette or masks lie before the pixels.
    if (compression != 0 && compression != 3) return false;
    const uint32_t colorsUsed = U32(file, 46);
    if (bitCount <= 8 && colorsUsed > (1u << bitCount)) return false;
    const uint64_t palette = bitCount <= 8 ? 4ull * (colorsUsed ? colorsUsed : 1u << bitCount)
                                           : (compression == 3 && headerSize == 40 ? 12 : 0);
    if (bitsOffset < 14 + headerSize + palette || bitsOffset > file.size()) return false;
    const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (stride * rows > file.size() - bitsOffset) return false;
    layout.infoOffset = 14;
    layout.bitsOffset = bitsOffset;
    layout.width = width;
    layout.height = height;
    return true;
}
