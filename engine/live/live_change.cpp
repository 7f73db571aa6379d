#include "engine/live/live_change.h"

#include "engine/read_results.h"
#include "engine/value_text.h"

LiveChange ChangeFromDataValue(std::uint32_t handle, const UA_DataValue& value) {
    UA_DateTime when = UA_DateTime_now();
    if (value.hasServerTimestamp) when = value.serverTimestamp;
    if (value.hasSourceTimestamp) when = value.sourceTimestamp;
    // The same record fields a Read fills, so the rows look alike whichever way values come.
    OPCUAItemData scratch(UA_NODEID_NUMERIC(0, 0), {}, {}, {}, {}, {});
    StoreDataValue(scratch, value, TimeText(when));
    LiveChange change;
    change.handle = handle;
    change.value = std::move(scratch.value);
    change.dataType = std::move(scratch.dataType);
    change.time = std::move(scratch.time);
    change.quality = std::move(scratch.quality);
    change.typeIndex = scratch.typeIndex;
    change.isArray = scratch.isArray;
    change.sourceTime = value.hasSourceTimestamp ? value.sourceTimestamp : 0;
    return change;
}

void ApplyChange(OPCUAItemData& record, const LiveChange& change) {
    record.time = change.time;
    record.quality = change.quality;
    if (change.typeIndex == OPCUAItemData::kNoType) return;
    record.typeIndex = change.typeIndex;
    record.isArray = change.isArray;
    record.dataType = change.dataType;
    record.value = change.value;
}
