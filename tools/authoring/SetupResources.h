#pragma once
#include <string>

#include "script/Script.h"
#include "tools/authoring/SetupManifest.h"
#include "tools/authoring/VersionResource.h"

// What one setup's copy of the engine carries in its resources.
struct SetupResourceValues {
    Elevation elevation = Elevation::AsInvoker;
    VersionTexts version;
    std::string icon;  // the bytes of an .ico file; empty: none
};

// A copy of the engine (a bare image, see ExecutableImage) with the setup's
// resources: the engine's manifest asking for the elevation, a version resource
// with the setup's texts and, when given, the icon as icon group 1, the one
// the engine's windows show.
std::string WithSetupResources(const std::string& engine, const SetupResourceValues& values);

// The elevation a setup asks for unless its author chooses: administrator
// rights for a per-machine installation, none for a setup whose script sets
// ALLUSERS to FALSE and so installs for the user who runs it.
Elevation DefaultElevation(const Script& script);
