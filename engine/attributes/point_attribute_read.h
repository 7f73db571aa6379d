#pragma once

#include <open62541/client.h>

#include <functional>
#include <span>

#include "engine/attributes/point_attributes.h"
#include "engine/attributes/property_browse.h"
#include "engine/opcua_item_data.h"
#include "engine/server_limits.h"

// The attributes an export adds, node by node in this order, in one Read request builder.
inline constexpr UA_UInt32 kExportAttributes[] = {UA_ATTRIBUTEID_BROWSENAME,
                                                  UA_ATTRIBUTEID_DESCRIPTION,
                                                  UA_ATTRIBUTEID_ACCESSLEVEL,
                                                  UA_ATTRIBUTEID_USERACCESSLEVEL,
                                                  UA_ATTRIBUTEID_VALUERANK,
                                                  UA_ATTRIBUTEID_ARRAYDIMENSIONS,
                                                  UA_ATTRIBUTEID_MINIMUMSAMPLINGINTERVAL,
                                                  UA_ATTRIBUTEID_HISTORIZING};

// Reads the attributes of every point in Reads within the server's MaxNodesPerRead (which counts
// attributes), then finds their EURange and EngineeringUnits properties with Browses of many
// points each within MaxNodesPerBrowse, and reads those. Requests travel several at once. The
// table gets one entry per point; a field the server did not answer stays unknown. False when
// the session went or `stop` said so before the end; what was read stays. Blocks; runs where
// the session lives.
bool ReadPointAttributes(UA_Client* client, std::span<OPCUAItemData* const> points,
                         const ServerLimits& limits, PointAttributeTable& table,
                         AttributeReadCounts* counts = nullptr,
                         const std::function<bool()>& stop = {});

// One result of kExportAttributes (index `attribute` into it) into `attributes`, when good.
void TakeAttribute(std::size_t attribute, const UA_DataValue& result, PointAttributes& attributes);
