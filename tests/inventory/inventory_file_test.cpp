// The inventory file: which lines are servers, and which are refused with their line number.
#include "cli/inventory/inventory_file.h"

#include <gtest/gtest.h>

#include "texts/text_table.h"

namespace {

TEST(InventoryFile, LinesCommentsAndOptions) {
    const InventoryFile file = ParseInventory(
        "# the plant\n"
        "\n"
        "opc.tcp://plc1:4840\n"
        "  opc.tcp://plc2:4840   # line 2\n"
        "opc.tcp://gw:4840 --user op --password-env GW_PW --policy Basic256Sha256 --mode "
        "SignAndEncrypt --timeout 5\n"
        "opc.tcp://scada:4840 --policy=Basic256Sha256 --mode=Sign --cert c.der --key k.der\n"
        "opc.tcp://plc1:4840\n");
    ASSERT_EQ(file.badLine, 0u);
    ASSERT_EQ(file.servers.size(), 4u);  // plc1 once
    EXPECT_EQ(file.servers[0].line, 3u);
    EXPECT_EQ(file.servers[0].settings.url, "opc.tcp://plc1:4840");
    EXPECT_EQ(file.servers[0].settings.authKind, 1);
    EXPECT_TRUE(file.servers[0].settings.securityPolicy.empty());  // open: anonymous is None
    EXPECT_EQ(file.servers[1].settings.url, "opc.tcp://plc2:4840");
    const InventoryEntry& gw = file.servers[2];
    EXPECT_EQ(gw.settings.authKind, 2);
    EXPECT_EQ(gw.settings.userName, "op");
    EXPECT_EQ(gw.passwordEnv, "GW_PW");
    EXPECT_TRUE(gw.settings.password.empty());
    EXPECT_EQ(gw.settings.securityMode, "Sign & Encrypt");
    EXPECT_EQ(gw.settings.timeoutSeconds, 5);
    EXPECT_EQ(file.servers[3].settings.authKind, 3);
    EXPECT_EQ(file.servers[3].settings.certificatePath, "c.der");
}

TEST(InventoryFile, ADiscoveryTableGivesItsUrlsOnce) {
    const InventoryFile file = ParseInventory(
        "name,application_uri,endpoint_url,policy\n"
        "PLC,urn:plc,opc.tcp://10.0.0.5:4840,None\n"
        "PLC,urn:plc,opc.tcp://10.0.0.5:4840,Basic256Sha256\n"
        "\"Gate, west\",urn:gw,\"opc.tcp://10.0.0.6:4840\",None\n");
    ASSERT_EQ(file.badLine, 0u);
    ASSERT_EQ(file.servers.size(), 2u);
    EXPECT_EQ(file.servers[0].settings.url, "opc.tcp://10.0.0.5:4840");
    EXPECT_EQ(file.servers[1].settings.url, "opc.tcp://10.0.0.6:4840");
}

TEST(InventoryFile, BadLinesAreNamedByNumber) {
    struct Case {
        const char* text;
        std::size_t line;
        TextKey key;
    };
    const Case cases[] = {
        {"opc.tcp://a:1\nhttp://b:2\n", 2, TextKey::CliBadValue},
        {"opc.tcp://a:1 --export x.csv\n", 1, TextKey::CliUnknownOption},
        {"# c\nopc.tcp://a:1 --password secret\n", 2, TextKey::CliUnknownOption},
        {"opc.tcp://a:1 --user op\n", 1, TextKey::CliConflict},  // no password for it
        {"opc.tcp://a:1\n\nopc.tcp://b:1 --policy Basic256Sha256\n", 3, TextKey::CliConflict},
        {"opc.tcp://a:1 --timeout 0\n", 1, TextKey::CliBadValue},
        {"opc.tcp://a:1 --mode\n", 1, TextKey::CliMissingValue},
        {"opc.tcp://a:1 --cert c.der\n", 1, TextKey::CliConflict},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const InventoryFile file = ParseInventory(c.text);
        EXPECT_EQ(file.badLine, c.line);
        EXPECT_EQ(file.error.key, c.key);
        EXPECT_TRUE(file.servers.empty());
    }
}

}  // namespace
