#pragma once
#include <cstdint>
#include <optional>
#include <string>

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
