// The command line against a relay that rewrites the endpoint list: exit 5 with the text, and
// nothing written.
#include <gtest/gtest.h>
#include <open62541/server.h>

#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"
#include "tools/relay/delay_relay.h"

namespace {

class CliEndpointCheck : public ::testing::Test {
protected:
    void SetUp() override {
        DemoServerOptions options;
        options.secure = true;
        options.users = {{"operator", "secret"}};
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        relay =
            std::make_unique<DelayRelay>("127.0.0.1", server->Port(), std::chrono::microseconds(0));
        ASSERT_TRUE(relay->Start());
        output = std::filesystem::temp_directory_path() /
                 ("quorvane-endpoints-" + std::to_string(::getpid()) + ".csv");
        std::filesystem::remove(output);
    }
    void TearDown() override {
        std::filesystem::remove(output);
        language = 0;
    }

    int Run(const std::string& lang) {
        std::istringstream in;
        err.str({});
        std::ostringstream out;
        CliStreams io{in, out, err, [](const std::string& name) -> std::optional<std::string> {
                          if (name == "PW") return "secret";
                          return std::nullopt;
                      }};
        return RunCommandLine(
            {"--export", output.string(), "--url", relay->Url(), "--user", "operator",
             "--password-env", "PW", "--allow-plain-password", "--timeout", "5", "--lang", lang},
            io);
    }

    std::unique_ptr<DemoServer> server;
    std::unique_ptr<DelayRelay> relay;
    std::filesystem::path output;
    std::ostringstream err;
};

TEST_F(CliEndpointCheck, RewrittenListExitsUntrustedInBothLanguages) {
    EndpointRewrite rewrite;
    rewrite.dropSecure = true;
    rewrite.firstConnectionOnly = true;
    struct Case {
        const char* lang;
        const char* text;
    };
    for (const Case& c : {Case{"en", "the endpoint list was changed on the way — possible attack"},
                          Case{"zh", "端点列表在传输途中被改动——可能受到攻击"}}) {
        relay->RewriteEndpoints(rewrite);  // the list this attempt chooses from
        EXPECT_EQ(Run(c.lang), kCliUntrusted) << c.lang;
        EXPECT_NE(err.str().find(c.text), std::string::npos) << err.str();
        EXPECT_FALSE(std::filesystem::exists(output));
    }
    EXPECT_GE(relay->RewrittenResponses(), 2u);
    UA_Variant v;
    UA_Variant_init(&v);
    ASSERT_EQ(
        UA_Server_readValue(
            server->Server(),
            UA_NODEID_NUMERIC(
                0,
                UA_NS0ID_SERVER_SERVERDIAGNOSTICS_SERVERDIAGNOSTICSSUMMARY_CUMULATEDSESSIONCOUNT),
            &v),
        UA_STATUSCODE_GOOD);
    ASSERT_TRUE(UA_Variant_hasScalarType(&v, &UA_TYPES[UA_TYPES_UINT32]));
    EXPECT_EQ(*static_cast<UA_UInt32*>(v.data), 0u);  // no session, so no password
    UA_Variant_clear(&v);
}

}  // namespace
