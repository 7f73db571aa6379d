#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/attributes/point_attributes.h"
#include "engine/opcua_item_data.h"
#include "engine/ua_types.h"

// Requests the attribute export sent, for benchmarks and tests to hold against the limits.
struct AttributeReadCounts {
    std::uint64_t attributeReads = 0;  // Reads of the attributes
    std::uint64_t browses = 0;         // Browses for HasProperty
    std::uint64_t browseNexts = 0;
    std::uint64_t propertyReads = 0;  // Reads of EURange and EngineeringUnits values
    std::size_t peakNodesPerRead = 0;
    std::size_t peakNodesPerBrowse = 0;
    std::size_t peakOutstanding = 0;
    double attributeSeconds = 0;  // the attribute Reads
    double propertySeconds = 0;   // the Browses and the property Reads
};

// A property node of point `point`.
struct PointProperty {
    std::size_t point;
    bool range;  // EURange; otherwise EngineeringUnits
    UaNodeId node;
};

// Finds the EURange and EngineeringUnits properties of `points`: Browses for HasProperty that
// each carry up to `nodesPerBrowse` points (0: a default), several on their way at once, with
// BrowseNext for a point that has more properties than one answer holds. False when the session
// went or `stop` said so; what was found stays in `found`.
bool FindPointProperties(UA_Client* client, std::span<OPCUAItemData* const> points,
                         std::size_t nodesPerBrowse, std::vector<PointProperty>& found,
                         AttributeReadCounts& counts, const std::function<bool()>& stop = {});

// Reads the values of `properties` in Reads of up to `nodesPerRead` nodes (0: a default) into
// the units and range of their points' entries of `table`. False when the session went or
// `stop` said so.
bool ReadPointProperties(UA_Client* client, const std::vector<PointProperty>& properties,
                         std::size_t nodesPerRead, PointAttributeTable& table,
                         AttributeReadCounts& counts, const std::function<bool()>& stop = {});

// An EURange value (a Range) into `attributes`; false for anything else.
bool TakeRange(const UA_Variant& value, PointAttributes& attributes);
// An EngineeringUnits value (an EUInformation) into `attributes` as its display name; false for
// anything else.
bool TakeUnits(const UA_Variant& value, PointAttributes& attributes);
