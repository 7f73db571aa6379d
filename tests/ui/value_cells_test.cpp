// What the list shows for the demo server's values of every kind, and names in the session's
// language.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "tools/demo-server/demo_nodes.h"

namespace {

class ValueCells : public ScannedWindowTest {
protected:
    std::string ValueOf(UA_UInt32 id) {
        const int row = RowOfNumeric(id);
        return row < 0 ? "<no row>" : CellShown(window, row, 3);
    }
    std::string NameOf(UA_UInt32 id) {
        const int row = RowOfNumeric(id);
        return row < 0 ? "<no row>" : CellShown(window, row, 2);
    }
};

TEST_F(ValueCells, EveryKindOfValueHasItsText) {
    ScanServer();
    struct Case {
        UA_UInt32 id;
        const char* value;
        const char* dataType;
    };
    const Case cases[] = {
        {demo::kAllTypesBase + UA_TYPES_INT32, "-123456", "Int32"},  // as before
        {demo::kAllTypesBase + UA_TYPES_DOUBLE, "3.142", "Double"},
        {demo::kAllTypesBase + UA_TYPES_GUID, "12345678-9abc-def0-0102-030405060708", "Guid"},
        {demo::kAllTypesBase + UA_TYPES_XMLELEMENT, "<a/>", "XmlElement"},
        {demo::kAllTypesBase + UA_TYPES_NODEID, "ns=0;i=85", "NodeId"},
        {demo::kAllTypesBase + UA_TYPES_EXPANDEDNODEID, "ns=0;i=85", "ExpandedNodeId"},
        {demo::kAllTypesBase + UA_TYPES_STATUSCODE, "BadNodeIdUnknown (0x80340000)", "StatusCode"},
        {demo::kAllTypesBase + UA_TYPES_QUALIFIEDNAME, "1:Name", "QualifiedName"},
        {demo::kInt32Array, "[1, 2, 3]", "Int32"},
        {demo::kStringArray, "[alpha, β, Gamma]", "String"},
        {demo::kOutOfRangeStatus, "BadOutOfRange (0x803C0000)", "StatusCode"},
        {demo::kQualifiedName, "2:Setpoint", "QualifiedName"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const int row = RowOfNumeric(c.id);
        ASSERT_GE(row, 0);
        EXPECT_EQ(CellShown(window, row, 3), c.value);
        EXPECT_EQ(CellShown(window, row, 6), c.dataType);
    }
    const std::string longArray = ValueOf(demo::kLongArray);
    EXPECT_EQ(longArray.substr(0, 12), "[0, -1, -2, ");
    EXPECT_TRUE(longArray.ends_with(", -62, -63, … (100)]")) << longArray;
}

TEST_F(ValueCells, NamesComeInTheLanguageOfTheWindow) {
    ScanServer();
    EXPECT_EQ(NameOf(demo::kTwoLocaleName), demo::kTwoLocaleNameZh);
    Click(window, "connectButton");  // Stop; the language can change only then
    Click(window, "languageButton");
    ASSERT_EQ(language, 1);
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(NameOf(demo::kTwoLocaleName), demo::kTwoLocaleNameEn);
    // Names given in no locale are the same in both.
    EXPECT_EQ(NameOf(demo::kPumpSpeed), "Speed");
}

}  // namespace
