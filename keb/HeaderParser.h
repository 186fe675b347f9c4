#pragma once
#include <cstddef>
#include <cstdint>

#include "keb/ArchiveDatabase.h"

namespace keb {

// Parses the body of a plain header (after its kHeader id byte) into the
// database. Pack stream offsets are made absolute with packBase (the end of
// the start header).
ArchiveDatabase ParsePlainHeader(const uint8_t* data, size_t size, uint64_t packBase);

// Parses the streams description of an encoded header (after its
// kEncodedHeader id byte): the folders that hold the real header.
ArchiveDatabase ParseEncodedHeader(const uint8_t* data, size_t size, uint64_t packBase);

}  // namespace keb
