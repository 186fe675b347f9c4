#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The streams of a compound file (the container of .msi and .msp packages),
// read and overwritten in place within the file's bytes: a stream keeps its
// size and its sectors. Throws std::runtime_error on a malformed file.
class CompoundFile {
public:
    struct Stream {
        std::string name;  // ASCII characters as they are, any other one as '?'
        std::vector<std::pair<size_t, size_t>> runs;  // (offset in the file, length), in stream order
    };

    explicit CompoundFile(std::string& bytes);
    const std::vector<Stream>& streams() const { return streams_; }
    // The stream's bytes, its first `limit` at most.
    std::string Read(const Stream& stream, size_t limit = std::string::npos) const;
    // Overwrites data.size() bytes of the stream from `offset` on.
    void Write(const Stream& stream, size_t offset, const std::string& data);

private:
    std::string& bytes_;
    std::vector<Stream> streams_;
};
