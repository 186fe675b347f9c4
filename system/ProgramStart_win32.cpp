#include "system/ProgramStart.h"

#include <windows.h>
#include <shellapi.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "system/FailureReason_win32.h"
#include "system/OwnedHandle_win32.h"
#include "system/WideText.h"

namespace {

constexpr DWORD kWaitStepMs = 1000;

// Waits for the process in steps, letting this thread's messages through
// between them.
void WaitForProcess(HANDLE process) {
    while (MsgWaitForMultipleObjects(1, &process, FALSE, kWaitStepMs, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

int32_t ExitCodeOf(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return static_cast<int32_t>(code);
}

OwnedHandle ShellStart(const char* verb, const std::string& program, const std::string& parameters, bool hidden) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    if (!Recorded(ShellExecuteExA(&info))) return nullptr;
    return Own(info.hProcess);
}

WORD ShowCommand(int windowMode) {
    switch (windowMode) {
        case 1: return SW_HIDE;
        case 2: return SW_SHOWMAXIMIZED;
        case 3: return SW_SHOWMINIMIZED;
        case 4: return SW_SHOWMINNOACTIVE;
        default: return SW_SHOWNORMAL;
    }
}

// The process once started: its exit code after waiting, or 259 while it runs.
int32_t Finish(const PROCESS_INFORMATION& started, bool wait) {
    const OwnedHandle process = Own(started.hProcess);
    const OwnedHandle thread = Own(started.hThread);
    if (wait) WaitForProcess(process.get());
    return ExitCodeOf(process.get());
}

// What a failed start as another user gives the script: the logon and the
// start are one call, so the error tells which of them failed.
int32_t LogonStartFailureCode(DWORD error) {
    switch (error) {
        case ERROR_LOGON_FAILURE: return kRunAsLogonFailure;
        case ERROR_ACCESS_DENIED: return kRunAsAccessDenied;
        case ERROR_PRIVILEGE_NOT_HELD: return kRunAsPrivilegeNotHeld;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return kRunAsFileNotFound;
        case ERROR_ACCOUNT_RESTRICTION:
        case ERROR_INVALID_LOGON_HOURS:
        case ERROR_INVALID_WORKSTATION:
        case ERROR_PASSWORD_EXPIRED:
        case ERROR_ACCOUNT_DISABLED:
        case ERROR_NO_SUCH_DOMAIN:
        case ERROR_LOGON_TYPE_NOT_GRANTED:
        case ERROR_PASSWORD_MUST_CHANGE:
        case ERROR_ACCOUNT_LOCKED_OUT: return kRunAsLogonError;
        default: return kRunAsStartFailed;
    }
}

// The engine's own environment as the system keeps it (UTF-16), for a start
// whose script gives none.
class OwnEnvironment {
public:
    OwnEnvironment() : block_(GetEnvironmentStringsW()) {}
    ~OwnEnvironment() {
        if (block_) FreeEnvironmentStringsW(block_);
    }
    OwnEnvironment(const OwnEnvironment&) = delete;
    OwnEnvironment& operator=(const OwnEnvironment&) = delete;
    wchar_t* block() const { return block_; }

private:
    wchar_t* block_;
};

// Starts the program as the user through the secondary logon, which grants
// the new logon, and nobody else, the use of this window station and desktop.
int32_t StartAsUser(const RunAsRequest& request, const std::string& commandLine, std::string& environment) {
    std::wstring line = WideFromAnsi(commandLine);
    const std::wstring user = WideFromAnsi(request.user), domain = WideFromAnsi(request.domain);
    const std::wstring password = WideFromAnsi(request.password);
    const std::wstring folder = WideFromAnsi(request.workingFolder);
    std::wstring title = WideFromAnsi(request.domain + request.user);
    const OwnEnvironment own;
    void* environmentBlock = environment.empty() ? static_cast<void*>(own.block()) : environment.data();
    DWORD flags = CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP;
    if (environment.empty()) flags |= CREATE_UNICODE_ENVIRONMENT;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ShowCommand(request.windowMode);
    startup.lpTitle = title.data();
    PROCESS_INFORMATION started{};
    if (!CreateProcessWithLogonW(user.c_str(), domain.c_str(), password.c_str(), LOGON_WITH_PROFILE, nullptr,
                                 line.data(), flags, environmentBlock, folder.empty() ? nullptr : folder.c_str(),
                                 &startup, &started)) {
        const DWORD error = GetLastError();
        RecordFailure(error);
        return LogonStartFailureCode(error);
    }
    ForgetFailure();
    return Finish(started, request.wait);
}

OwnedHandle ShellStart(const std::string& program, const std::string& parameters, bool hidden) {
    OwnedHandle process = ShellStart("open", program, parameters, hidden);
    return process ? std::move(process) : ShellStart(nullptr, program, parameters, hidden);
}

// The threads that wait for a program not waited for, then run its after-end
// task. The engine waits for what is left before it ends.
class AfterEndTasks {
public:
    ~AfterEndTasks() { Finish(); }

    void Add(OwnedHandle process, std::function<void()> task) {
        const std::lock_guard guard(lock_);
        threads_.emplace_back([process = std::move(process), task = std::move(task)] {
            WaitForSingleObject(process.get(), INFINITE);
            try {
                task();
            } catch (...) {
            }
        });
    }

    void Finish() {
        std::vector<std::thread> threads;
        {
            const std::lock_guard guard(lock_);
            threads.swap(threads_);
        }
        for (std::thread& thread : threads) thread.join();
    }

private:
    std::mutex lock_;
    std::vector<std::thread> threads_;
};

AfterEndTasks& PendingAfterEndTasks() {
    static AfterEndTasks tasks;
    return tasks;
}

}  // namespace

int32_t RunShellProgram(const std::string& program, const std::string& parameters, bool hidden, bool wait,
                        std::function<void()> afterEnd) {
    OwnedHandle process = ShellStart(program, parameters, hidden);
    if (!process) {
        if (afterEnd) afterEnd();
        return kProgramNotStarted;
    }
    if (wait) WaitForProcess(process.get());
    const int32_t code = ExitCodeOf(process.get());
    if (!afterEnd) return code;
    if (wait)
        afterEnd();
    else
        PendingAfterEndTasks().Add(std::move(process), std::move(afterEnd));
    return code;
}

void FinishAfterEndTasks() { PendingAfterEndTasks().Finish(); }

int32_t RunProgramAs(const RunAsRequest& request) {
    const std::string commandLine = "\"" + request.program + "\" " + request.parameters;
    std::string environment = request.environment.empty() ? std::string() : EnvironmentBlock(request.environment);
    if (!request.user.empty()) return StartAsUser(request, commandLine, environment);

    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    void* environmentBlock = environment.empty() ? nullptr : environment.data();
    const char* folder = request.workingFolder.empty() ? nullptr : request.workingFolder.c_str();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ShowCommand(request.windowMode);
    PROCESS_INFORMATION started{};
    if (!Recorded(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, environmentBlock,
                                 folder, &startup, &started)))
        return kRunAsPlainStartFailed;
    return Finish(started, request.wait);
}

bool StartDetached(const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!Recorded(
            CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}
