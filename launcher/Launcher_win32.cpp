// The self-extracting launcher: one file that carries a whole setup folder as
// a 7z archive appended to this program (before any signature). It unpacks
// the folder into a private folder of its own, runs the engine there with the
// launcher's command line, ends with the engine's exit code and removes the
// folder on every way out.
#include <windows.h>

#include <string>
#include <vector>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/Extractor.h"
#include "launcher/ExtractionWindow.h"
#include "launcher/LaunchCommand.h"
#include "launcher/LauncherError.h"
#include "launcher/PrivateFolder.h"
#include "script/AppendedData.h"
#include "system/LoadedLibrary.h"

namespace {

const int kStartFailure = 11;   // as the engine's own start-up failure
const int kCancelled = 1602;    // ERROR_INSTALL_USEREXIT

ExtractionWindow* progressWindow = nullptr;  // the extraction's, while it runs

int32_t KEB_CALL ShowProgress(const char*, uint32_t doneLow, uint32_t doneHigh, uint32_t totalLow,
                              uint32_t totalHigh) {
    const uint64_t done = (uint64_t(doneHigh) << 32) | doneLow, total = (uint64_t(totalHigh) << 32) | totalLow;
    return progressWindow->Update(done, total) ? 1 : 0;
}

int32_t KEB_CALL NoPassword(char*) { return 0; }

std::string OwnPath() {
    std::vector<char> buffer(32768);
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.data(), length);
}

std::string TempFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length > MAX_PATH) throw LauncherError("no temporary folder");
    return std::string(buffer, length);
}

void ShowDamaged(const LaunchCommand& command, const std::string& reason) {
    if (command.silent) return;
    const std::string text = "This setup file is damaged or incomplete and cannot run. Please download it again.\n\n(" +
                             reason + ")";
    MessageBoxA(nullptr, text.c_str(), "Setup", MB_OK | MB_ICONERROR);
}

// Unpacks the appended archive into the folder and returns the engine's path
// there. Throws keb::ArchiveError for a damaged archive or a cancel.
std::string Unpack(const std::string& launcher, const AppendedData& where, const std::string& folder,
                   const LaunchCommand& command) {
    keb::PasswordProvider password(nullptr, NoPassword);
    const keb::Archive archive(launcher, keb::FileWindow{where.offset, where.length}, password);
    keb::ExtractRequest request;
    for (const keb::Entry& entry : archive.database().entries) request.targets.push_back(entry.name);
    const std::string engine = EngineEntry(request.targets);
    if (engine.empty()) throw keb::ArchiveError(kKebErrorCorrupt, "the archive holds no setup program");
    request.destination = folder;
    ExtractionWindow window(command.silent);
    progressWindow = &window;
    keb::ExtractionProgress progress(ShowProgress);
    try {
        keb::ExtractEntries(archive, password, progress, request);
    } catch (...) {
        progressWindow = nullptr;
        throw;
    }
    progressWindow = nullptr;
    return folder + engine;
}

// Starts the engine and waits for it; its exit code, all 32 bits of it.
DWORD RunEngine(const std::string& engine, const std::string& launcher, const LaunchCommand& command) {
    std::string line = EngineCommandLine(engine, launcher, command.arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(engine.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return kStartFailure;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = kStartFailure;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return code;
}

DWORD RunLauncher() {
    const LaunchCommand command = ParseLaunchCommand(GetCommandLineA());
    const std::string launcher = OwnPath();
    const auto where = FindAppendedRegion(launcher);
    if (!where || where->length == 0) {
        ShowDamaged(command, "no setup is appended to this program");
        return kStartFailure;
    }
    const PrivateFolder folder(TempFolder());
    std::string engine;
    try {
        engine = Unpack(launcher, *where, folder.path(), command);
    } catch (const keb::ArchiveError& e) {
        if (e.code() == kKebErrorCancelled) return kCancelled;
        ShowDamaged(command, e.what());
        return kStartFailure;
    }
    return RunEngine(engine, launcher, command);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything loads a library: a launcher runs from a downloads folder,
    // where files named like system libraries may wait.
    RestrictLibrarySearch();
    try {
        return static_cast<int>(RunLauncher());
    } catch (...) {
        return kStartFailure;
    }
}
