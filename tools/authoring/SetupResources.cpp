#include "tools/authoring/SetupResources.h"

#include "system/TextUtils.h"
#include "tools/authoring/IconFile.h"
#include "tools/authoring/ExecutableImage.h"

namespace {

constexpr uint16_t kProcessManifestId = 1;  // CREATEPROCESS_MANIFEST_RESOURCE_ID
constexpr uint16_t kVersionId = 1;
constexpr uint16_t kSetupIconId = 1;  // the engine loads icon group 1 for its windows

}  // namespace

std::string WithSetupResources(const std::string& engine, const SetupResourceValues& values) {
    ExecutableImage image(engine);
    ResourceTree resources = image.Resources();
    resources[kManifestResource][kProcessManifestId] = {{kLanguageEnglishUS, {SetupManifest(values.elevation), 0}}};
    resources[kVersionResource] = {{kVersionId, {{kLanguageEnglishUS, {BuildVersionResource(values.version), 0}}}}};

    if (!values.icon.empty()) {
        const IconResources icon = ReadIconFile(values.icon, 1);
        ResourceNames images;
        for (size_t i = 0; i < icon.images.size(); ++i)
            images[static_cast<uint16_t>(1 + i)][kLanguageEnglishUS] = {icon.images[i], 0};
        resources[kIconResource] = images;
        resources[kGroupIconResource] = {{kSetupIconId, {{kLanguageEnglishUS, {icon.group, 0}}}}};
    }
    image.SetResources(resources);
    return image.bytes();
}

Elevation DefaultElevation(const Script& script) {
    for (size_t i = 0; i < script.size(); ++i) {
        if (script.IsCommentedOut(i) || script.CommandNames[i] != "Set Variable") continue;
        const std::string& id = script.CommandIds[i];
        if (SameText(GetParameter(script.ParameterBlocks, id, 1), "ALLUSERS") &&
            SameText(GetParameter(script.ParameterBlocks, id, 2), "FALSE"))
            return Elevation::AsInvoker;
    }
    return Elevation::RequireAdministrator;
}
