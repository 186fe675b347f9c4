#include "script/commands/LightModeSetup.h"

#include "script/Payload.h"
#include "core/StartupValues.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

std::string OriginalOf(const std::string& file) { return file + ".nox"; }

}  // namespace

bool LightModeSetup::Build() {
    if (!RecoverEarlierRun()) return false;
    const std::string engine = Startup().exePath;
    const auto image = FindAppendedData(engine);
    const auto engineBytes = ReadFileText(engine);
    const auto payload = ReadFileText(file_);
    if (!image || !engineBytes || !payload || image->offset > engineBytes->size()) return false;
    const std::string built = file_ + ".to";
    if (!WriteFileText(built, engineBytes->substr(0, image->offset) + *payload)) {
        DeleteFileAt(built);
        return false;
    }
    if (!MoveFolder(file_, OriginalOf(file_))) {
        DeleteFileAt(built);
        return false;
    }
    if (!MoveFolder(built, file_)) {
        MoveFolder(OriginalOf(file_), file_);
        DeleteFileAt(built);
        return false;
    }
    built_ = true;
    CopyEngineLibrary();
    return true;
}

void LightModeSetup::Restore() {
    if (!built_) return;
    built_ = false;
    if (!kebCopy_.empty()) DeleteFileAt(kebCopy_);
    if (DeleteFileAt(file_)) MoveFolder(OriginalOf(file_), file_);
}

// An earlier run cut off while its setup ran left the built setup in the
// file's place and the original as ".nox". A built setup is recognised by its
// appended data, which is the whole original; anything else in the file's
// place is not ours and stays, and so does the ".nox".
bool LightModeSetup::RecoverEarlierRun() const {
    const std::string original = OriginalOf(file_);
    if (!FileExists(original)) return true;
    if (FileExists(file_)) {
        const auto originalBytes = ReadFileText(original);
        if (!originalBytes || ReadAppendedData(file_) != *originalBytes || !DeleteFileAt(file_)) return false;
    }
    return MoveFolder(original, file_);
}

// The built setup loads keb.dll from its own folder. A keb.dll already there
// (the engine's own folder, another setup's) is used as it is and stays; only
// a copy made here is removed afterwards.
void LightModeSetup::CopyEngineLibrary() {
    const std::string engineFolder = WithBackslash(Startup().exeFolder);
    const std::string folder = WithBackslash(FolderOf(file_));
    if (UpperAscii(folder) == UpperAscii(engineFolder)) return;
    if (CopyFileToNewName(engineFolder + "keb.dll", folder + "keb.dll")) kebCopy_ = folder + "keb.dll";
}
