#include "os/secret_memory.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <cstring>

void WipeBytes(void* data, std::size_t size) {
    if (data != nullptr && size > 0) ::explicit_bzero(data, size);
}

void Wipe(std::string& secret) {
    WipeBytes(secret.data(), secret.size());
    secret.clear();
}

bool KeepSecretsOutOfDumps() {
    const rlimit noCore{0, 0};
    const bool dumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return ::setrlimit(RLIMIT_CORE, &noCore) == 0 && dumpable;
}
