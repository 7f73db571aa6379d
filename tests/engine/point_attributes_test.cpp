// The attributes and properties an export adds, read in bulk within the server's limits, hold
// what a Read of each attribute of each point returns.
#include <gtest/gtest.h>
#include <open62541/client_highlevel.h>

#include <string>

#include "engine/attributes/point_attribute_read.h"
#include "engine/opcua_browser.h"
#include "engine/ua_types.h"
#include "tests/engine/engine_test_support.h"

using engine_test::Records;

namespace {

class PointAttributesTest : public ::testing::Test {
protected:
    void Start(DemoServerOptions options) {
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
        for (const DemoPoint& point : server->Points()) records.Add(point.nodeId);
        limits.maxNodesPerRead = options.maxNodesPerRead;
        limits.maxNodesPerBrowse = options.maxNodesPerBrowse;
    }

    std::size_t IndexOf(const char* id) const {
        const UA_NodeId wanted = UA_NODEID_STRING(server->PlantNamespace(), const_cast<char*>(id));
        for (std::size_t i = 0; i < records.pointers.size(); ++i)
            if (UA_NodeId_equal(&records.pointers[i]->nodeId, &wanted)) return i;
        ADD_FAILURE() << id << " not among the demo points";
        return 0;
    }

    // One Read of one attribute, as the details of one point would ask.
    UA_DataValue ReadOne(const UA_NodeId& node, UA_UInt32 attribute) {
        UA_ReadValueId id;
        UA_ReadValueId_init(&id);
        id.nodeId = node;
        id.attributeId = attribute;
        UA_ReadRequest request;
        UA_ReadRequest_init(&request);
        request.nodesToRead = &id;
        request.nodesToReadSize = 1;
        UA_ReadResponse response = UA_Client_Service_read(engine.Client(), request);
        UA_DataValue value;
        UA_DataValue_init(&value);
        if (response.resultsSize == 1) std::swap(value, response.results[0]);
        UA_ReadResponse_clear(&response);
        return value;
    }

