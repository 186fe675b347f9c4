#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Starting other programs for the script. Exit codes are the programs' own;
// a program that is still running when its code is read gives 259 (the
// system's still-active code). These calls block their thread: the script
// runs them on a worker.

// The code stored when no program could be started at all.
inline constexpr int32_t kProgramNotStarted = -11;

// Starts the program through the shell (the "open" verb, then no verb), shown
// normally or hidden, with no working folder; with wait, returns once it has
// ended. kProgramNotStarted when both starts fail. afterEnd, when given, runs
// once the program has ended (at once when it did not start): on this thread
// when waiting, else on a thread of its own, which the engine lets finish
// before it ends (FinishAfterEndTasks); it must not throw.
int32_t RunShellProgram(const std::string& program, const std::string& parameters, bool hidden, bool wait,
                        std::function<void()> afterEnd = {});
// Waits until every program started with an after-end task has ended and its
// task has run.
void FinishAfterEndTasks();

struct RunAsRequest {
    std::string program;
    std::string workingFolder;  // empty: the engine's current folder
    std::string parameters;
    int windowMode = 0;         // 0 normal, 1 hidden, 2 maximized, 3 minimized, 4 minimized without activation
    std::string user;           // empty: a plain start as the engine's own user
    std::string password;
    std::string domain;
    bool wait = false;
    // NAME=value entries, one a line; empty: the engine's own environment.
    std::string environment;
};

// Outcome codes of RunProgramAs besides the program's exit code.
enum : int32_t {
    kRunAsPrivilegeNotHeld = -2, kRunAsLogonFailure = -3, kRunAsAccessDenied = -4, kRunAsLogonError = -5,
    kRunAsFileNotFound = -9, kRunAsStartFailed = -10, kRunAsPlainStartFailed = kProgramNotStarted,
};

// Starts "program" parameters with a new console, as the given user (through
// the secondary logon, which lets that logon alone use this window station and
// desktop; the engine changes no access list itself) or, with no user, as the
// engine's own.
int32_t RunProgramAs(const RunAsRequest& request);

// The environment block of CreateProcess from the entries, one a line (CR LF
// or LF): each entry zero-terminated, one more zero at the end; empty lines
// are left out.
std::string EnvironmentBlock(const std::string& entries);

// Starts the program with the command line; true when it started (nobody waits for it).
bool StartDetached(const std::string& commandLine);
