#include "keb/ArchiveDatabase.h"

#include <algorithm>

#include "keb/ArchiveError.h"

namespace keb {

uint32_t Folder::MainOutStream() const {
    uint32_t total = 0;
    for (const auto& c : coders) total += c.numOutStreams;
    for (uint32_t i = 0; i < total; ++i) {
        bool bound = std::any_of(bindPairs.begin(), bindPairs.end(), [&](const BindPair& b) { return b.outIndex == i; });
        if (!bound) return i;
    }
    ThrowCorrupt("folder without output");
}

bool Folder::IsEncrypted() const {
    return std::any_of(coders.begin(), coders.end(), [](const Coder& c) { return c.methodId == method::kAes; });
}

}  // namespace keb
