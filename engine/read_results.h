#pragma once

#include <open62541/types.h>

#include <iterator>
#include <span>
#include <string>

#include "engine/opcua_item_data.h"

// What a Read answered, stored into the point records: the halves of ReadValues that do not
// talk to a server.

// Service results that blame the size of a Read rather than the server or the session: a
// smaller Read can still succeed.
bool IsReadLimitStatus(UA_StatusCode serviceResult);

// A Read that failed as a whole: every record gets `timeText` and "BAD", nothing else changes.
void MarkReadFailed(std::span<OPCUAItemData* const> records, const std::string& timeText);

// One value as the list shows it: time `timeText`, quality by the status, and type and value
// text when the value has a built-in type (a type without a text form keeps the old text).
void StoreDataValue(OPCUAItemData& record, const UA_DataValue& result, const std::string& timeText);

// Stores result i of `response` into record i. When the server answered with a different
// number of results the records are marked as by MarkReadFailed and the answer is false.
bool StoreReadResults(std::span<OPCUAItemData* const> records, const UA_ReadResponse& response,
                      const std::string& timeText);

// The same for a Read of `attributesPerNode` attributes per record, in the order of
// kWalkAttributes: Value, then UserAccessLevel. A refused UserAccessLevel leaves it unknown.
inline constexpr UA_UInt32 kWalkAttributes[] = {UA_ATTRIBUTEID_VALUE,
                                                UA_ATTRIBUTEID_USERACCESSLEVEL};
inline constexpr std::size_t kWalkAttributeCount = std::size(kWalkAttributes);
bool StoreWalkReadResults(std::span<OPCUAItemData* const> records, const UA_ReadResponse& response,
                          const std::string& timeText);
