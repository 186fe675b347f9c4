#include "system/ProgramStart.h"

#include <windows.h>
#include <shellapi.h>

#include <mutex>
#include <thread>
#include <vector>

#include "system/OwnedHandle_win32.h"

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
    if (!ShellExecuteExA(&info)) return nullptr;
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

struct WindowStationCloser {
    void operator()(HWINSTA station) const { CloseWindowStation(station); }
};
struct DesktopCloser {
    void operator()(HDESK desktop) const { CloseDesktop(desktop); }
};

std::string ObjectName(HANDLE object, const std::string& fallback) {
    char name[256] = {};
    DWORD needed = 0;
    if (!GetUserObjectInformationA(object, UOI_NAME, name, sizeof name - 1, &needed) || !name[0]) return fallback;
    return name;
}

// An empty (null) access list: everybody, the new process's user among them, may use the object.
bool OpenToEverybody(HANDLE object) {
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return false;
    if (!SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return false;
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
    return SetUserObjectSecurity(object, &what, &descriptor);
}

int32_t LogonFailureCode(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED: return kRunAsAccessDenied;
        case ERROR_PRIVILEGE_NOT_HELD: return kRunAsPrivilegeNotHeld;
        case ERROR_LOGON_FAILURE: return kRunAsLogonFailure;
        default: return kRunAsLogonError;
    }
}

int32_t StartFailureCode(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: return kRunAsFileNotFound;
        case ERROR_PRIVILEGE_NOT_HELD: return kRunAsStartPrivilege;
        default: return kRunAsStartFailed;
    }
}

// The process once started: its exit code after waiting, or 259 while it runs.
int32_t Finish(const PROCESS_INFORMATION& started, bool wait) {
    const OwnedHandle process = Own(started.hProcess);
    const OwnedHandle thread = Own(started.hThread);
    if (wait) WaitForProcess(process.get());
    return ExitCodeOf(process.get());
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
    std::string commandLine = "\"" + request.program + "\" " + request.parameters;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    std::string environment = request.environment.empty() ? std::string() : EnvironmentBlock(request.environment);
    void* environmentBlock = environment.empty() ? nullptr : environment.data();
    const char* folder = request.workingFolder.empty() ? nullptr : request.workingFolder.c_str();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ShowCommand(request.windowMode);
    PROCESS_INFORMATION started{};

    if (request.user.empty()) {
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, environmentBlock, folder,
                            &startup, &started))
            return kRunAsPlainStartFailed;
        return Finish(started, request.wait);
    }

    HANDLE token = nullptr;
    if (!LogonUserA(request.user.c_str(), request.domain.c_str(), request.password.c_str(), LOGON32_LOGON_INTERACTIVE,
                    LOGON32_PROVIDER_DEFAULT, &token))
        return LogonFailureCode(GetLastError());
    const OwnedHandle logon = Own(token);
    HWINSTA processStation = GetProcessWindowStation();
    const std::string stationName = ObjectName(processStation, "WinSta0");
    const std::unique_ptr<HWINSTA__, WindowStationCloser> station(
        OpenWindowStationA(stationName.c_str(), FALSE, READ_CONTROL | WRITE_DAC));
    if (!station || !OpenToEverybody(station.get())) return kRunAsWindowStation;
    const std::string desktopName = ObjectName(GetThreadDesktop(GetCurrentThreadId()), "Default");
    const std::unique_ptr<HDESK__, DesktopCloser> desktop(
        OpenDesktopA(desktopName.c_str(), 0, FALSE, READ_CONTROL | WRITE_DAC | DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS));
    if (!desktop || !OpenToEverybody(desktop.get())) return kRunAsDesktop;

    std::string desktopPath = stationName + "\\" + desktopName;
    std::string title = request.domain + request.user;
    startup.lpDesktop = desktopPath.data();
    startup.lpTitle = title.data();
    if (!CreateProcessAsUserA(logon.get(), nullptr, line.data(), nullptr, nullptr, FALSE,
                              CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, environmentBlock, folder, &startup, &started))
        return StartFailureCode(GetLastError());
    return Finish(started, request.wait);
}

bool StartDetached(const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}
