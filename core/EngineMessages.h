#pragma once
#include <string>

// The engine's own translatable texts, numbered 1 to 90 in language-file line
// order (the numbers are the line a language message file gives the text on).
// They start with their English defaults; a language message file replaces
// them line by line.
enum class EngineMessage : int {
    CommonControlsUpdateRequired = 1,
    SetupResourceNotFound = 2,
    SetupResourceDecompressionFailed = 3,
    SetupDatabaseNotFound = 4,
    InstallRuntimeError = 5,
    Bytes = 6,
    Kilobytes = 7,
    Megabytes = 8,
    UndefinedVariableRead = 9,
    UndefinedVariableWrite = 10,
    CopyingCaption = 11,
    CopyFailed = 12,
    DownloadingCaption = 13,
    DownloadFailed = 14,
    ExtractingCaption = 15,
    ExtractFailed = 16,
    LocateSourcesTitle = 17,
    SourcesNotFound = 18,
    GeneralSetupFailure = 19,
    ScriptRuntimeError = 20,
    PercentComplete = 21,
    BytesReceived = 22,
    WizardCaption = 23,
    PreparingWizard = 24,
    RetryDownloadCaption = 25,
    RetryDownloadQuestion = 26,
    ProxyGroup = 27,
    ProxyServer = 28,
    ProxyPort = 29,
    RetryDownloadExitNote = 30,
    Yes = 31,
    No = 32,
    RetryExtractionCaption = 33,
    RetryExtractionQuestion = 34,
    FreshCopyChoice = 35,
    ExtractAgainChoice = 36,
    RetryExtractionExitNote = 37,
    Ok = 38,
    Cancel = 39,
    ConfirmCancel = 40,
    ProxyUser = 41,
    ProxyPassword = 42,
    FatalErrorHeading = 43,
    ErrorHeading = 44,
    WarningHeading = 45,
    MessageHeading = 46,
    FilesInUseHeading = 47,
    OutOfDiskSpaceHeading = 48,
    ResumeDownloadQuestion = 49,
    WouldYouLike = 50,
    ResumeChoice = 51,
    NewCopyChoice = 52,
    ResumeDownloadExitNote = 53,
    // The statuses of the system download service, in its binding status
    // code order: code 0 (no text) is BindStatusNone, code 33 AcceptRanges.
    BindStatusNone = 54,
    BindStatusLocatingResource = 55,
    BindStatusConnecting = 56,
    BindStatusRedirecting = 57,
    BindStatusBeginningTransfer = 58,
    BindStatusTransferringData = 59,
    BindStatusFinishingTransfer = 60,
    BindStatusBeginningComponentDownload = 61,
    BindStatusInstallingComponents = 62,
    BindStatusFinishingComponentDownload = 63,
    BindStatusResumingDownload = 64,
    BindStatusRequestingData = 65,
    BindStatusClassIdAvailable = 66,
    BindStatusDataRecognized = 67,
    BindStatusSavingDownloadInformation = 68,
    BindStatusBeginningSynchronousOperation = 69,
    BindStatusFinishingSynchronousOperation = 70,
    BindStatusBeginningUpload = 71,
    BindStatusUploadingData = 72,
    BindStatusFinishingUpload = 73,
    BindStatusProtocolClassId = 74,
    BindStatusEncoding = 75,
    BindStatusDataVerified = 76,
    BindStatusClassInstallLocation = 77,
    BindStatusDecoding = 78,
    BindStatusLoadingDataHandler = 79,
    BindStatusContentDispositionAttach = 80,
    BindStatusDataFiltered = 81,
    BindStatusClsidCanInstantiate = 82,
    BindStatusComServicesUnavailable = 83,
    BindStatusDirectBind = 84,
    BindStatusUnrecognizedData = 85,
    BindStatusDetectingProxy = 86,
    BindStatusAcceptRanges = 87,
    PendingOperationsRestart = 88,
    SelectLanguageCaption = 89,
    SelectLanguagePrompt = 90,
};
constexpr int kEngineMessageCount = 90;

// The text of an entry.
std::string EngineText(EngineMessage message);

// Replaces entries 1 to 90 from the lines of a language message file. Reading
// stops after line 90; entries beyond the file's last line keep their English
// default.
void LoadMessageText(const std::string& fileText);
// Back to the English defaults.
void ResetEngineTexts();
