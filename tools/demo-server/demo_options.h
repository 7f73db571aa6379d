#pragma once

#include <string>
#include <vector>

#include "tools/demo-server/demo_server.h"

struct ParsedOptions {
    DemoServerOptions options;
    bool help = false;
    std::string error;  // non-empty: the arguments were bad
};

ParsedOptions ParseDemoOptions(const std::vector<std::string>& args);
const char* DemoUsage();
