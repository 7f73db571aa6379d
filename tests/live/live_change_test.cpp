// A data-change notification becomes the same texts a Read of the value gives.
#include "engine/live/live_change.h"

#include <gtest/gtest.h>

#include "engine/read_results.h"
#include "engine/value_text.h"

namespace {

UA_DataValue Int32Value(UA_Int32* v, UA_StatusCode status) {
    UA_DataValue dv;
    UA_DataValue_init(&dv);
    UA_Variant_setScalar(&dv.value, v, &UA_TYPES[UA_TYPES_INT32]);
    dv.hasValue = true;
    dv.status = status;
    dv.hasStatus = status != UA_STATUSCODE_GOOD;
    return dv;
}

TEST(LiveChange, QualityFollowsTheStatusCodeAsForARead) {
    struct Case {
        UA_StatusCode status;
        const char* quality;
    };
    const Case cases[] = {
        {UA_STATUSCODE_GOOD, "GOOD"},
        {UA_STATUSCODE_GOODCLAMPED, "GOOD"},
        {UA_STATUSCODE_UNCERTAININITIALVALUE, "UNCERTAIN"},
        {UA_STATUSCODE_UNCERTAINLASTUSABLEVALUE, "UNCERTAIN"},
        {UA_STATUSCODE_BADNODEIDUNKNOWN, "BAD"},
        {UA_STATUSCODE_BADCOMMUNICATIONERROR, "BAD"},
        {UA_STATUSCODE_BADWAITINGFORINITIALDATA, "BAD"},
    };
    for (const Case& c : cases) {
        UA_Int32 v = 42;
        const UA_DataValue dv = Int32Value(&v, c.status);
        const LiveChange change = ChangeFromDataValue(7, dv);
        EXPECT_EQ(change.quality, c.quality) << UA_StatusCode_name(c.status);
        // The read path gives the same quality for the same value.
        OPCUAItemData read(UA_NODEID_NUMERIC(1, 1), {}, {}, {}, {}, {});
        StoreDataValue(read, dv, "t");
        EXPECT_EQ(read.quality, change.quality) << UA_StatusCode_name(c.status);
        EXPECT_EQ(change.handle, 7u);
        EXPECT_EQ(change.value, "42");
        EXPECT_EQ(change.dataType, "Int32");
    }
}

TEST(LiveChange, TheSourceTimeIsShownBeforeTheServerTime) {
    const UA_DateTime source = UA_DateTime_fromUnixTime(1700000000);
    const UA_DateTime server = UA_DateTime_fromUnixTime(1700000100);
    UA_Int32 v = 1;
    UA_DataValue dv = Int32Value(&v, UA_STATUSCODE_GOOD);
    dv.hasServerTimestamp = true;
    dv.serverTimestamp = server;
    EXPECT_EQ(ChangeFromDataValue(1, dv).time, TimeText(server));
    EXPECT_EQ(ChangeFromDataValue(1, dv).sourceTime, 0);
    dv.hasSourceTimestamp = true;
    dv.sourceTimestamp = source;
    EXPECT_EQ(ChangeFromDataValue(1, dv).time, TimeText(source));
    EXPECT_EQ(ChangeFromDataValue(1, dv).sourceTime, source);
}

TEST(LiveChange, AStatusWithoutAValueKeepsTheValueAndChangesTheQuality) {
    OPCUAItemData row(UA_NODEID_NUMERIC(1, 1), "12.5", "Double", "Level", "old", "GOOD");
    row.typeIndex = UA_TYPES_DOUBLE;
    UA_DataValue dv;
    UA_DataValue_init(&dv);
    dv.hasStatus = true;
    dv.status = UA_STATUSCODE_BADNOCOMMUNICATION;
    ApplyChange(row, ChangeFromDataValue(3, dv));
    EXPECT_EQ(row.value, "12.5");
    EXPECT_EQ(row.dataType, "Double");
    EXPECT_EQ(row.typeIndex, UA_TYPES_DOUBLE);
    EXPECT_EQ(row.quality, "BAD");
    EXPECT_NE(row.time, "old");

    UA_Int32 values[] = {1, 2, 3};
    UA_DataValue array;
    UA_DataValue_init(&array);
    UA_Variant_setArray(&array.value, values, 3, &UA_TYPES[UA_TYPES_INT32]);
    array.hasValue = true;
    ApplyChange(row, ChangeFromDataValue(3, array));
    EXPECT_EQ(row.value, "[1, 2, 3]");
    EXPECT_EQ(row.dataType, "Int32");
    EXPECT_TRUE(row.isArray);
    EXPECT_EQ(row.quality, "GOOD");
}

}  // namespace
