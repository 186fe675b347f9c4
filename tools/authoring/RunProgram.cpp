#include "tools/authoring/RunProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

extern char** environ;

namespace {

bool toolOutputShown = false;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Starts the program with both its stdout and stderr on outputFd.
pid_t Start(const std::vector<std::string>& argv, const std::string& workingFolder, int outputFd) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    if (outputFd != STDERR_FILENO) posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + " (is it installed?)");
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

void ShowToolOutput(bool show) { toolOutputShown = show; }

int RunProgram(const std::vector<std::string>& argv, const std::string& workingFolder) {
    // Tools print banners and chatter; an author needs them only when a tool fails.
    const ProgramResult result = RunProgramCapturing(argv, workingFolder);
    if (toolOutputShown || result.exitCode != 0) std::fwrite(result.output.data(), 1, result.output.size(), stderr);
    return result.exitCode;
}

ProgramResult RunProgramCapturing(const std::vector<std::string>& argv, const std::string& workingFolder) {
    int ends[2];
    // Close-on-exec: the child keeps only the copies on its stdout and stderr.
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for " + argv[0]);
    FileDescriptor reading(ends[0]), writing(ends[1]);
    const pid_t pid = Start(argv, workingFolder, writing.get());
    writing.Close();  // else the read below never sees the end
    ProgramResult result{0, {}};
    char buffer[4096];
    for (ssize_t got; (got = read(reading.get(), buffer, sizeof buffer)) != 0;) {
        if (got > 0) result.output.append(buffer, static_cast<size_t>(got));
        else if (errno != EINTR) break;
    }
    result.exitCode = Wait(pid);
    return result;
}
