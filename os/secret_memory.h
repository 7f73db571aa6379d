#pragma once

#include <cstddef>
#include <string>

// Passwords and private keys in this process's memory: overwritten once used, and kept out of
// core files and away from other processes of the same user.

// Overwrites in a way the compiler may not drop as a dead store.
void WipeBytes(void* data, std::size_t size);
// Overwrites the text and empties it.
void Wipe(std::string& secret);

// Overwrites `secret` when it goes out of scope, on every path.
class WipeAtEnd {
public:
    explicit WipeAtEnd(std::string& secret) : secret_(secret) {}
    ~WipeAtEnd() { Wipe(secret_); }
    WipeAtEnd(const WipeAtEnd&) = delete;
    WipeAtEnd& operator=(const WipeAtEnd&) = delete;

private:
    std::string& secret_;
};

// Makes the process not dumpable (no core file, no ptrace or /proc/PID/mem by the same user)
// and its core size 0. False when either could not be set.
bool KeepSecretsOutOfDumps();
