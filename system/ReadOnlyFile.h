#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

// A file opened for reading through the C library. The engine reads its files
// with this rather than with iostreams: a single stream pulls the whole locale
// machinery of the C++ library into the program and more than doubles its size.
class ReadOnlyFile {
public:
    // Opens the path as the C library takes it (NativePath for engine paths).
    explicit ReadOnlyFile(const std::string& path);

    bool open() const { return file_ != nullptr; }
    // The file's size; nullopt when it is not open or cannot be measured.
    std::optional<uint64_t> Size();
    // Exactly length bytes from offset; nullopt when fewer are there.
    std::optional<std::string> ReadAt(uint64_t offset, size_t length);
    // The next line without its LF, or nullopt at the end of the file. A CR
    // before the LF stays: the caller decides what a line end is.
    std::optional<std::string> ReadLine();
    bool AtEnd();

private:
    bool Seek(uint64_t offset, int origin);

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};
