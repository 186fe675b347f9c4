#include "keb/ArchiveError.h"

#include "keb/OutputFiles.h"

namespace keb {

void ThrowArchiveError(uint32_t code, std::string text) {
#if __cpp_exceptions
    throw ArchiveError(code, std::move(text));
#else
    // Nothing unwinds: the half-written files must not stay open, or the
    // program could not remove the folder they are in.
    OutputFile::AbandonAll();
    EndOnArchiveError(ArchiveError(code, std::move(text)));
#endif
}

}  // namespace keb
