#pragma once
#include <string>
#include <vector>

#include "keb/ArchiveDatabase.h"

namespace keb {

// Marks the entries that a list of names asks for. Names are compared as the
// listing shows them, without letter case and with "/" taken for "\"; a name
// several entries share selects each of them. Both sides are sorted and
// walked once, so the work grows as n log n whatever names an archive
// carries (a hash table could be flooded by chosen names).
// Throws ArchiveError (bad target name) for a name no entry has.
std::vector<bool> SelectNamedEntries(const std::vector<Entry>& entries, const std::vector<std::string>& names);

}  // namespace keb
