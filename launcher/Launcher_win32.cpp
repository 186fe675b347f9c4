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
#include "keb/OutputFiles.h"
#include "launcher/Ending.h"
#include "launcher/ExtractionWindow.h"
#include "launcher/LaunchCommand.h"
#include "launcher/PrivateFolder.h"
#include "script/AppendedData.h"
#include "system/LoadedLibrary.h"

namespace {

// What ending on the spot must still see (EndNow), each set while it exists.
bool silentRun = false;
PrivateFolder* ownFolder = nullptr;
ExtractionWindow* progressWindow = nullptr;

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

// Empty when the system names none.
std::string TempFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    return std::string(buffer, length);
}

void ShowError(const std::string& text) {
    if (!silentRun) MessageBoxA(nullptr, text.c_str(), "Setup", MB_OK | MB_ICONERROR);
}

void ShowDamaged(const std::string& reason) {
    ShowError("This setup file is damaged or incomplete and cannot run. Please download it again.\n\n(" + reason +
              ")");
}

// Unpacks the appended archive into the folder and returns the engine's path
// there. A damaged archive or a cancel ends the program (EndOnArchiveError).
std::string Unpack(const std::string& launcher, const AppendedData& where, const std::string& folder) {
    keb::PasswordProvider password(nullptr, NoPassword);
    const keb::Archive archive(launcher, keb::FileWindow{where.offset, where.length}, password);
    keb::ExtractRequest request;
    for (const keb::Entry& entry : archive.database().entries) request.targets.push_back(entry.name);
    const std::string engine = EngineEntry(request.targets);
    if (engine.empty()) keb::ThrowArchiveError(kKebErrorCorrupt, "the archive holds no setup program");
    request.destination = folder;
    ExtractionWindow window(silentRun);
    progressWindow = &window;
    keb::ExtractionProgress progress(ShowProgress);
    keb::ExtractEntries(archive, password, progress, request);
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
    silentRun = command.silent;
    const std::string launcher = OwnPath();
    const auto where = FindAppendedRegion(launcher);
    if (!where || where->length == 0) {
        ShowDamaged("no setup is appended to this program");
        return kStartFailure;
    }
    const std::string temp = TempFolder();
    const auto made = CreatePrivateFolder(temp);
    if (!made) {
        ShowError("This setup cannot unpack itself: no private folder could be made in the temporary folder " +
                  temp + ".");
        return kStartFailure;
    }
    PrivateFolder folder(*made);
    ownFolder = &folder;
    const std::string engine = Unpack(launcher, *where, folder.path());
    const DWORD code = RunEngine(engine, launcher, command);
    ownFolder = nullptr;
    return code;
}

}  // namespace

void EndNow(uint32_t exitCode) {
    keb::OutputFile::AbandonAll();
    if (progressWindow) progressWindow->Close();
    if (ownFolder) ownFolder->Remove();
    ExitProcess(exitCode);
}

void keb::EndOnArchiveError(const keb::ArchiveError& error) {
    if (error.code() == kKebErrorCancelled) EndNow(kCancelled);
    if (progressWindow) progressWindow->Close();
    ShowDamaged(error.what());
    EndNow(kStartFailure);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything loads a library: a launcher runs from a downloads folder,
    // where files named like system libraries may wait.
    RestrictLibrarySearch();
    return static_cast<int>(RunLauncher());
}
