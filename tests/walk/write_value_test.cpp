// WriteValue against the demo server: the value the server holds afterwards comes back as text.
#include <gtest/gtest.h>
#include <open62541/client_highlevel.h>

#include <atomic>
#include <string>

#include "tests/walk/walk_test_support.h"

namespace {

class WriteValueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = StartDemoServer().release(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server);
        browser = ConnectTo(*server, list);
        ASSERT_TRUE(browser);
    }

    UA_NodeId Numeric(std::uint32_t id) const {
        return UA_NODEID_NUMERIC(server->PlantNamespace(), id);
    }
    UA_NodeId AllTypes(int typeIndex) const {
        return Numeric(demo::kAllTypesBase + static_cast<std::uint32_t>(typeIndex));
    }
    // Writes `text` to the AllTypes point of `typeIndex`; the read-back text, or "FAILED".
    std::string Write(int typeIndex, const std::string& text) {
        std::string result = "FAILED";
        if (browser->WriteValue(AllTypes(typeIndex), text, typeIndex, result) != 0) {
            EXPECT_EQ(result, "FAILED") << "result changed by a failed write";
        }
        return result;
    }

    static DemoServer* server;
    PointList list;  // nothing fills it: the write command has one of its own too
    std::unique_ptr<OPCUABrowser> browser;
};

DemoServer* WriteValueTest::server = nullptr;

// Every table type goes through the text conversion to the server and reads back in its list
// form. (How each text parses is covered case by case in value_from_text_test.cpp; one or two
// texts per type show that the parsed value is what reaches the server.)
TEST_F(WriteValueTest, EveryTableTypeReachesTheServerAndReadsBackAsListText) {
    struct Case {
        int typeIndex;
        const char* text;
        const char* readBack;
    };
    const Case cases[] = {
        {UA_TYPES_BOOLEAN, "true", "1"},
        {UA_TYPES_BOOLEAN, "0", "0"},
        {UA_TYPES_INT32, "0x1F", "31"},
        {UA_TYPES_INT32, "-2147483648", "-2147483648"},
        {UA_TYPES_BYTE, "255", "255"},
        {UA_TYPES_SBYTE, "-128", "-128"},
        {UA_TYPES_UINT32, "4294967295", "4294967295"},
        {UA_TYPES_UINT64, "18446744073709551615", "18446744073709551615"},
        {UA_TYPES_INT64, "-5", "-5"},
        {UA_TYPES_FLOAT, "0.1", "0.100"},
        {UA_TYPES_DOUBLE, "2.5e1", "25.000"},
        {UA_TYPES_DATETIME, "1-1-1601 0:0:0.000", "1-1-1601 0:0:0.000"},
        {UA_TYPES_DATETIME, "5-8-2024 6:3:9.007", "5-8-2024 6:3:9.007"},
        {UA_TYPES_STRING, "Tank 2", "Tank 2"},
        {UA_TYPES_STRING, "", ""},
        {UA_TYPES_BYTESTRING, "raw", "raw"},
        {UA_TYPES_LOCALIZEDTEXT, "Pump 2", "Pump 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(UA_TYPES[c.typeIndex].typeName) + " \"" + c.text + "\"");
        EXPECT_EQ(Write(c.typeIndex, c.text), c.readBack);
    }
}

// The texts that once wrote values nobody typed: each is refused before anything is sent, so
// the server keeps what it held.
TEST_F(WriteValueTest, TextsThatAreNoValueOfTheTypeSendNothing) {
    struct Case {
        int typeIndex;
        const char* text;
    };
    const Case cases[] = {
        {UA_TYPES_DOUBLE, "abc"},
        {UA_TYPES_DOUBLE, ""},
        {UA_TYPES_DOUBLE, "12abc"},
        {UA_TYPES_DOUBLE, "1e999"},
        {UA_TYPES_INT32, "99999999999"},
        {UA_TYPES_BYTE, "300"},
        {UA_TYPES_BYTE, "-1"},
        {UA_TYPES_SBYTE, "200"},
        {UA_TYPES_UINT32, "-1"},
        {UA_TYPES_INT32, "12abc"},
        {UA_TYPES_BOOLEAN, "2"},
        {UA_TYPES_BOOLEAN, "yes"},
        {UA_TYPES_DATETIME, "0"},
        {UA_TYPES_FLOAT, "1e39"},
        // Types without a conversion: an empty value would have wiped the variable.
        {UA_TYPES_GUID, "7"},
        {UA_TYPES_QUALIFIEDNAME, "x"},
        {UA_TYPES_NODEID, "i=85"},
        {OPCUAItemData::kNoType, "7"},
    };
    for (const Case& c : cases) {
        const int shownType = c.typeIndex < static_cast<int>(UA_TYPES_COUNT) ? c.typeIndex : 0;
        SCOPED_TRACE(std::to_string(c.typeIndex) + " \"" + c.text + "\"");
        const UA_NodeId id = AllTypes(shownType);
        UA_Variant before;
        ASSERT_EQ(UA_Server_readValue(server->Server(), id, &before), UA_STATUSCODE_GOOD);
        std::string result = "previous";
        EXPECT_EQ(browser->WriteValue(id, c.text, c.typeIndex, result), -1);
        EXPECT_EQ(result, "previous");
        UA_Variant after;
        ASSERT_EQ(UA_Server_readValue(server->Server(), id, &after), UA_STATUSCODE_GOOD);
        EXPECT_TRUE(UA_equal(&before, &after, &UA_TYPES[UA_TYPES_VARIANT]))
            << "the server's value changed";
        UA_Variant_clear(&before);
        UA_Variant_clear(&after);
    }
}

