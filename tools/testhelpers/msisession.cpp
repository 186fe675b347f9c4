// Drives the engine's Windows Installer session from the command line, for
// the end-to-end tests:
//   msisession write PACKAGE [--new-instance PRODUCTCODE PACKAGECODE] NAME=VALUE...
//       queues the properties (a "\n" in a value stands for a line break) and
//       writes them into the package
//   msisession apply install|advertise|remove PACKAGE PRODUCTCODE DATADIR [LOGFILE]
//       runs the installer as the Apply Changes command does and prints the
//       result, the error text and what the shared progress state showed
//   msisession state PRODUCTCODE
//       prints the installer's state of the product
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/ProgressState.h"
#include "installer/InstallerDatabase.h"
#include "installer/uMSIAPI.h"
#include "installer/uMSIThread.h"
#include "system/CommaText.h"
#include "system/TextUtils.h"

namespace {
int Usage() {
    std::fputs("usage: msisession write|apply|state ...\n", stderr);
    return 100;
}

int Write(const std::vector<std::string>& args) {
    if (args.empty()) return Usage();
    const std::string& package = args[0];
    size_t next = 1;
    if (args.size() >= 4 && args[1] == "--new-instance") {
        RequestNewInstance(args[2], args[3]);
        next = 4;
    }
    for (; next < args.size(); ++next) {
        size_t equals = args[next].find('=');
        if (equals == std::string::npos) return Usage();
        SetInstallerProperty(args[next].substr(0, equals), ReplaceText(args[next].substr(equals + 1), "\\n", "\r\n", false));
    }
    WritePendingProperties(package);
    std::printf("reidentified=%s\n", ReidentifiedPackage().c_str());
    return 0;
}

// Samples the shared progress state while the apply runs.
class ProgressWatch {
public:
    ProgressWatch() : thread_([this] { Watch(); }) {}
    ~ProgressWatch() { Stop(); }
    void Stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    void Print() const {
        std::printf("maxposition=%lld\nmaxtotal=%lld\npositions=%zu\ntexts=%zu\n", maxPosition_, maxTotal_,
                    positions_.size(), texts_.size());
    }

private:
    void Watch() noexcept {
        try {
            while (running_) {
                ProgressSnapshot progress = ReadProgress();
                maxPosition_ = std::max<long long>(maxPosition_, progress.position);
                maxTotal_ = std::max<long long>(maxTotal_, progress.maximum);
                positions_.insert(progress.position);
                texts_.insert(progress.text);
                Sleep(1);
            }
        } catch (...) {
            // Out of memory while sampling: what was seen so far is printed.
        }
    }

    std::atomic<bool> running_{true};
    long long maxPosition_ = 0, maxTotal_ = 0;
    std::set<long long> positions_;
    std::set<std::string> texts_;
    std::thread thread_;
};

int Apply(const std::vector<std::string>& args) {
    if (args.size() < 4) return Usage();
    ApplyRequest request;
    request.install = args[0] != "remove";
    request.advertise = args[0] == "advertise";
    request.package = args[1];
    request.productCode = args[2];
    request.dataFolder = args[3];
    request.logFile = args.size() > 4 ? args[4] : "";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    request.tempFolder = temp;
    request.propertiesText = ToCommaText({"SESSIONTEST", "TRUE"});
    request.variablesText =
        ToCommaText({"SILENT", "TRUE", "TITLE", "Session test", "ALLUSERS", "TRUE", "MyProp", "hello", "REMOVE", "X"});
    request.silent = false;  // pump messages as an interactive run does

    ProgressWatch watch;
    ApplyOutcome outcome = ApplyChanges(request);
    watch.Stop();
    std::printf("result=%d\nerror=%s\n", static_cast<int>(outcome.result), outcome.errorText.c_str());
    watch.Print();
    return 0;
}

int State(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage();
    std::printf("state=%d\n", Msi().QueryProductState(args[0]));
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    std::string verb = args.front();
    args.erase(args.begin());
    try {
        if (verb == "write") return Write(args);
        if (verb == "apply") return Apply(args);
        if (verb == "state") return State(args);
    } catch (const std::exception& error) {
        std::printf("exception=%s\n", error.what());
        return 101;
    }
    return Usage();
}
