// The installation-change commands that record installer properties instead
// of changing the machine at once: each switches on its rows in the package
// ("A" + header = "TRUE") and fills in their values ("P" + header + "_k").

#include <vector>

#include "core/StartupValues.h"
#include "script/CheckScript.h"
#include "script/CommandTable.h"
#include "script/RecordedChanges.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "script/commands/WebMediaFetch.h"
#include "system/TextUtils.h"

namespace {

// Property "P" + header + "_" + property takes parameter `parameter`,
// translated in `slot` (0: not translatable).
struct ParameterProperty {
    int property;
    int parameter;
    int slot = 0;
};

struct RecordingKind {
    const char* name;
    bool fetchesMedia;
    std::vector<ParameterProperty> properties;
};

const std::vector<RecordingKind>& RecordingKinds() {
    static const std::vector<RecordingKind> kinds = {
        {"Write Registry", false, {{1, 3}, {2, 4}, {3, 5}}},
        {"Create File Type", false, {{1, 1, 1}, {2, 2}, {3, 3, 2}, {4, 4}, {5, 5}}},
        {"Advertised File Type", false, {}},
        {"Create Folder", false, {{1, 1}}},
        {"Create Shortcut", false, {{1, 3}, {2, 1}, {3, 5}, {4, 6}}},
        {"Advertised Shortcut", false, {{1, 3}, {2, 1}, {3, 5}, {4, 6}}},
        {"Copy/Move Local Files", false, {{1, 1}, {2, 3}}},
        {"Delete Files", false, {{1, 1}}},
        {"Edit INI File", false, {{1, 1}, {2, 4}, {3, 5}, {4, 6}}},
        {"Set Environment", false, {{1, 2}}},
        {"Install Files", true, {{1, 3}}},
        {"Install Assembly", true, {{1, 3}}},
        {"Control Service", false, {{1, 1, 1}, {2, 2}}},
        {"Create ODBC DSN", false, {}},
        {"Install ODBC Driver", true, {{1, 4}}},
        {"Install Service", true,
         {{1, 2}, {2, 4, 1}, {3, 5, 2}, {4, 9, 4}, {5, 10, 5}, {6, 13}, {7, 14}, {8, 15}, {9, 6, 3}}},
    };
    return kinds;
}

std::string ParameterText(const CommandContext& c, int parameter, int slot) {
    const auto n = static_cast<size_t>(parameter);
    return slot > 0 ? c.Translatable(n, slot) : c.Expanded(n);
}

// In the application-data caching mode a command whose data lives in a web
// media block fetches it before it records.
bool FetchCommandMedia(CommandContext& c) {
    const std::string& folder = c.script().CommandMediaFolders[c.number()];
    if (Project().MediaMode != 2 || folder.empty()) return true;
    return FetchBlockForCommand(c, folder);
}

void RunRecordingCommand(const RecordingKind& kind, CommandContext& c) {
    CommandHeaderTable headers;
    headers.Load(c.script().CommandHeaders);
    const std::string header = headers.Get(c.number());
    auto& states = ExecutionStates();
    if (c.number() < states.size()) states[c.number()] = "TRUE";
    RecordProperty("A" + header, "TRUE");
    if (kind.fetchesMedia && !FetchCommandMedia(c)) return;

    for (const auto& p : kind.properties)
        RecordProperty("P" + header + "_" + std::to_string(p.property),
                       ExpandPath(ParameterText(c, p.parameter, p.slot)));

    const std::string name = kind.name;
    if (name == "Create Shortcut" || name == "Advertised Shortcut") {
        const std::string shortcutName = c.Translatable(2, 1);
        auto& texts = TranslatedShortcutTexts();
        texts.push_back("P" + header + "_1");
        texts.push_back(TrimBlanks(shortcutName.substr(0, 6)) + "~1|" + shortcutName);
        texts.push_back(c.Translatable(4, 2));
    } else if (name == "Advertised File Type") {
        auto& texts = TranslatedFileTypeTexts();
        texts.push_back(c.Raw(1));
        texts.push_back(c.Translatable(1, 1));
        texts.push_back(c.Translatable(3, 2));
    }
}

void WebMediaBlockCommand(CommandContext& c) {
    WebMediaBlock& block = CurrentWebMediaBlock();
    block.url = c.Expanded(2);
    block.archivePath = GetVariable("DATADIR") + c.Raw(1) + ".7zip";
}

// The translated parameters of a kind: its recorded properties' slots, and
// the shortcut and file type texts written into the package.
std::vector<int> TranslatableParametersOf(const RecordingKind& kind) {
    const std::string name = kind.name;
    if (name == "Create Shortcut" || name == "Advertised Shortcut") return {2, 4};
    if (name == "Advertised File Type") return {1, 3};
    std::vector<int> parameters;
    for (const auto& p : kind.properties) {
        if (p.slot == 0) continue;
        if (parameters.size() < static_cast<size_t>(p.slot)) parameters.resize(p.slot);
        parameters[p.slot - 1] = p.parameter;
    }
    return parameters;
}

}  // namespace

void RegisterRecordingCommands(CommandTable& table) {
    for (const auto& kind : RecordingKinds()) {
        table.Register(kind.name, [&kind](CommandContext& c) { RunRecordingCommand(kind, c); });
        table.DeclareTranslatable(kind.name, TranslatableParametersOf(kind));
    }
    table.Register("Web Media Block", WebMediaBlockCommand);
}
