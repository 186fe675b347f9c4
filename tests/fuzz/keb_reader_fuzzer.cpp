// libFuzzer target for the archive reader: any bytes as an archive file,
// opened, listed and tested (every entry decoded and checked, nothing
// written). Failures must be ArchiveErrors, never crashes or leaks.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/EntryPath.h"
#include "keb/Extractor.h"

namespace {

const std::string& InputPath() {
    static const std::string path = "/tmp/keb_fuzz_input_" + std::to_string(getpid()) + ".7z";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
        keb::PasswordProvider password("fuzz", nullptr);
        keb::Archive archive(InputPath(), password);
        keb::ExtractRequest request;  // no destination: test only
        for (const auto& entry : archive.database().entries) {
            keb::SafePathComponents(entry.name);
            request.targets.push_back(entry.name);
        }
        keb::ExtractionProgress progress(nullptr);
        keb::ExtractEntries(archive, password, progress, request);
    } catch (const keb::ArchiveError&) {
    }
    return 0;
}
