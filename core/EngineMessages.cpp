#include "core/EngineMessages.h"

#include <array>
#include <mutex>

#include "system/TextUtils.h"

namespace {
// English defaults in the code page the engine writes (Windows-1252).
const std::array<const char*, kEngineMessageCount> kDefaults = {
    "Please install the common controls update from Microsoft before attempting to install this product.",
    "Setup resource not found",
    "Setup resource decompression failure",
    "Setup database not found",
    "Runtime error in install: ",
    "bytes",
    "KB",
    "MB",
    "Attempting to get value of undefined variable ",
    "Attempting to set value of undefined variable ",
    "Copying: ",
    "Unable to copy installation data to local folders",
    "Downloading Web Media: ",
    "Unable to download installation data from the web",
    "Extracting Web Media: ",
    "Unable to extract installation data downloaded from the web",
    "Please locate your original setup sources to continue operation",
    "Original setup sources required to complete operation, sources not found",
    "General setup failure",
    "Runtime error in setup script:",
    "% complete",
    "bytes received",
    "Orvanta Wizard",
    "Orvanta\x99"" is preparing the Orvanta\x99"" Installation Wizard which will install this application. Please wait.",
    "Retry Download?",
    "Downloading of installation data from the web has failed. Would you like to try again?",
    " Proxy Information (optional) ",
    "Proxy &Server:",
    "Proxy &Port:",
    "If you choose No, setup will exit. However, you will be able to resume your download from where it left off when you re-run setup.",
    "&Yes",
    "&No",
    "Retry Extraction?",
    "Extraction of installation data downloaded from the web has failed. What would you like to do?",
    "&Download a fresh copy of the installation data.",
    "Try to &extract the existing download data again.",
    "If you choose Cancel, setup will exit. Your existing download data will be preserved.",
    "&OK",
    "&Cancel",
    "Are you sure you want to cancel?",
    "Proxy &User:",
    "Proxy Pass&word:",
    "Fatal Error",
    "Error",
    "Warning",
    "Message",
    "Files in Use",
    "Out of Disk Space",
    "Downloading of installation data from the web has failed. Please make sure you are connected to the Internet.",
    "Would you like to:",
    "Try to &resume the broken download?",
    "Download a &new copy of the data instead?",
    "If you choose Cancel, setup will exit. However, you will be able to resume your download from where it left off when you re-run setup.",
    "",
    "Locating resource",
    "Connecting to",
    "Redirecting to",
    "Beginning data transfer",
    "Transferring data",
    "Finishing data transfer",
    "Beginning component download",
    "Installing components",
    "Finishing component download",
    "Resuming broken download",
    "Requesting data",
    "CLASSID available",
    "Download data recognized",
    "Saving download information",
    "Beginning synchronous operation",
    "Finishing synchronous operation",
    "Beginning data upload",
    "Uploading data",
    "Finishing data upload",
    "Protocol CLASSID",
    "Encoding",
    "Download data recognized and verified",
    "Class install location",
    "Decoding",
    "Loading data handler",
    "Content disposition attach",
    "Download data filtered",
    "CLSID can instantiate",
    "COM services unavailable",
    "Direct bind",
    "Unrecognized download data",
    "Detecting proxy information",
    "Accept ranges",
    "A previously executed setup still has pending operations on the system. Please restart your computer before attempting to install this product.",
    "Select Setup Language",
    "Please select the language to use during the installation:",
};

std::mutex gTextsLock;
std::array<std::string, kEngineMessageCount>& Texts() {
    static std::array<std::string, kEngineMessageCount> texts = [] {
        std::array<std::string, kEngineMessageCount> t;
        for (int i = 0; i < kEngineMessageCount; ++i) t[i] = kDefaults[i];
        return t;
    }();
    return texts;
}
}  // namespace

std::string EngineText(int n) {
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
        Texts()[i] = i < static_cast<int>(lines.size()) ? lines[i] : kDefaults[i];
}

void ResetEngineTexts() {
    std::lock_guard lock(gTextsLock);
    for (int i = 0; i < kEngineMessageCount; ++i) Texts()[i] = kDefaults[i];
}
