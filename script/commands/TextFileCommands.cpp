// "Read from Text File" and "Write to Text File".
#include <memory>

#include "script/CommandTable.h"
#include "script/commands/CommandFamilies.h"
#include "script/commands/TextFileReader.h"
#include "system/Files.h"
#include "system/NativePath.h"
#include "system/ReadOnlyFile.h"
#include "system/TextUtils.h"

namespace {

// The one file "Read from Text File" keeps open between commands, so that
// successive reads of the same path return successive lines.
struct OpenReader {
    std::unique_ptr<ReadOnlyFile> file;
    std::string name;  // as the script gave it; compared lower-cased
};

OpenReader& Reader() {
    static OpenReader reader;
    return reader;
}

bool IsOpenReader(const std::string& path) { return Reader().file && LowerAscii(path) == LowerAscii(Reader().name); }

void ReadFromTextFile(CommandContext& c) {
    const std::string path = c.Path(1);
    const std::string lineVariable = c.Raw(2), endVariable = c.Raw(3);
    c.EnsureResult(lineVariable);
    if (!endVariable.empty()) c.EnsureResult(endVariable);
    if (!IsOpenReader(path)) {
        CloseTextFileReader();
        auto file = std::make_unique<ReadOnlyFile>(NativePath(path));
        if (!file->open()) {
            if (!endVariable.empty()) c.SetResult(endVariable, "TRUE");
            return;
        }
        Reader() = {std::move(file), path};
    }
    ReadOnlyFile& file = *Reader().file;
    if (auto line = file.ReadLine()) {
        if (!line->empty() && line->back() == '\r') line->pop_back();
        c.SetResult(lineVariable, *line);
    }
    const bool atEnd = file.AtEnd();
    if (atEnd) CloseTextFileReader();
    if (!endVariable.empty()) c.SetResult(endVariable, atEnd ? "TRUE" : "FALSE");
}

// Failures are silent for the script, but never destructive: a file that
// exists and cannot be read is left as it is, and the new content replaces
// the old only once it is completely written.
void WriteToTextFile(CommandContext& c) {
    const std::string path = c.Path(1);
    if (IsOpenReader(path)) CloseTextFileReader();
    std::vector<std::string> lines;
    if (FileExists(path)) {
        const auto text = ReadFileText(path);
        if (!text) return;
        lines = SplitLines(*text);
    }
    const std::string line = c.Expanded(2);
    if (c.Flag(3)) lines.insert(lines.begin(), line);
    else lines.push_back(line);
    SetNormalAttributes(path);
    WriteFileText(path, JoinCrLf(lines));
}

}  // namespace

void CloseTextFileReader() { Reader() = {}; }

void RegisterTextFileCommands(CommandTable& table) {
    table.Register("Read from Text File", ReadFromTextFile);
    table.Register("Write to Text File", WriteToTextFile);
}
