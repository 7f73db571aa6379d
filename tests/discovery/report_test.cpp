// The discovery report names a server's ApplicationType, in its rows and in its JSON.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "discovery/report/discovery_rows.h"
#include "discovery/report/json_report.h"

namespace {

TEST(DiscoveryReport, ApplicationTypeByName) {
    const std::pair<int, const char*> cases[] = {
        {0, "Server"},          {1, "Client"}, {2, "ClientAndServer"},
        {3, "DiscoveryServer"}, {4, "4"},      {-1, "-1"},
    };
    for (const auto& [type, name] : cases) EXPECT_EQ(ApplicationTypeName(type), name) << type;
}

TEST(DiscoveryReport, RowsAndJsonCarryTheName) {
    DiscoveryResult result;
    DiscoveredServer lds;
    lds.applicationName = "LDS";
    lds.applicationUri = "urn:lds";
    lds.applicationType = 3;
    result.servers.push_back(lds);
    const DiscoveryRow header = DiscoveryHeader(1);
    const auto column = std::find(header.begin(), header.end(), "ApplicationType") - header.begin();
    ASSERT_LT(static_cast<std::size_t>(column), header.size());
    const std::vector<DiscoveryRow> rows = DiscoveryRows(result, 1);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][static_cast<std::size_t>(column)], "DiscoveryServer");
    const std::string json = DiscoveryJson(result, 1);
    EXPECT_NE(json.find("\"applicationType\":\"DiscoveryServer\""), std::string::npos) << json;
}

}  // namespace
