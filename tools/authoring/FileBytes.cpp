#include "tools/authoring/FileBytes.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

std::string ReadFileBytes(const std::filesystem::path& path) {
    const std::runtime_error failure("cannot read " + path.string());
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        throw failure;  // the file buffer's own error, such as a folder given for a file
    }
    if (!in && !in.eof()) throw failure;
    return bytes;
}
