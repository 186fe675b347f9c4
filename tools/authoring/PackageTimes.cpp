#include "tools/authoring/PackageTimes.h"

#include <ctime>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/authoring/CompoundFile.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/LittleEndian.h"

namespace {

const uint32_t kFileTimeType = 64;  // VT_FILETIME
const uint32_t kTimeProperties[] = {11, 12, 13};  // last printed, created, last saved
const uint32_t kInt32Type = 3;      // VT_I4
const uint32_t kWordCount = 15;     // the source type: bit 1 compressed, bit 0 short names
const char* const kSummaryStream = "\x05SummaryInformation";

std::string FileTime(std::int64_t seconds) {
    const uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;  // 100 ns since 1601
    std::string bytes;
    AppendLE(bytes, static_cast<uint32_t>(ticks), 4);
    AppendLE(bytes, static_cast<uint32_t>(ticks >> 32), 4);
    return bytes;
}

// The summary is a property set: a header, the first section's offset at 44,
// then the section's (identifier, offset) pairs, each value led by its type.
// The offsets of the values of property id with that type.
std::vector<uint64_t> SummaryValues(const std::string& summary, uint32_t id, uint32_t type) {
    std::vector<uint64_t> out;
    const uint32_t section = ReadLE(summary, 44, 4);
    const uint32_t count = ReadLE(summary, section + 4, 4);
    for (uint32_t i = 0; i < count && i < summary.size() / 8; ++i) {
        const uint64_t at = uint64_t(section) + ReadLE(summary, section + 12 + 8 * i, 4);
        if (ReadLE(summary, section + 8 + 8 * i, 4) != id || ReadLE(summary, at, 4) != type) continue;
        ReadLE(summary, at + 4, 4);  // the value lies within the stream
        out.push_back(at + 4);
    }
    return out;
}

void SetSummaryTimes(CompoundFile& file, const CompoundFile::Stream& stream, std::int64_t seconds) {
    const std::string summary = file.Read(stream);
    for (uint32_t wanted : kTimeProperties)
        for (uint64_t at : SummaryValues(summary, wanted, kFileTimeType)) {
            ReadLE(summary, at + 4, 4);
            file.Write(stream, at, FileTime(seconds));
        }
}

// A cabinet's file entries start at the header's offset 16; each holds its
// MS-DOS date and time at 10 and 12, before its attributes and name.
void SetCabinetDates(CompoundFile& file, const CompoundFile::Stream& stream, std::int64_t seconds) {
    const std::string cabinet = file.Read(stream);
    const time_t when = static_cast<time_t>(std::max<std::int64_t>(seconds, 315532800));  // DOS dates start in 1980
    struct tm utc {};
    gmtime_r(&when, &utc);
    const uint32_t date = ((utc.tm_year - 80) << 9) | ((utc.tm_mon + 1) << 5) | utc.tm_mday;
    const uint32_t time = (utc.tm_hour << 11) | (utc.tm_min << 5) | (utc.tm_sec / 2);
    std::string stamp;
    AppendLE(stamp, date, 2);
    AppendLE(stamp, time, 2);
    size_t at = ReadLE(cabinet, 16, 4);
    const uint32_t files = ReadLE(cabinet, 28, 2);
    for (uint32_t i = 0; i < files; ++i) {
        ReadLE(cabinet, at + 16, 1);  // the entry lies within the cabinet
        file.Write(stream, at + 10, stamp);
        const size_t end = cabinet.find('\0', at + 16);
        if (end == std::string::npos) throw std::runtime_error("malformed cabinet: a file name without its end");
        at = end + 1;
    }
}

// Rewrites the package's streams in place.
void EditPackage(const std::filesystem::path& package,
                 const std::function<void(CompoundFile&, const CompoundFile::Stream&)>& edit) {
    std::string bytes = ReadFileBytes(package);
    CompoundFile file(bytes);
    for (const CompoundFile::Stream& stream : file.streams()) edit(file, stream);
    std::ofstream out(package, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + package.string());
}

}  // namespace

void SetPackageTimes(const std::filesystem::path& package, std::int64_t seconds) {
    EditPackage(package, [seconds](CompoundFile& file, const CompoundFile::Stream& stream) {
        if (stream.name == kSummaryStream) SetSummaryTimes(file, stream, seconds);
        else if (file.Read(stream, 4) == "MSCF") SetCabinetDates(file, stream, seconds);
    });
}

void SetSourceUncompressed(const std::filesystem::path& package) {
    EditPackage(package, [](CompoundFile& file, const CompoundFile::Stream& stream) {
        if (stream.name != kSummaryStream) return;
        std::string zero;
        AppendLE(zero, 0, 4);
        for (uint64_t at : SummaryValues(file.Read(stream), kWordCount, kInt32Type)) file.Write(stream, at, zero);
    });
}
