#include "engine/read_results.h"

#include "engine/value_text.h"

bool IsReadLimitStatus(UA_StatusCode serviceResult) {
    switch (serviceResult) {
        case UA_STATUSCODE_BADTOOMANYOPERATIONS:
        case UA_STATUSCODE_BADENCODINGLIMITSEXCEEDED:
        case UA_STATUSCODE_BADRESPONSETOOLARGE:
        case UA_STATUSCODE_BADREQUESTTOOLARGE:
            return true;
        default:
            return false;
    }
}

void MarkReadFailed(std::span<OPCUAItemData* const> records, const std::string& timeText) {
    for (OPCUAItemData* record : records) {
        record->time = timeText;
        record->quality = "BAD";
    }
}

void StoreDataValue(OPCUAItemData& record, const UA_DataValue& result,
                    const std::string& timeText) {
    record.time = timeText;
    record.quality = QualityText(result.hasStatus ? result.status : UA_STATUSCODE_GOOD);
    if (!result.hasValue || result.value.type == nullptr) return;
    const std::uint16_t typeIndex = BuiltinTypeIndex(result.value.type);
    if (typeIndex == kNoTypeIndex) return;
    record.typeIndex = typeIndex;
    record.isArray = !UA_Variant_isScalar(&result.value);
    record.dataType = result.value.type->typeName;
    // Types without a text form keep the previous value text.
    VariantToText(result.value, record.value);
}

namespace {

void StoreAccess(OPCUAItemData& record, const UA_DataValue& result) {
    const bool good = !result.hasStatus || result.status == UA_STATUSCODE_GOOD;
    record.accessKnown = good && result.hasValue &&
                         UA_Variant_hasScalarType(&result.value, &UA_TYPES[UA_TYPES_BYTE]);
    if (record.accessKnown)
        record.userAccessLevel = *static_cast<const UA_Byte*>(result.value.data);
}

}  // namespace

bool StoreReadResults(std::span<OPCUAItemData* const> records, const UA_ReadResponse& response,
                      const std::string& timeText) {
    if (response.resultsSize != records.size()) {
        // No result can be matched to its record; the values cannot be trusted as current.
        MarkReadFailed(records, timeText);
        return false;
    }
    for (std::size_t i = 0; i < records.size(); ++i)
        StoreDataValue(*records[i], response.results[i], timeText);
    return true;
}

bool StoreWalkReadResults(std::span<OPCUAItemData* const> records, const UA_ReadResponse& response,
                          const std::string& timeText) {
    if (response.resultsSize != records.size() * kWalkAttributeCount) {
        MarkReadFailed(records, timeText);
        return false;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const UA_DataValue* results = response.results + i * kWalkAttributeCount;
        StoreDataValue(*records[i], results[0], timeText);
        StoreAccess(*records[i], results[1]);
    }
    return true;
}
