// The details of a point, read on demand from the demo server.
#include "engine/point_details.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/walk/walk_test_support.h"

namespace {

class PointDetailsTest : public WalkFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Start()); }

    // Label → line; labels are unique.
    std::map<std::string, DetailLine> Read(const UA_NodeId& id) {
        const PointDetails details = ReadPointDetails(browser->Client(), id);
        EXPECT_EQ(details.status, UA_STATUSCODE_GOOD);
        std::map<std::string, DetailLine> lines;
        for (const DetailLine& line : details.lines) {
            EXPECT_TRUE(lines.emplace(line.label, line).second) << line.label;
        }
        return lines;
    }
    UA_NodeId Plant(const char* id) const {
        return UA_NODEID_STRING(server->PlantNamespace(), const_cast<char*>(id));
    }
};

TEST_F(PointDetailsTest, APointWithRangeAndUnitShowsThemWithItsAttributes) {
    auto lines = Read(Plant(demo::kTankLevel));
    const std::map<std::string, std::string> expected = {
        {"NodeId", "ns=2;s=Plant.Line1.Tank1.Level"},
        {"BrowseName", "2:Level"},
        {"DisplayName", "Level"},
        {"NodeClass", "Variable"},
        {"DataType", "Double"},
        {"ValueRank", "-1 (Scalar)"},
        {"Historizing", "false"},
        {"StatusCode", "Good"},
        {"EURange", "0.000 .. 100.000"},
        {"EngineeringUnits", "m (metre)"},
    };
    for (const auto& [label, text] : expected) {
        ASSERT_EQ(lines.count(label), 1u) << label;
        EXPECT_EQ(lines[label].text, text) << label;
        EXPECT_FALSE(lines[label].failed) << label;
    }
    EXPECT_EQ(lines["AccessLevel"].kind, DetailLine::Kind::kAccess);
    EXPECT_EQ(lines["AccessLevel"].access, UA_ACCESSLEVELMASK_READ | UA_ACCESSLEVELMASK_WRITE);
    EXPECT_FALSE(lines["Value"].text.empty());
    EXPECT_FALSE(lines["ServerTimestamp"].text.empty());
    for (const char* label : {"Description", "ArrayDimensions", "MinimumSamplingInterval",
                              "UserAccessLevel", "SourceTimestamp"}) {
        EXPECT_EQ(lines.count(label), 1u) << label;
    }
}

TEST_F(PointDetailsTest, APointWithoutPropertiesHasNoSuchLines) {
    auto lines = Read(Plant(demo::kTankTemperature));
    EXPECT_EQ(lines["DataType"].text, "Float");
    EXPECT_EQ(lines.count("EURange"), 0u);
    EXPECT_EQ(lines.count("EngineeringUnits"), 0u);
    auto readOnly = Read(UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kReadOnly));
    EXPECT_EQ(readOnly["UserAccessLevel"].access, UA_ACCESSLEVELMASK_READ);
    auto array = Read(UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kInt32Array));
    EXPECT_EQ(array["Value"].text, "[1, 2, 3]");
}

// An object has no value, type or access level: the server refuses those attributes and each
// line names the refusal, while the others read as usual.
TEST_F(PointDetailsTest, RefusedAttributesShowTheirStatusName) {
    auto lines = Read(UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER));
    EXPECT_EQ(lines["NodeClass"].text, "Object");
    EXPECT_EQ(lines["BrowseName"].text, "0:Objects");
    for (const char* label : {"DataType", "ValueRank", "AccessLevel", "Historizing"}) {
        EXPECT_TRUE(lines[label].failed) << label;
        EXPECT_EQ(lines[label].text, "BadAttributeIdInvalid") << label;
    }
    EXPECT_EQ(lines["StatusCode"].text, "BadAttributeIdInvalid");
    EXPECT_EQ(lines["SourceTimestamp"].text, "");  // no time rather than the year 1601

    auto unknown = Read(UA_NODEID_STRING(2, const_cast<char*>("No.Such.Node")));
    EXPECT_EQ(unknown["NodeId"].text, "BadNodeIdUnknown");
}

TEST_F(PointDetailsTest, NoSessionIsAFailureOfTheWhole) {
    const PointDetails details = ReadPointDetails(nullptr, UA_NODEID_NUMERIC(0, 85));
    EXPECT_EQ(details.status, UA_STATUSCODE_BADNOTCONNECTED);
    EXPECT_TRUE(details.lines.empty());
}

TEST(PointDetailsText, RanksAndClassesInWords) {
    EXPECT_EQ(ValueRankText(-1), "-1 (Scalar)");
    EXPECT_EQ(ValueRankText(-2), "-2 (Any)");
    EXPECT_EQ(ValueRankText(1), "1 (1 dimension)");
    EXPECT_EQ(ValueRankText(3), "3 (3 dimensions)");
    EXPECT_EQ(ValueRankText(-7), "-7");
    EXPECT_EQ(NodeClassName(UA_NODECLASS_VARIABLE), "Variable");
    EXPECT_EQ(NodeClassName(3), "3");
    UA_Int32 notARange = 5;
    UA_Variant v;
    UA_Variant_setScalar(&v, &notARange, &UA_TYPES[UA_TYPES_INT32]);
    EXPECT_EQ(RangeText(v), "");
    EXPECT_EQ(UnitText(v), "");
}

}  // namespace
