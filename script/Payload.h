#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ProjectValues.h"
#include "script/Script.h"

struct Payload {
    Script script;
    ProjectValues project;
};

// A payload that cannot be read (premature end, malformed number).
class PayloadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the payload text (CR LF lines) item by item, strictly in order.
Payload ReadPayload(const std::string& text);
// Writes a payload in the same layout; ReadPayload(WritePayload(p)) gives p back.
std::string WritePayload(const Payload& payload);

// Where the data appended to a portable-executable file starts and how long
// it is. The image end is the largest PointerToRawData + SizeOfRawData of the
// section table, which follows the optional header; the data ends where a
// signature's certificate table begins, else at the end of the file.
struct AppendedData {
    uint64_t offset = 0;
    uint64_t length = 0;
};
// Computes it from the file's own headers; nullopt when the file cannot be
// read or its headers are not those of a PE image.
std::optional<AppendedData> FindAppendedData(const std::string& path);
// The same with signing's zero padding kept: for appended data that knows its
// own length (an archive), whose last bytes may be zeros of its own.
std::optional<AppendedData> FindAppendedRegion(const std::string& path);
// The same on bytes already in memory (the headers and the file size).
std::optional<AppendedData> FindAppendedDataIn(const std::string& headerBytes, uint64_t fileSize);
// Reads the appended bytes of a file; empty when there are none.
std::string ReadAppendedData(const std::string& path);
