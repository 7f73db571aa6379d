#pragma once

#include <sys/types.h>

#include <string>
#include <thread>
#include <vector>

// The demo server executable as a child process. Its log on standard error goes nowhere; what
// follows the READY line on standard output is read and thrown away on a thread of its own so
// that it never blocks on a full pipe.
class DemoServerProcess {
public:
    // Starts `program` with `args` and waits for its "READY <url>" line; Url() is empty when
    // it did not come.
    DemoServerProcess(const std::string& program, const std::vector<std::string>& args);
    ~DemoServerProcess();  // SIGTERM, then waits for the child
    DemoServerProcess(const DemoServerProcess&) = delete;
    DemoServerProcess& operator=(const DemoServerProcess&) = delete;

    const std::string& Url() const { return url_; }
    // The child, to freeze (SIGSTOP) and thaw; -1 when it did not start.
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string url_;
    std::thread drain_;
};

// Runs `program` with `args` and returns its standard output; empty when it failed.
std::string RunAndCapture(const std::string& program, const std::vector<std::string>& args);
