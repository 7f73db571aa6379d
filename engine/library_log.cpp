#include "engine/library_log.h"

#include <open62541/client.h>
#include <open62541/plugin/log.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<LibraryLog> where{LibraryLog::AsLibrary};

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
        default:
            return "fatal";
    }
}

void LogNothing(void*, UA_LogLevel, UA_LogCategory, const char*, va_list) {}

void LogToStderr(void*, UA_LogLevel level, UA_LogCategory, const char* msg, va_list args) {
    if (level < UA_LOGLEVEL_INFO) return;
    // One buffer and one write, so lines of two clients never interleave mid-line.
    char line[1024];
    const int head = std::snprintf(line, sizeof line, "[%s] ", LevelName(level));
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(line + head, sizeof line - static_cast<std::size_t>(head) - 1, msg, copy);
    va_end(copy);
    std::fprintf(stderr, "%s\n", line);
}

}  // namespace

void SetLibraryLog(LibraryLog value) { where = value; }

LibraryLog CurrentLibraryLog() { return where; }

UaClientPtr NewClient() {
    UaClientPtr client(UA_Client_new());
    if (!client) return client;
    const LibraryLog now = where;
    UA_Logger* logger = UA_Client_getConfig(client.get())->logging;
    // The library's logger object stays (its event loop and policies hold the same pointer and
    // its clear frees it); only what it does changes, and our functions keep no state.
    if (logger != nullptr && now != LibraryLog::AsLibrary) {
        logger->log = now == LibraryLog::Silent ? LogNothing : LogToStderr;
    }
    return client;
}
