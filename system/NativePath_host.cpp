#include "system/NativePath.h"

std::string NativePath(const std::string& path) {
    std::string native = path;
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}
