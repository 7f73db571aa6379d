#include "tests/support/demo_server_fixture.h"

std::unique_ptr<DemoServer> StartDemoServer(DemoServerOptions options) {
    if (options.port == 4840) options.port = 0;  // never the fixed default in tests
    // A port picked free can be taken by someone else before we bind it: try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto server = std::make_unique<DemoServer>(options);
        std::string error;
        if (server->Start(&error)) return server;
        if (attempt == 4) ADD_FAILURE() << "demo server did not start: " << error;
    }
    return nullptr;
}
