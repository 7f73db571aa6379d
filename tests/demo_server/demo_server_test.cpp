#include <open62541/client_config_default.h>
#include <open62541/client_highlevel.h>

#include <set>
#include <string>

#include "tests/support/demo_server_fixture.h"
#include "tools/demo-server/demo_options.h"

namespace {

UA_Variant ReadOnServer(DemoServer& s, const UA_NodeId& id) {
    UA_Variant v;
    UA_Variant_init(&v);
    EXPECT_EQ(UA_Server_readValue(s.Server(), id, &v), UA_STATUSCODE_GOOD);
    return v;
}

TEST(DemoAddressSpace, HasEveryBuiltInScalarTypeWithItsIndex) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    const UA_UInt16 ns = server->PlantNamespace();
    for (UA_UInt16 i = 0; i <= 20; ++i) {
        UA_Variant v = ReadOnServer(*server, UA_NODEID_NUMERIC(ns, demo::kAllTypesBase + i));
        ASSERT_TRUE(UA_Variant_isScalar(&v)) << i;
        EXPECT_EQ(v.type, &UA_TYPES[i]) << UA_TYPES[i].typeName;
        UA_Variant_clear(&v);
    }
    UA_Variant arr = ReadOnServer(*server, UA_NODEID_NUMERIC(ns, demo::kInt32Array));
    EXPECT_FALSE(UA_Variant_isScalar(&arr));
    EXPECT_EQ(arr.arrayLength, 3u);
    UA_Variant_clear(&arr);
}

TEST(DemoAddressSpace, ListsAllFourIdentifierKindsAndBothNamespaces) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    std::set<int> kinds;
    std::set<UA_UInt16> namespaces;
    for (const DemoPoint& p : server->Points()) {
        kinds.insert(p.nodeId.identifierType);
        namespaces.insert(p.nodeId.namespaceIndex);
    }
    EXPECT_EQ(kinds, (std::set<int>{UA_NODEIDTYPE_NUMERIC, UA_NODEIDTYPE_STRING, UA_NODEIDTYPE_GUID,
                                    UA_NODEIDTYPE_BYTESTRING}));
    EXPECT_EQ(namespaces,
              (std::set<UA_UInt16>{server->PlantNamespace(), server->SecondNamespace()}));
    EXPECT_NE(server->PlantNamespace(), server->SecondNamespace());
}

TEST(DemoAddressSpace, PointsListsTheWalkableVariablesOnceEach) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    const UA_UInt16 ns = server->PlantNamespace();
    auto listed = [&](const UA_NodeId& id) {
        int n = 0;
        for (const DemoPoint& p : server->Points()) n += UA_NodeId_equal(&p.nodeId, &id);
        return n;
    };
    EXPECT_EQ(listed(UA_NODEID_STRING(ns, const_cast<char*>(demo::kHiddenVariable))), 0);
    EXPECT_EQ(listed(UA_NODEID_STRING(ns, const_cast<char*>(demo::kSharedVariable))), 1);
    EXPECT_EQ(listed(UA_NODEID_STRING(ns, const_cast<char*>(demo::kServerNamedVariable))), 1);
    EXPECT_EQ(listed(UA_NODEID_STRING(ns, const_cast<char*>(demo::kLowerServerVariable))), 1);
}

TEST(DemoAddressSpace, GeneratedPointsAddExactlyTheRequestedCount) {
    auto plain = StartDemoServer();
    ASSERT_TRUE(plain);
    DemoServerOptions o;
    o.points = 2500;
    auto generated = StartDemoServer(o);
    ASSERT_TRUE(generated);
    EXPECT_EQ(generated->Points().size(), plain->Points().size() + 2500);
    UA_Variant last = ReadOnServer(
        *generated, UA_NODEID_NUMERIC(generated->PlantNamespace(), demo::kGeneratedBase + 2499));
    ASSERT_TRUE(UA_Variant_hasScalarType(&last, &UA_TYPES[UA_TYPES_INT32]));
    EXPECT_EQ(*static_cast<UA_Int32*>(last.data), 2499);
    UA_Variant_clear(&last);
}