    std::unique_ptr<DemoServer> server;
    PointList list;
    OPCUABrowser engine{&list};
    Records records;
    ServerLimits limits;
};

TEST_F(PointAttributesTest, BatchesStayWithinSmallLimitsAndMatchOneReadPerAttribute) {
    DemoServerOptions options;
    options.port = 0;
    options.maxNodesPerRead = 20;   // two points' attributes to a Read
    options.maxNodesPerBrowse = 3;  // three points to a Browse
    Start(options);
    const std::size_t n = records.pointers.size();
    ASSERT_GT(n, 20u);

    PointAttributeTable table;
    AttributeReadCounts counts;
    ASSERT_TRUE(ReadPointAttributes(engine.Client(), records.pointers, limits, table, &counts));
    ASSERT_EQ(table.size(), n);
    EXPECT_EQ(counts.attributeReads, (n + 1) / 2);
    EXPECT_LE(counts.peakNodesPerRead, 20u);
    EXPECT_EQ(counts.browses, (n + 2) / 3);
    EXPECT_LE(counts.peakNodesPerBrowse, 3u);
    EXPECT_EQ(counts.browseNexts, 0u);
    EXPECT_EQ(counts.propertyReads, 1u);  // Level's two properties, one Read

    for (std::size_t i = 0; i < n; ++i) {
        PointAttributes single;
        for (std::size_t a = 0; a < std::size(kExportAttributes); ++a) {
            UA_DataValue value = ReadOne(records.pointers[i]->nodeId, kExportAttributes[a]);
            TakeAttribute(a, value, single);
            UA_DataValue_clear(&value);
        }
        const PointAttributes& bulk = table[i];
        SCOPED_TRACE(bulk.browseName);
        EXPECT_EQ(bulk.known & 0xFF, single.known);
        EXPECT_EQ(bulk.browseName, single.browseName);
        EXPECT_EQ(bulk.description, single.description);
        EXPECT_EQ(bulk.accessLevel, single.accessLevel);
        EXPECT_EQ(bulk.userAccessLevel, single.userAccessLevel);
        EXPECT_EQ(bulk.valueRank, single.valueRank);
        EXPECT_EQ(bulk.arrayDimensions, single.arrayDimensions);
        EXPECT_EQ(bulk.minimumSamplingInterval, single.minimumSamplingInterval);
        EXPECT_EQ(bulk.historizing, single.historizing);
        // Every demo point has a browse name and access levels the server answers.
        EXPECT_TRUE(bulk.Has(PointAttributes::kBrowseName));
        EXPECT_TRUE(bulk.Has(PointAttributes::kUserAccessLevel));
    }

    const PointAttributes& level = table[IndexOf(demo::kTankLevel)];
    EXPECT_EQ(level.browseName, std::to_string(server->PlantNamespace()) + ":Level");
    EXPECT_TRUE(level.Has(PointAttributes::kRange));
    EXPECT_EQ(level.rangeLow, 0.0);
    EXPECT_EQ(level.rangeHigh, 100.0);
    EXPECT_TRUE(level.Has(PointAttributes::kUnits));
    EXPECT_EQ(level.units, "m");
    EXPECT_EQ(level.accessLevel & UA_ACCESSLEVELMASK_WRITE, UA_ACCESSLEVELMASK_WRITE);

    const PointAttributes& temperature = table[IndexOf(demo::kTankTemperature)];
    EXPECT_FALSE(temperature.Has(PointAttributes::kRange));
    EXPECT_FALSE(temperature.Has(PointAttributes::kUnits));
    EXPECT_EQ(temperature.units, "");
}

TEST_F(PointAttributesTest, PropertiesBeyondOneAnswerComeWithBrowseNext) {
    DemoServerOptions options;
    options.port = 0;
    options.maxRefs = 1;  // Level's second property needs a BrowseNext
    Start(options);
    PointAttributeTable table;
    AttributeReadCounts counts;
    ASSERT_TRUE(ReadPointAttributes(engine.Client(), records.pointers, limits, table, &counts));
    EXPECT_EQ(counts.attributeReads, 1u);
    EXPECT_EQ(counts.browses, 1u);
    EXPECT_GE(counts.browseNexts, 1u);
    const PointAttributes& level = table[IndexOf(demo::kTankLevel)];
    EXPECT_TRUE(level.Has(PointAttributes::kRange));
    EXPECT_TRUE(level.Has(PointAttributes::kUnits));
    EXPECT_EQ(level.units, "m");
}

TEST(PropertyValueTest, OnlyARangeAndAnEUInformationAreTaken) {
    PointAttributes attributes;
    UA_Range range{-5.5, 7.25};
    UA_Variant v;
    UA_Variant_setScalar(&v, &range, &UA_TYPES[UA_TYPES_RANGE]);
    EXPECT_TRUE(TakeRange(v, attributes));
    EXPECT_FALSE(TakeUnits(v, attributes));
    EXPECT_EQ(attributes.rangeLow, -5.5);
    EXPECT_EQ(attributes.rangeHigh, 7.25);
    UA_EUInformation units;
    UA_EUInformation_init(&units);
    units.displayName.text =
        UA_STRING(const_cast<char*>("\xC2\xB0"
                                    "C"));
    UA_Variant_setScalar(&v, &units, &UA_TYPES[UA_TYPES_EUINFORMATION]);
    EXPECT_TRUE(TakeUnits(v, attributes));
    EXPECT_FALSE(TakeRange(v, attributes));
    EXPECT_EQ(attributes.units,
              "\xC2\xB0"
              "C");
    EXPECT_TRUE(attributes.Has(PointAttributes::kUnits) && attributes.Has(PointAttributes::kRange));
    UA_Double number = 1;
    UA_Variant_setScalar(&v, &number, &UA_TYPES[UA_TYPES_DOUBLE]);
    PointAttributes none;
    EXPECT_FALSE(TakeRange(v, none) || TakeUnits(v, none));
    EXPECT_EQ(none.known, 0);
}

TEST(AttributeResultTest, ABadResultOrAnotherTypeLeavesTheFieldUnknown) {
    PointAttributes attributes;
    UA_Byte access = 3;
    UA_DataValue good;
    UA_DataValue_init(&good);
    UA_Variant_setScalar(&good.value, &access, &UA_TYPES[UA_TYPES_BYTE]);
    good.hasValue = true;
    UA_DataValue bad = good;
    bad.hasStatus = true;
    bad.status = UA_STATUSCODE_BADATTRIBUTEIDINVALID;
    TakeAttribute(2, bad, attributes);  // AccessLevel
    EXPECT_FALSE(attributes.Has(PointAttributes::kAccessLevel));
    TakeAttribute(4, good, attributes);  // ValueRank wants an Int32
    EXPECT_FALSE(attributes.Has(PointAttributes::kValueRank));
    TakeAttribute(3, good, attributes);  // UserAccessLevel
    EXPECT_TRUE(attributes.Has(PointAttributes::kUserAccessLevel));
    EXPECT_EQ(attributes.userAccessLevel, 3);
}

}  // namespace
