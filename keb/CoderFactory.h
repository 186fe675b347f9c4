#pragma once
#include <memory>
#include <vector>

#include "keb/ArchiveDatabase.h"
#include "keb/InStream.h"
#include "keb/PasswordProvider.h"

namespace keb {

// Whether CreateCoder knows the method.
bool CanDecode(const std::vector<uint8_t>& methodId);

// Creates the decoder of one coder reading the given inputs (one per
// in-stream of the coder) and yielding unpackSize bytes. Unknown methods are
// refused with an "unsupported method" error.
std::unique_ptr<InStream> CreateCoder(const Coder& coder, const std::vector<InStream*>& inputs, uint64_t unpackSize,
                                      PasswordProvider& password);

}  // namespace keb
