#include "script/RecordedChanges.h"

#include "installer/InstallerDatabase.h"
#include "script/Session.h"
#include "core/VariableStore.h"

void RecordProperty(const std::string& name, const std::string& value) {
    SetInstallerProperty(name, value);
    auto& recorded = InstanceParameters();
    recorded.push_back(name);
    recorded.push_back(CrLfToNewline(value));
}

std::vector<std::string>& TranslatedShortcutTexts() {
    static std::vector<std::string> texts;
    return texts;
}

std::vector<std::string>& TranslatedFileTypeTexts() {
    static std::vector<std::string> texts;
    return texts;
}

WebMediaBlock& CurrentWebMediaBlock() {
    static WebMediaBlock block;
    return block;
}

void ResetRecordedChanges() {
    TranslatedShortcutTexts().clear();
    TranslatedFileTypeTexts().clear();
    CurrentWebMediaBlock() = {};
}
