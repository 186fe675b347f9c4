#include "core/EngineMessages.h"

#include <array>
#include <mutex>

#include "system/TextUtils.h"

namespace {
// English defaults in the code page the engine writes (Windows-1252).
struct DefaultText {
    EngineMessage message;
    const char* text;
};
constexpr std::array<DefaultText, kEngineMessageCount> kDefaults = {{
    {EngineMessage::CommonControlsUpdateRequired, "Please install the common controls update from Microsoft before attempting to install this product."},
    {EngineMessage::SetupResourceNotFound, "Setup resource not found"},
    {EngineMessage::SetupResourceDecompressionFailed, "Setup resource decompression failure"},
    {EngineMessage::SetupDatabaseNotFound, "Setup database not found"},
    {EngineMessage::InstallRuntimeError, "Runtime error in install: "},
    {EngineMessage::Bytes, "bytes"},
    {EngineMessage::Kilobytes, "KB"},
    {EngineMessage::Megabytes, "MB"},
    {EngineMessage::UndefinedVariableRead, "Attempting to get value of undefined variable "},
    {EngineMessage::UndefinedVariableWrite, "Attempting to set value of undefined variable "},
    {EngineMessage::CopyingCaption, "Copying: "},
    {EngineMessage::CopyFailed, "Unable to copy installation data to local folders"},
    {EngineMessage::DownloadingCaption, "Downloading Web Media: "},
    {EngineMessage::DownloadFailed, "Unable to download installation data from the web"},
    {EngineMessage::ExtractingCaption, "Extracting Web Media: "},
    {EngineMessage::ExtractFailed, "Unable to extract installation data downloaded from the web"},
    {EngineMessage::LocateSourcesTitle, "Please locate your original setup sources to continue operation"},
    {EngineMessage::SourcesNotFound, "Original setup sources required to complete operation, sources not found"},
    {EngineMessage::GeneralSetupFailure, "General setup failure"},
    {EngineMessage::ScriptRuntimeError, "Runtime error in setup script:"},
    {EngineMessage::PercentComplete, "% complete"},
    {EngineMessage::BytesReceived, "bytes received"},
    {EngineMessage::WizardCaption, "Orvanta Wizard"},
    {EngineMessage::PreparingWizard, "Orvanta\x99"" is preparing the Orvanta\x99"" Installation Wizard which will install this application. Please wait."},
    {EngineMessage::RetryDownloadCaption, "Retry Download?"},
    {EngineMessage::RetryDownloadQuestion, "Downloading of installation data from the web has failed. Would you like to try again?"},
    {EngineMessage::ProxyGroup, " Proxy Information (optional) "},
    {EngineMessage::ProxyServer, "Proxy &Server:"},
    {EngineMessage::ProxyPort, "Proxy &Port:"},
    {EngineMessage::RetryDownloadExitNote, "If you choose No, setup will exit. However, you will be able to resume your download from where it left off when you re-run setup."},
    {EngineMessage::Yes, "&Yes"},
    {EngineMessage::No, "&No"},
    {EngineMessage::RetryExtractionCaption, "Retry Extraction?"},
    {EngineMessage::RetryExtractionQuestion, "Extraction of installation data downloaded from the web has failed. What would you like to do?"},
    {EngineMessage::FreshCopyChoice, "&Download a fresh copy of the installation data."},
    {EngineMessage::ExtractAgainChoice, "Try to &extract the existing download data again."},
    {EngineMessage::RetryExtractionExitNote, "If you choose Cancel, setup will exit. Your existing download data will be preserved."},
    {EngineMessage::Ok, "&OK"},
    {EngineMessage::Cancel, "&Cancel"},
    {EngineMessage::ConfirmCancel, "Are you sure you want to cancel?"},
    {EngineMessage::ProxyUser, "Proxy &User:"},
    {EngineMessage::ProxyPassword, "Proxy Pass&word:"},
    {EngineMessage::FatalErrorHeading, "Fatal Error"},
    {EngineMessage::ErrorHeading, "Error"},
    {EngineMessage::WarningHeading, "Warning"},
    {EngineMessage::MessageHeading, "Message"},
    {EngineMessage::FilesInUseHeading, "Files in Use"},
    {EngineMessage::OutOfDiskSpaceHeading, "Out of Disk Space"},
    {EngineMessage::ResumeDownloadQuestion, "Downloading of installation data from the web has failed. Please make sure you are connected to the Internet."},
    {EngineMessage::WouldYouLike, "Would you like to:"},
    {EngineMessage::ResumeChoice, "Try to &resume the broken download?"},
    {EngineMessage::NewCopyChoice, "Download a &new copy of the data instead?"},
    {EngineMessage::ResumeDownloadExitNote, "If you choose Cancel, setup will exit. However, you will be able to resume your download from where it left off when you re-run setup."},
    {EngineMessage::BindStatusNone, ""},
    {EngineMessage::BindStatusLocatingResource, "Locating resource"},
    {EngineMessage::BindStatusConnecting, "Connecting to"},
    {EngineMessage::BindStatusRedirecting, "Redirecting to"},
    {EngineMessage::BindStatusBeginningTransfer, "Beginning data transfer"},
    {EngineMessage::BindStatusTransferringData, "Transferring data"},
    {EngineMessage::BindStatusFinishingTransfer, "Finishing data transfer"},
    {EngineMessage::BindStatusBeginningComponentDownload, "Beginning component download"},
    {EngineMessage::BindStatusInstallingComponents, "Installing components"},
    {EngineMessage::BindStatusFinishingComponentDownload, "Finishing component download"},
    {EngineMessage::BindStatusResumingDownload, "Resuming broken download"},
    {EngineMessage::BindStatusRequestingData, "Requesting data"},
    {EngineMessage::BindStatusClassIdAvailable, "CLASSID available"},
    {EngineMessage::BindStatusDataRecognized, "Download data recognized"},
    {EngineMessage::BindStatusSavingDownloadInformation, "Saving download information"},
    {EngineMessage::BindStatusBeginningSynchronousOperation, "Beginning synchronous operation"},
    {EngineMessage::BindStatusFinishingSynchronousOperation, "Finishing synchronous operation"},
    {EngineMessage::BindStatusBeginningUpload, "Beginning data upload"},
    {EngineMessage::BindStatusUploadingData, "Uploading data"},
    {EngineMessage::BindStatusFinishingUpload, "Finishing data upload"},
    {EngineMessage::BindStatusProtocolClassId, "Protocol CLASSID"},
    {EngineMessage::BindStatusEncoding, "Encoding"},
    {EngineMessage::BindStatusDataVerified, "Download data recognized and verified"},
    {EngineMessage::BindStatusClassInstallLocation, "Class install location"},
    {EngineMessage::BindStatusDecoding, "Decoding"},
    {EngineMessage::BindStatusLoadingDataHandler, "Loading data handler"},
    {EngineMessage::BindStatusContentDispositionAttach, "Content disposition attach"},
    {EngineMessage::BindStatusDataFiltered, "Download data filtered"},
    {EngineMessage::BindStatusClsidCanInstantiate, "CLSID can instantiate"},
    {EngineMessage::BindStatusComServicesUnavailable, "COM services unavailable"},
    {EngineMessage::BindStatusDirectBind, "Direct bind"},
    {EngineMessage::BindStatusUnrecognizedData, "Unrecognized download data"},
    {EngineMessage::BindStatusDetectingProxy, "Detecting proxy information"},
    {EngineMessage::BindStatusAcceptRanges, "Accept ranges"},
    {EngineMessage::PendingOperationsRestart, "A previously executed setup still has pending operations on the system. Please restart your computer before attempting to install this product."},
    {EngineMessage::SelectLanguageCaption, "Select Setup Language"},
    {EngineMessage::SelectLanguagePrompt, "Please select the language to use during the installation:"},
}};

// Entry i of the table is message i + 1: a text's position is its line in a
// language message file, and EngineText finds it by number.
constexpr bool EveryNumberInItsPlace() {
    for (int i = 0; i < kEngineMessageCount; ++i)
        if (static_cast<int>(kDefaults[i].message) != i + 1) return false;
    return true;
}
static_assert(EveryNumberInItsPlace(), "the default texts must list messages 1 to 90 in order");

std::mutex gTextsLock;
std::array<std::string, kEngineMessageCount>& Texts() {
    static std::array<std::string, kEngineMessageCount> texts = [] {
        std::array<std::string, kEngineMessageCount> t;
        for (int i = 0; i < kEngineMessageCount; ++i) t[i] = kDefaults[i].text;
        return t;
    }();
    return texts;
}
}  // namespace

std::string EngineText(EngineMessage message) {
    const int n = static_cast<int>(message);
    if (n < 1 || n > kEngineMessageCount) return {};
    std::lock_guard lock(gTextsLock);
    return Texts()[n - 1];
}

void LoadMessageText(const std::string& fileText) {
    auto lines = SplitLines(fileText);
    std::lock_guard lock(gTextsLock);
    // Entries a short file lacks keep their English text: an empty error box
    // helps nobody.
    for (int i = 0; i < kEngineMessageCount; ++i)
        Texts()[i] = i < static_cast<int>(lines.size()) ? lines[i] : kDefaults[i].text;
}

void ResetEngineTexts() {
    std::lock_guard lock(gTextsLock);
    for (int i = 0; i < kEngineMessageCount; ++i) Texts()[i] = kDefaults[i].text;
}
