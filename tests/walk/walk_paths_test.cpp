// Where each point lives: the objects the walk reached it through, and what the walk's read
// says about writing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "engine/browse_points.h"
#include "engine/node_id_text.h"
#include "engine/value_from_text.h"
#include "tests/walk/walk_test_support.h"
#include "tools/relay/delay_relay.h"

namespace {

using namespace std::chrono_literals;

// NodeId text → path of every record.
std::map<std::string, std::string> PathsOf(const Records& points) {
    std::map<std::string, std::string> paths;
    for (const auto& record : points) paths[NodeIdToText(record->nodeId)] = record->Path();
    return paths;
}

const OPCUAItemData* Find(const Records& points, const std::string& id) {
    const auto it = std::find_if(points.begin(), points.end(),
                                 [&](const auto& r) { return NodeIdToText(r->nodeId) == id; });
    return it == points.end() ? nullptr : it->get();
}

TEST(ObjectPaths, ObjectsIsEmptyAndEachLevelAddsItsName) {
    ObjectPaths paths;
    const std::uint32_t plant = paths.Add(ObjectPaths::kObjects, "Plant");
    const std::uint32_t line = paths.Add(plant, "Line 1");
    const std::uint32_t tank = paths.Add(line, "罐1");
    const std::uint32_t unnamed = paths.Add(plant, "");
    EXPECT_EQ(paths.PathOf(ObjectPaths::kObjects), "");
    EXPECT_EQ(paths.PathOf(plant), "Plant");
    EXPECT_EQ(paths.PathOf(tank), "Plant/Line 1/罐1");
    EXPECT_EQ(paths.NameOf(tank), "罐1");
    EXPECT_EQ(paths.ParentOf(tank), line);
    EXPECT_EQ(paths.PathOf(unnamed), "Plant/");
    // An index this table never gave names nothing rather than reading past it.
    EXPECT_EQ(paths.PathOf(9999), "");
    EXPECT_EQ(paths.PathOf(paths.Add(9999, "Orphan")), "Orphan");
}

TEST(PointRecords, OfEqualNodeIdsTheOneBelowTheFirstMetObjectStays) {
    // Answers may come in any order: the records arrive later-object first here.
    PointRecords records;
    const std::uint32_t a = records.Paths().Add(ObjectPaths::kObjects, "A");
    const std::uint32_t b = records.Paths().Add(ObjectPaths::kObjects, "B");
    for (std::uint32_t object : {b, a, b}) {
        UA_NodeId id = UA_NODEID_NUMERIC(2, 7);
        records.Add(id, "Shared", object);
    }
    UA_NodeId top = UA_NODEID_NUMERIC(2, 8);
    records.Add(top, "Top");
    records.SortDescendingUnique();
    ASSERT_EQ(records.Size(), 2u);
    EXPECT_EQ(records.Items()[0]->Path(), "");  // ns=2;i=8, directly under Objects
    EXPECT_EQ(records.Items()[1]->Path(), "A");
    OPCUAItemData loose(UA_NODEID_NUMERIC(2, 9), "", "", "", "", "");
    EXPECT_EQ(loose.Path(), "");
}

class WalkPaths : public WalkFixture {};

TEST_F(WalkPaths, EachPointNamesTheObjectsAboveItBreadthFirst) {
    DemoServerOptions options;
    options.points = 30;
    options.pointsPerFolder = 10;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    // One point directly under Objects.
    const UA_NodeId top = UA_NODEID_NUMERIC(server->PlantNamespace(), 777100);
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    UA_Int32 one = 1;
    UA_Variant_setScalar(&attr.value, &one, &UA_TYPES[UA_TYPES_INT32]);
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>("Top"));
    ASSERT_EQ(UA_Server_addVariableNode(
                  server->Server(), top, UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER),
                  UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
                  UA_QUALIFIEDNAME(top.namespaceIndex, const_cast<char*>("Top")),
                  UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, nullptr, nullptr),
              UA_STATUSCODE_GOOD);
    const Records points = WalkAll(*browser, list);
    UA_Server_deleteNode(server->Server(), top, true);
    const std::map<std::string, std::string> paths = PathsOf(points);
    const std::string ns = "ns=" + std::to_string(server->PlantNamespace());
    const struct {
        std::string id;
        const char* path;
    } cases[] = {
        {ns + ";s=Plant.Line1.Tank1.Level", "Plant/Line1/Tank1"},
        {ns + ";s=Plant.Line1.Tank1.Temperature", "Plant/Line1/Tank1"},  // a shared parent
        {ns + ";i=6002", "Plant/Line1/Pump1"},
        // Below Tank1 and Pump1: the first of the two in the walk's order.
        {ns + ";s=Plant.Line1.Shared", "Plant/Line1/Tank1"},
        // CycleB is met below Plant before below CycleA.
        {ns + ";s=Plant.CycleB.Value", "Plant/CycleB"},
        {ns + ";s=Plant.ServerVariable", "Plant"},
        {"ns=" + std::to_string(server->SecondNamespace()) + ";i=1", "Second"},
        {ns + ";i=777100", ""},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(paths.count(c.id), 1u) << c.id;
        EXPECT_EQ(paths.at(c.id), c.path) << c.id;
    }
    // Generated points lie `depth` levels below Generated, then in their block.
    const OPCUAItemData* generated =
        Find(points, ns + ";i=" + std::to_string(demo::kGeneratedBase));
    ASSERT_NE(generated, nullptr);
    const std::string& deep = generated->Path();
    EXPECT_EQ(deep.rfind("Generated/", 0), 0u) << deep;
    EXPECT_EQ(std::count(deep.begin(), deep.end(), '/'), 2) << deep;
    EXPECT_NE(deep.find("Block00000"), std::string::npos) << deep;
}

