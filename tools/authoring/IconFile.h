#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An icon file (.ico) as a program's resources hold it: each image a
// resource of its own, and a group that lists them by resource number.
struct IconResources {
    std::string group;                // GRPICONDIR with its entries
    std::vector<std::string> images;  // the images, numbered firstId, firstId + 1, ...
};

// Splits the bytes of an .ico file; throws std::runtime_error when they are
// not one (no images, an image beyond the end, not an icon but a cursor).
IconResources ReadIconFile(const std::string& file, uint16_t firstId);