// Object children (Organizes) of `parent`, in the order the server lists them.
std::vector<UA_NodeId> ObjectChildren(DemoServer& s, const UA_NodeId& parent,
                                      std::size_t* variables) {
    UA_BrowseDescription d;
    UA_BrowseDescription_init(&d);
    d.nodeId = parent;
    d.browseDirection = UA_BROWSEDIRECTION_FORWARD;
    d.nodeClassMask = UA_NODECLASS_OBJECT | UA_NODECLASS_VARIABLE;
    d.resultMask = UA_BROWSERESULTMASK_NODECLASS;
    UA_BrowseResult r = UA_Server_browse(s.Server(), 0, &d);
    std::vector<UA_NodeId> objects;
    *variables = 0;
    for (std::size_t i = 0; i < r.referencesSize; ++i) {
        if (r.references[i].nodeClass == UA_NODECLASS_VARIABLE) {
            ++*variables;
        } else {
            UA_NodeId copy;
            UA_NodeId_copy(&r.references[i].nodeId.nodeId, &copy);
            objects.push_back(copy);
        }
    }
    UA_BrowseResult_clear(&r);
    return objects;
}

struct ShapeCase {
    std::size_t points, perFolder, depth;
    std::vector<std::size_t> objectsPerLevel;  // below Generated, top level first
};

TEST(DemoAddressSpace, GeneratedPointsTakeThePlantShapeAsked) {
    for (const ShapeCase& c :
         {ShapeCase{40, 10, 3, {1, 1, 4}}, ShapeCase{2500, 10, 3, {3, 25, 250}},
          ShapeCase{2500, 1000, 2, {1, 3}}, ShapeCase{7, 3, 1, {3}}}) {
        DemoServerOptions o;
        o.points = c.points;
        o.pointsPerFolder = c.perFolder;
        o.depth = c.depth;
        auto server = StartDemoServer(o);
        ASSERT_TRUE(server);
        std::vector<UA_NodeId> level = {
            UA_NODEID_STRING(server->PlantNamespace(), const_cast<char*>("Generated"))};
        std::size_t variables = 0;
        for (std::size_t d = 0; d < c.depth; ++d) {
            std::vector<UA_NodeId> next;
            for (const UA_NodeId& id : level) {
                for (UA_NodeId& child : ObjectChildren(*server, id, &variables))
                    next.push_back(child);
                EXPECT_EQ(variables, 0u) << "variables above the bottom level";
            }
            EXPECT_EQ(next.size(), c.objectsPerLevel[d]) << c.points << " at level " << d + 1;
            if (d > 0)
                for (UA_NodeId& id : level) UA_NodeId_clear(&id);
            level = std::move(next);
        }
        std::size_t points = 0;
        for (UA_NodeId& id : level) {
            EXPECT_TRUE(ObjectChildren(*server, id, &variables).empty());
            EXPECT_LE(variables, c.perFolder);
            points += variables;
            UA_NodeId_clear(&id);
        }
        EXPECT_EQ(points, c.points);
    }
}

UA_UInt32 ReadUnsigned(DemoServer& s, UA_UInt32 numericId) {
    UA_Variant v = ReadOnServer(s, UA_NODEID_NUMERIC(0, numericId));
    UA_UInt32 value = 0xFFFFFFFF;
    if (UA_Variant_hasScalarType(&v, &UA_TYPES[UA_TYPES_UINT32]))
        value = *static_cast<UA_UInt32*>(v.data);
    if (UA_Variant_hasScalarType(&v, &UA_TYPES[UA_TYPES_UINT16]))
        value = *static_cast<UA_UInt16*>(v.data);
    UA_Variant_clear(&v);
    return value;
}

TEST(DemoAddressSpace, AnnouncesTheLimitsItWasGiven) {
    DemoServerOptions o;
    o.maxNodesPerBrowse = 7;
    o.maxNodesPerRead = 10;
    o.maxContinuationPoints = 1;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    EXPECT_EQ(
        ReadUnsigned(*server, UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERBROWSE),
        7u);
    EXPECT_EQ(
        ReadUnsigned(*server, UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERREAD),
        10u);
    EXPECT_EQ(ReadUnsigned(*server, UA_NS0ID_SERVER_SERVERCAPABILITIES_MAXBROWSECONTINUATIONPOINTS),
              1u);
}

