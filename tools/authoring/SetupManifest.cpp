#include "tools/authoring/SetupManifest.h"

#include <regex>
#include <stdexcept>

namespace {

constexpr const char* kNames[] = {"asInvoker", "highestAvailable", "requireAdministrator"};

}  // namespace

std::optional<Elevation> ParseElevation(const std::string& name) {
    for (int i = 0; i < 3; ++i)
        if (name == kNames[i]) return static_cast<Elevation>(i);
    return std::nullopt;
}

const char* ElevationName(Elevation elevation) { return kNames[static_cast<int>(elevation)]; }

std::string SetupManifest(Elevation elevation) {
    static const std::regex level(R"((<requestedExecutionLevel\b[^>]*\blevel=")[^"]*("))");
    const std::string manifest = EngineManifest();
    if (!std::regex_search(manifest, level))
        throw std::logic_error("the engine's manifest requests no execution level");
    return std::regex_replace(manifest, level, std::string("$1") + ElevationName(elevation) + "$2",
                              std::regex_constants::format_first_only);
}
