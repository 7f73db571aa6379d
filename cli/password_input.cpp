#include "cli/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <istream>

namespace {

// Turns the terminal's echo off for as long as it lives.
class EchoOff {
public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

std::string ReadPasswordLine(std::istream& in, bool terminal) {
    std::string line;
    if (terminal) {
        EchoOff quiet;
        std::getline(in, line);
    } else {
        std::getline(in, line);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}