TEST_F(WriteValueTest, WritableDoubleReadsBackWithThreeDecimals) {
    std::string result;
    ASSERT_EQ(browser->WriteValue(Numeric(demo::kWritableDouble), "1.5", UA_TYPES_DOUBLE, result),
              0);
    EXPECT_EQ(result, "1.500");
}

TEST_F(WriteValueTest, RefusedOrUnreadableWritesFailAndLeaveTheResult) {
    const std::string before = "previous";
    std::string result = before;
    EXPECT_EQ(browser->WriteValue(Numeric(demo::kReadOnly), "7", UA_TYPES_INT32, result), -1);
    EXPECT_EQ(result, before);
    // A String where the server wants an Int32.
    EXPECT_EQ(browser->WriteValue(AllTypes(UA_TYPES_INT32), "7", UA_TYPES_STRING, result), -1);
    EXPECT_EQ(result, before);
    const UA_NodeId missing = Numeric(424242);
    EXPECT_EQ(browser->WriteValue(missing, "7", UA_TYPES_INT32, result), -1);
    EXPECT_EQ(result, before);
}

// A variable that takes any write and always reads as an Int32 array {1, 2, 3}. (The demo's
// own array variable accepts a scalar, so it reads back as that scalar.)
UA_StatusCode ReadArray(UA_Server*, const UA_NodeId*, void*, const UA_NodeId*, void*, UA_Boolean,
                        const UA_NumericRange*, UA_DataValue* value) {
    UA_Int32 items[] = {1, 2, 3};
    value->hasValue = true;
    return UA_Variant_setArrayCopy(&value->value, items, 3, &UA_TYPES[UA_TYPES_INT32]);
}
std::atomic<int> arrayWrites{0};
UA_StatusCode AcceptWrite(UA_Server*, const UA_NodeId*, void*, const UA_NodeId*, void*,
                          const UA_NumericRange*, const UA_DataValue*) {
    ++arrayWrites;
    return UA_STATUSCODE_GOOD;
}

// A point that holds an array is refused before anything is sent: one typed value would
// replace the whole array.
TEST_F(WriteValueTest, APointHoldingAnArrayIsNeverWritten) {
    const UA_NodeId id = Numeric(777001);
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>("ArrayOnRead"));
    attr.dataType = UA_TYPES[UA_TYPES_INT32].typeId;
    attr.valueRank = UA_VALUERANK_ANY;
    attr.accessLevel = UA_ACCESSLEVELMASK_READ | UA_ACCESSLEVELMASK_WRITE;
    UA_DataSource source{&ReadArray, &AcceptWrite};
    ASSERT_EQ(
        UA_Server_addDataSourceVariableNode(
            server->Server(), id, UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER),
            UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
            UA_QUALIFIEDNAME(id.namespaceIndex, const_cast<char*>("ArrayOnRead")),
            UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, source, nullptr, nullptr),
        UA_STATUSCODE_GOOD);
    std::string result = "previous";
    EXPECT_EQ(browser->WriteValue(id, "7", UA_TYPES_INT32, result), -1);
    EXPECT_EQ(result, "previous");
    EXPECT_EQ(browser->LastWriteStatus(), UA_STATUSCODE_BADTYPEMISMATCH);
    EXPECT_EQ(arrayWrites.load(), 0) << "nothing may reach the server";
    UA_Server_deleteNode(server->Server(), id, true);

    // The demo's writable Int32 array keeps all three elements.
    EXPECT_EQ(browser->WriteValue(Numeric(demo::kInt32Array), "7", UA_TYPES_INT32, result), -1);
    UaVariant held;
    ASSERT_EQ(
        UA_Client_readValueAttribute(browser->Client(), Numeric(demo::kInt32Array), held.get()),
        UA_STATUSCODE_GOOD);
    ASSERT_EQ(held->arrayLength, 3u);
    const auto* elements = static_cast<const UA_Int32*>(held->data);
    EXPECT_EQ(elements[0] * 100 + elements[1] * 10 + elements[2], 123);
}

TEST_F(WriteValueTest, ARefusalKeepsTheServersStatus) {
    std::string result = "previous";
    EXPECT_EQ(browser->WriteValue(Numeric(demo::kReadOnly), "7", UA_TYPES_INT32, result), -1);
    EXPECT_EQ(browser->LastWriteStatus(), UA_STATUSCODE_BADNOTWRITABLE);
    // A type without a text form is refused before anything is sent.
    EXPECT_EQ(browser->WriteValue(AllTypes(UA_TYPES_GUID), "7", UA_TYPES_GUID, result), -1);
    EXPECT_EQ(browser->LastWriteStatus(), UA_STATUSCODE_BADTYPEMISMATCH);
    EXPECT_EQ(browser->WriteValue(AllTypes(UA_TYPES_INT32), "7", UA_TYPES_INT32, result), 0);
    EXPECT_EQ(browser->LastWriteStatus(), UA_STATUSCODE_GOOD);
}

TEST_F(WriteValueTest, WithoutSessionNothingIsWritten) {
    OPCUABrowser idle(&list);
    std::string result = "previous";
    EXPECT_EQ(idle.WriteValue(AllTypes(UA_TYPES_INT32), "7", UA_TYPES_INT32, result), -1);
    EXPECT_EQ(result, "previous");
}

}  // namespace
