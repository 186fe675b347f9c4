// libFuzzer target for the archive reader: any bytes as an archive file,
// opened, listed and tested (every entry decoded and checked, nothing
// written). Failures must be ArchiveErrors, never crashes or leaks.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/EntryPath.h"
#include "keb/Extractor.h"

namespace {

// The input goes to an in-memory file opened by the reader through its
// /proc path: a file on disk, truncated and rewritten per input, costs a
// block-device flush each time and most of the fuzzer's speed.
struct InputFile {
    int fd = memfd_create("keb_fuzz_input", 0);
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    ~InputFile() { close(fd); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const InputFile input;
    if (input.fd < 0 || ftruncate(input.fd, 0) != 0 || pwrite(input.fd, data, size, 0) != ssize_t(size)) return 0;
    try {
        keb::PasswordProvider password("fuzz", nullptr);
        keb::Archive archive(input.path, password);
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
