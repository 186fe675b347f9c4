#include "system/ReadOnlyFile.h"

ReadOnlyFile::ReadOnlyFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

// The 32-bit C library's fseek takes a 32-bit long; a setup may be larger.
bool ReadOnlyFile::Seek(uint64_t offset, int origin) {
#ifdef _WIN32
    return fseeko64(file_.get(), static_cast<off64_t>(offset), origin) == 0;
#else
    return fseeko(file_.get(), static_cast<off_t>(offset), origin) == 0;
#endif
}

std::optional<uint64_t> ReadOnlyFile::Size() {
    if (!file_ || !Seek(0, SEEK_END)) return std::nullopt;
#ifdef _WIN32
    const int64_t size = ftello64(file_.get());
#else
    const int64_t size = ftello(file_.get());
#endif
    if (size < 0) return std::nullopt;
    return static_cast<uint64_t>(size);
}

std::optional<std::string> ReadOnlyFile::ReadAt(uint64_t offset, size_t length) {
    if (!file_ || !Seek(offset, SEEK_SET)) return std::nullopt;
    std::string bytes(length, '\0');
    if (std::fread(bytes.data(), 1, length, file_.get()) != length) return std::nullopt;
    return bytes;
}

std::optional<std::string> ReadOnlyFile::ReadLine() {
    if (AtEnd()) return std::nullopt;
    std::string line;
    for (int c = std::getc(file_.get()); c != EOF && c != '\n'; c = std::getc(file_.get()))
        line += static_cast<char>(c);
    return line;
}

bool ReadOnlyFile::AtEnd() {
    if (!file_) return true;
    const int c = std::getc(file_.get());
    if (c == EOF) return true;
    std::ungetc(c, file_.get());
    return false;
}