TEST_F(WalkPaths, UserAccessLevelComesWithTheValueRead) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Records points = WalkAll(*browser, list);
    const std::string ns = "ns=" + std::to_string(server->PlantNamespace());
    const OPCUAItemData* readOnly = Find(points, ns + ";i=" + std::to_string(demo::kReadOnly));
    const OPCUAItemData* writable =
        Find(points, ns + ";i=" + std::to_string(demo::kWritableDouble));
    const OPCUAItemData* array = Find(points, ns + ";i=" + std::to_string(demo::kInt32Array));
    ASSERT_TRUE(readOnly && writable && array);
    EXPECT_TRUE(readOnly->accessKnown);
    EXPECT_EQ(readOnly->userAccessLevel & (UA_ACCESSLEVELMASK_READ | UA_ACCESSLEVELMASK_WRITE),
              UA_ACCESSLEVELMASK_READ);
    EXPECT_EQ(WhyNotWritable(*readOnly), WriteRefusal::kReadOnly);
    EXPECT_TRUE(writable->accessKnown);
    EXPECT_TRUE(CanWrite(*writable));
    EXPECT_EQ(WhyNotWritable(*array), WriteRefusal::kArray);
    EXPECT_EQ(writable->value, "0.000");  // the value still comes first in each pair
}

// Squeezed limits and a slow network change how the walk goes, never where a point lives.
TEST_F(WalkPaths, SqueezedLimitsAndTheRelayGiveTheSamePaths) {
    DemoServerOptions options;
    options.points = 2000;
    options.pointsPerFolder = 10;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    const std::map<std::string, std::string> plain = PathsOf(WalkAll(*browser, list, 60s));

    options.maxRefs = 7;
    options.maxNodesPerBrowse = 3;
    options.maxNodesPerRead = 100;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    BrowseStats stats;
    EXPECT_EQ(PathsOf(WalkAll(*browser, list, 60s, &stats)), plain);
    EXPECT_LE(stats.peakNodesPerRead, options.maxNodesPerRead);

    DelayRelay relay("127.0.0.1", server->Port(), std::chrono::microseconds(2000));
    std::string error;
    ASSERT_TRUE(relay.Start(&error)) << error;
    browser = ConnectToUrl(relay.Url(), list);
    ASSERT_TRUE(browser);
    EXPECT_EQ(PathsOf(WalkAll(*browser, list, 60s)), plain);
}

}  // namespace