TEST(DemoAddressSpace, EmptyObjectsHasNoPoints) {
    DemoServerOptions o;
    o.emptyObjects = true;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    EXPECT_TRUE(server->Points().empty());
}

struct ClientDeleter {
    void operator()(UA_Client* c) const {
        UA_Client_disconnect(c);
        UA_Client_delete(c);
    }
};
using Client = std::unique_ptr<UA_Client, ClientDeleter>;

Client NewClient() {
    Client c(UA_Client_new());
    UA_ClientConfig_setDefault(UA_Client_getConfig(c.get()));
    return c;
}

TEST(DemoServerSessions, UsersSignInWithTheirPasswordOnly) {
    DemoServerOptions o;
    o.users = {{"operator", "secret"}};
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    EXPECT_EQ(
        UA_Client_connectUsername(NewClient().get(), server->Url().c_str(), "operator", "secret"),
        UA_STATUSCODE_GOOD);
    EXPECT_NE(
        UA_Client_connectUsername(NewClient().get(), server->Url().c_str(), "operator", "wrong"),
        UA_STATUSCODE_GOOD);
    EXPECT_EQ(UA_Client_connect(NewClient().get(), server->Url().c_str()), UA_STATUSCODE_GOOD);
}

TEST(DemoServerSessions, CountsValueReadsOfDemoVariablesAndStopsAndRestartsOnItsPort) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    Client c = NewClient();
    ASSERT_EQ(UA_Client_connect(c.get(), server->Url().c_str()), UA_STATUSCODE_GOOD);
    server->ResetValueReads();
    UA_Variant v;
    UA_Variant_init(&v);
    ASSERT_EQ(UA_Client_readValueAttribute(
                  c.get(), UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kReadOnly), &v),
              UA_STATUSCODE_GOOD);
    UA_Variant_clear(&v);
    EXPECT_EQ(server->ValueReads(), 1u);
    // Reads of the server's own nodes are not counted.
    ASSERT_EQ(UA_Client_readValueAttribute(
                  c.get(), UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_SERVERSTATUS_STATE), &v),
              UA_STATUSCODE_GOOD);
    UA_Variant_clear(&v);
    EXPECT_EQ(server->ValueReads(), 1u);

    const auto port = server->Port();
    server->Stop();
    EXPECT_NE(UA_Client_connect(NewClient().get(), server->Url().c_str()), UA_STATUSCODE_GOOD);
    std::string error;
    ASSERT_TRUE(server->Start(&error)) << error;
    EXPECT_EQ(server->Port(), port);
    EXPECT_EQ(UA_Client_connect(NewClient().get(), server->Url().c_str()), UA_STATUSCODE_GOOD);
}

