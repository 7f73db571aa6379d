#include "bench/walk/demo_server_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace {

// Starts the program with its standard output on a pipe; the read end, or -1. With `quiet`
// its standard error goes nowhere.
int Spawn(const std::string& program, const std::vector<std::string>& args, pid_t* pid,
          bool quiet) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    if (quiet) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return -1;
    }
    return fds[0];
}

}  // namespace

DemoServerProcess::DemoServerProcess(const std::string& program,
                                     const std::vector<std::string>& args) {
    output_ = Spawn(program, args, &pid_, true);  // the server's log is not our figures
    if (output_ < 0) return;
    // Byte by byte up to the READY line: nothing after it may be swallowed by a buffer.
    std::string line;
    char c;
    while (::read(output_, &c, 1) == 1) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (line.rfind("READY ", 0) == 0) {
            url_ = line.substr(6);
            break;
        }
        line.clear();
    }
    drain_ = std::thread([fd = output_] {
        char buffer[4096];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
    });
}

DemoServerProcess::~DemoServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (drain_.joinable()) drain_.join();  // the pipe ends with the child
    if (output_ >= 0) ::close(output_);
}

std::string RunAndCapture(const std::string& program, const std::vector<std::string>& args) {
    pid_t pid = -1;
    const int fd = Spawn(program, args, &pid, false);
    if (fd < 0) return {};
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return out;
}
