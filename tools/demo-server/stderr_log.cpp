#include "tools/demo-server/stderr_log.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace {

const char* LevelName(UA_LogLevel level) {
    switch (level) {
        case UA_LOGLEVEL_TRACE:
            return "trace";
        case UA_LOGLEVEL_DEBUG:
            return "debug";
        case UA_LOGLEVEL_INFO:
            return "info";
        case UA_LOGLEVEL_WARNING:
            return "warn";
        case UA_LOGLEVEL_ERROR:
            return "error";
        case UA_LOGLEVEL_FATAL:
            return "fatal";
    }
    return "?";
}

// The minimum level travels in the context pointer, as the library's own stdout logger does.
void Log(void* context, UA_LogLevel level, UA_LogCategory, const char* message, va_list args) {
    if (level < static_cast<UA_LogLevel>(reinterpret_cast<std::uintptr_t>(context))) return;
    char line[1024];
    std::vsnprintf(line, sizeof line, message, args);
    std::fprintf(stderr, "[%s] %s\n", LevelName(level), line);
}

void* LevelContext(UA_LogLevel minLevel) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(minLevel));
}

}  // namespace

UA_Logger StandardErrorLog(UA_LogLevel minLevel) {
    return UA_Logger{&Log, LevelContext(minLevel), nullptr};
}

void RedirectToStandardError(UA_Logger& logger, UA_LogLevel minLevel) {
    logger.log = &Log;
    logger.context = LevelContext(minLevel);
}
