#include "tests/support/demo_server_fixture.h"

#include "tests/support/test_trust.h"

std::unique_ptr<DemoServer> StartDemoServer(DemoServerOptions options) {
    auto server = StartUntrustedDemoServer(std::move(options));
    // The user of these tests has chosen to trust it: secure connects go ahead.
    if (server && server->Options().secure) TrustDemoServer(*server);
    return server;
}

std::unique_ptr<DemoServer> StartUntrustedDemoServer(DemoServerOptions options) {
    UseTemporaryHome();
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