TEST(DemoOptions, AcceptsEveryOption) {
    ParsedOptions p = ParseDemoOptions({"--host",   "0.0.0.0",
                                        "--port",   "4841",
                                        "--points", "200000",
                                        "--secure", "--user",
                                        "a:b:c",    "--user",
                                        "x:",       "--max-refs",
                                        "2",        "--max-nodes-per-read",
                                        "100",      "--points-per-folder",
                                        "10",       "--depth",
                                        "3",        "--max-nodes-per-browse",
                                        "7",        "--max-continuation-points",
                                        "1"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.host, "0.0.0.0");
    EXPECT_EQ(p.options.port, 4841);
    EXPECT_EQ(p.options.points, 200000u);
    EXPECT_TRUE(p.options.secure);
    ASSERT_EQ(p.options.users.size(), 2u);
    EXPECT_EQ(p.options.users[0].first, "a");
    EXPECT_EQ(p.options.users[0].second, "b:c");  // passwords may hold colons
    EXPECT_EQ(p.options.users[1].second, "");
    EXPECT_EQ(p.options.maxRefs, 2u);
    EXPECT_EQ(p.options.maxNodesPerRead, 100u);
    EXPECT_EQ(p.options.pointsPerFolder, 10u);
    EXPECT_EQ(p.options.depth, 3u);
    EXPECT_EQ(p.options.maxNodesPerBrowse, 7u);
    EXPECT_EQ(p.options.maxContinuationPoints, std::optional<std::uint16_t>(1));
}

TEST(DemoOptions, LiveValueOptions) {
    const ParsedOptions p = ParseDemoOptions({"--changing-points", "10000", "--no-subscriptions",
                                              "--max-monitored-items-per-call", "50"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.changingPoints, 10000u);
    EXPECT_TRUE(p.options.noSubscriptions);
    EXPECT_EQ(p.options.maxMonitoredItemsPerCall, 50u);
    const ParsedOptions none = ParseDemoOptions({});
    EXPECT_EQ(none.options.changingPoints, 0u);
    EXPECT_FALSE(none.options.noSubscriptions);
    for (const char* bad : {"-1", "x", ""})
        EXPECT_NE(ParseDemoOptions({"--changing-points", bad}).error, "") << bad;
    EXPECT_NE(ParseDemoOptions({"--max-monitored-items-per-call"}).error, "");
}

TEST(DemoOptions, DefaultsKeepTheFlatShapeAndTheStacksLimits) {
    ParsedOptions p = ParseDemoOptions({});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.pointsPerFolder, 1000u);
    EXPECT_EQ(p.options.depth, 2u);
    EXPECT_EQ(p.options.maxNodesPerBrowse, 0u);
    EXPECT_FALSE(p.options.maxContinuationPoints);
}

TEST(DemoOptions, RefusesBadValues) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--port", "0"},
                                               {"--port", "65536"},
                                               {"--port", "12abc"},
                                               {"--port"},
                                               {"--points", "-1"},
                                               {"--max-refs", ""},
                                               {"--user", "nopassword"},
                                               {"--user", ":pw"},
                                               {"--host", ""},
                                               {"--points-per-folder", "0"},
                                               {"--depth", "0"},
                                               {"--depth", "9"},
                                               {"--max-nodes-per-browse", "-1"},
                                               {"--max-continuation-points", "65536"},
                                               {"--frobnicate"}}) {
        EXPECT_NE(ParseDemoOptions(args).error, "") << args[0];
    }
}

TEST(DemoOptions, HistoryOptionsShapeTheArchive) {
    ParsedOptions p = ParseDemoOptions({});
    EXPECT_TRUE(p.options.history.enabled);
    p = ParseDemoOptions(
        {"--history-samples", "100000", "--history-per-response", "7", "--no-history"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.history.samples, 100000u);
    EXPECT_EQ(p.options.history.perResponse, 7u);
    EXPECT_FALSE(p.options.history.enabled);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--history-samples", "-1"}, {"--history-per-response", "0"}, {"--history-samples"}}) {
        EXPECT_NE(ParseDemoOptions(args).error, "") << args[0];
    }
}

}  // namespace

TEST(DemoOptions, DiscoveryAndCertificateChoices) {
    const ParsedOptions parsed =
        ParseDemoOptions({"--lds", "--register", "opc.tcp://127.0.0.1:4840", "--register-interval",
                          "1500", "--key-bits", "1024", "--cert-days", "0", "--cert-dir", "/tmp/x",
                          "--application-uri", "urn:plc:7"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    const DemoServerOptions& o = parsed.options;
    EXPECT_TRUE(o.lds);
    EXPECT_EQ(o.registerAt, "opc.tcp://127.0.0.1:4840");
    EXPECT_EQ(o.registerInterval, std::chrono::milliseconds(1500));
    EXPECT_EQ(o.keyBits, 1024);
    EXPECT_EQ(o.certificateDays, 0u);
    EXPECT_EQ(o.certificateDir, "/tmp/x");
    EXPECT_EQ(o.applicationUri, "urn:plc:7");
    EXPECT_EQ(ParseDemoOptions({}).options.keyBits, 2048);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--key-bits", "3000"},
                                                {"--key-bits", "512"},
                                                {"--cert-days", "-1"},
                                                {"--register"},
                                                {"--register-interval", "10"}}) {
        EXPECT_FALSE(ParseDemoOptions(bad).error.empty()) << bad.front();
    }
}
