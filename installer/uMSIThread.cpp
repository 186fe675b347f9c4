#include "installer/uMSIThread.h"

#include "core/EngineMessages.h"
#include "core/ProgressState.h"
#include "core/WorkerPolling.h"
#include "installer/ApplySystem.h"
#include "installer/ApplyTexts.h"
#include "installer/InstallerDatabase.h"
#include "installer/InstallerMessageHandler.h"
#include "installer/uMSIAPI.h"
#include "core/ScriptError.h"
#include "system/CurrentFolder.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/Paths.h"
#include "system/TextUtils.h"
#include "system/WideText.h"

namespace {
constexpr int kInternalUiNoneWithSourceResolution = 0x102;  // INSTALLUILEVEL_NONE | SOURCERESONLY
constexpr unsigned kLogModeAllButFilesInUseAndDialogs = 0x3FDF;
constexpr unsigned kLogAppendAndFlush = 0x3;                  // INSTALLLOGATTRIBUTES_APPEND | FLUSHEACHLINE

bool HasBlank(const std::string& text) { return text.find(' ') != std::string::npos; }

// Replaces folder by its short form; true when the result still needs quotes.
bool ShortenFolder(std::string& folder) {
    std::optional<std::string> shortForm = ShortPathName(folder);
    if (!shortForm) return true;
    folder = WithBackslash(*shortForm);
    return HasBlank(folder);
}

// The property file is named after the product code: a code that could name
// another folder must not place (and later delete) a file outside TEMP.
std::string PropertyFilePath(const std::string& tempFolder, const std::string& productCode) {
    if (productCode.empty() || productCode == "." || productCode == ".." ||
        productCode.find_first_of("\\/:") != std::string::npos)
        throw ScriptError("Invalid product code: " + productCode);
    return WithBackslash(tempFolder) + productCode;
}

void WriteOrFail(const std::string& path, const std::string& bytes) {
    if (!WriteWholeFile(path, bytes)) throw ScriptError("Unable to write file: " + path);
}

// The property file exists only while the worker runs.
class PropertyFile {
public:
    explicit PropertyFile(std::string path) : path_(std::move(path)) {}
    PropertyFile(const PropertyFile&) = delete;
    PropertyFile& operator=(const PropertyFile&) = delete;
    ~PropertyFile() { DeleteFileAt(path_); }
    void Write(const std::string& text) { WriteOrFail(path_, text); }

private:
    std::string path_;
};

// The variables SILENT and TITLE set the quiet flag and caption of the installer's boxes.
void TakeBoxSettings(const NameValueList& variables) {
    for (const auto& [name, value] : variables) {
        if (SameText(name, "SILENT")) InstallerMessages().SetQuiet(UpperAscii(value) == "TRUE");
        if (SameText(name, "TITLE")) InstallerMessages().SetCaption(value);
    }
}
}  // namespace

TMSIThread::TMSIThread(const ApplyRequest& request, ApplyState& state) : request_(request), state_(state) {}

void TMSIThread::Execute() noexcept {
    try {
        Run();
    } catch (const std::exception& error) {
        state_.errorText = error.what();
        state_.failed = true;
    } catch (...) {
        state_.errorText = EngineText(EngineMessage::GeneralSetupFailure);
        state_.failed = true;
    }
}

InstallerSources TMSIThread::ComputeSources() {
    InstallerSources sources;
    sources.packageFolder = WithBackslash(FolderOf(request_.package));
    sources.quotePackage = ShortenFolder(sources.packageFolder);

    sources.dataFolder = WithBackslash(request_.dataFolder);
    if (!EndsWith(UpperAscii(request_.package), ".MSP")) {
        if (!FolderExists(sources.dataFolder)) CreateFolderTree(sources.dataFolder);
    } else if (FolderExists(request_.patchSourceFolder)) {
        sources.quoteData = ShortenFolder(request_.patchSourceFolder);
    }
    if (FolderExists(sources.dataFolder)) sources.quoteData = ShortenFolder(sources.dataFolder) || sources.quoteData;

    sources.mediaPath = MediaPathOf(sources.dataFolder);
    sources.sourceList = SourceListOf(sources);
    return sources;
}

