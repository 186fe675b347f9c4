#pragma once
#include <optional>
#include <string>

// The privileges a setup asks Windows for when it starts.
enum class Elevation { AsInvoker, HighestAvailable, RequireAdministrator };

// "asInvoker", "highestAvailable" or "requireAdministrator" as the manifest
// spells them; nullopt for any other text.
std::optional<Elevation> ParseElevation(const std::string& name);
const char* ElevationName(Elevation elevation);

// The manifest built into the engine (bootstrap/app/kebstub.manifest).
std::string EngineManifest();

// A setup's manifest: the engine's, asking for the given execution level.
std::string SetupManifest(Elevation elevation);
