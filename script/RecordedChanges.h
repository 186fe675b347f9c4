#pragma once
#include <string>
#include <vector>

// What the recording commands of a run leave for "Apply Changes".

// Records an installer property: queued for the installer package and
// appended to the run's recorded properties (the instance parameter list),
// with line breaks as "$NEWLINE$".
void RecordProperty(const std::string& name, const std::string& value);

// Translated texts written into the package when a language is active.
// Shortcuts: (directory key, name, description) triplets; file types:
// (ProgId, new ProgId, description) triplets.
std::vector<std::string>& TranslatedShortcutTexts();
std::vector<std::string>& TranslatedFileTypeTexts();

// The web media block set by the last "Web Media Block" command.
struct WebMediaBlock {
    std::string url;
    std::string archivePath;
};
WebMediaBlock& CurrentWebMediaBlock();

// Empties the lists above at the start of a run.
void ResetRecordedChanges();