void TMSIThread::Run() {
    InstallerSources sources = ComputeSources();
    SetProgressRange(0, 100);

    NameValueList variables = PairsOfCommaText(request_.variablesText);
    TakeBoxSettings(variables);
    PropertyFileContent content;
    content.sourceDir = request_.patchMode ? request_.patchSourceFolder : sources.dataFolder;
    content.mediaRecord = request_.patchMode ? std::pair<std::string, std::string>("SRCDIREX", request_.patchSourceFolder)
                                             : std::pair<std::string, std::string>("MEDIAPACKAGEPATH", sources.mediaPath);
    content.properties = PairsOfCommaText(request_.propertiesText);
    content.variables = variables;
    PropertyFile propertyFile(PropertyFilePath(request_.tempFolder, request_.productCode));
    propertyFile.Write(PropertyFileText(content, request_.expandValue));

    SetProgress("Windows Installer", 0, 100, 100);
    if (!request_.patchMode) WritePendingProperties(request_.package);

    MsiApi& api = Msi();
    int productState = api.QueryProductState(request_.productCode);
    if (state_.cancelled) return;

    const std::string* allUsersValue = FindValue(variables, "ALLUSERS");
    RunInstaller(sources, allUsersValue && *allUsersValue == "TRUE", productState);

    if (state_.failed && state_.errorText.empty())
        state_.errorText = FallbackErrorText(InstallerMessages().LastError());
}

void TMSIThread::WriteLogHeader(const InstallerSources& sources) {
    LogHeaderContent header;
    header.timestamp = LocalDateTimeText();
    header.variablesText = request_.variablesText;
    header.propertiesText = request_.propertiesText;
    header.package = request_.package;
    header.productCode = request_.productCode;
    header.dataFolder = sources.dataFolder;
    header.mediaPath = sources.mediaPath;
    header.packageFolder = sources.packageFolder;
    std::string folder = FolderOf(request_.logFile);
    if (!folder.empty() && !FolderExists(folder)) CreateFolderTree(folder);
    WriteOrFail(request_.logFile, Utf16LeFromAnsi(LogHeaderText(header)));
}

void TMSIThread::RunInstaller(const InstallerSources& sources, bool allUsers, int productState) {
    MsiApi& api = Msi();
    if (!request_.logFile.empty()) {
        WriteLogHeader(sources);
        api.EnableLog(kLogModeAllButFilesInUseAndDialogs, request_.logFile, kLogAppendAndFlush);
    }
    api.SetInternalUI(kInternalUiNoneWithSourceResolution);
    api.SetExternalUI(&InstallerMessages(), InstallerMessageHandler::kMessageFilter);

    ApplyFlags flags;
    std::string errorText;
    if (request_.patchMode) {
        for (const std::string& user : {std::string(), CurrentAccountName()})
            api.SourceListAddSource(request_.productCode, user, request_.patchSourceFolder);
        TakeInstallerCode(api.ApplyPatch(request_.package,
                                         PatchCommandLine(request_.patchSourceFolder, sources.quoteData, allUsers)),
                          flags, errorText);
    } else if (request_.install || request_.advertise) {
        std::string commandLine =
            InstallCommandLine(sources, allUsers, productState == kMsiStateInstalled, request_.advertise);
        TakeInstallerCode(api.InstallProduct(request_.package, commandLine), flags, errorText);
    } else {
        MsiHandleOwner session(api);
        unsigned code = api.OpenPackage(request_.package, session.Receive());
        if (code == kMsiSuccess) {
            for (const auto& [name, value] : RemoveProperties(sources, allUsers)) api.SetProperty(session.Get(), name, value);
            code = api.DoAction(session.Get(), "INSTALL");
        }
        if (code == kMsiSuccess) {
            flags.reboot = api.GetMode(session.Get(), kMsiRunModeRebootAtEnd) ||
                           api.GetMode(session.Get(), kMsiRunModeRebootNow);
        } else {
            flags.failed = true;
            errorText = TrimmedSystemMessage(code);
        }
    }
    state_.errorText = errorText;
    state_.reboot = flags.reboot;
    state_.failed = flags.failed;
}

namespace {
ApplyState& UnitState() {
    static ApplyState state;
    return state;
}
}  // namespace

ApplyOutcome ApplyChanges(const ApplyRequest& request) {
    CurrentFolderScope folder(request.patchMode ? std::string() : FolderOf(request.workingFile));
    InstallerMessageHandler& handler = InstallerMessages();
    handler.SetOwnerWindow(ProgressOwnerWindow());

    ApplyState& state = UnitState();
    state.cancelled = false;
    state.failed = false;
    state.reboot = false;
    state.errorText.clear();
    handler.ClearLastError();
    handler.SetProgressCallback([&state](const std::string& text, int64_t minimum, int64_t maximum, int64_t position) {
        SetProgress(text, minimum, maximum, position);
        return !state.cancelled;
    });
    SetProgress("", 0, 0, -1);

    TMSIThread worker(request, state);
    RunPolledWorker([&worker] { worker.Execute(); },
                    [&state] {
                        if (CancelState() == -1) state.cancelled = true;
                    },
                    request.silent);
    ApplyFlags flags{state.cancelled, state.failed, state.reboot};
    return {ResultOf(flags), state.errorText};
}
