#include "keb/ArchiveError.h"

namespace keb {

void ThrowArchiveError(uint32_t code, std::string text) {
#if __cpp_exceptions
    throw ArchiveError(code, std::move(text));
#else
    EndOnArchiveError(ArchiveError(code, std::move(text)));
#endif
}

}  // namespace keb
