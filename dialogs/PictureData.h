#pragma once
// The "Picture.Data" of a designed image: the graphic's class name as a short
// string ("TBitmap", "TJPEGImage", "TPngImage", "TGIFImage"), then the file,
// which some designers precede with its 32-bit size.
#include <cstdint>
#include <string>

enum class PictureFormat { None, Bitmap, Jpeg, Png, Gif };

struct DesignedPicture {
    PictureFormat format = PictureFormat::None;
    std::string file;  // the picture file's bytes
};

// The picture file inside the data, recognised by its signature; None when
// the data holds no picture of a known format.
DesignedPicture ReadPictureData(const std::string& data);
// The bitmap file of a button's "Glyph.Data": the designer stores a bitmap
// as its 32-bit size and the file (some tools store the file alone); empty
// when the data holds no bitmap file.
std::string GlyphBitmapFile(const std::string& data);
// The format of a picture file by its signature.
PictureFormat PictureFileFormat(const std::string& file);

// Where a bitmap file's header and pixels lie, checked against its size.
struct BitmapLayout {
    size_t infoOffset = 14;  // the BITMAPINFOHEADER, after the file header
    size_t bitsOffset = 0;
    int32_t width = 0, height = 0;
};
// False when the file is not a bitmap whose palette and pixels lie inside it
// (uncompressed or with colour masks, 1 to 32 bits, at most 16384 pixels a side).
bool ReadBitmapLayout(const std::string& file, BitmapLayout& layout);
