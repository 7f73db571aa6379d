#pragma once

#include <open62541/client.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What the details of one point show, read on demand: its attributes, its value with status and
// times, and the EURange and EngineeringUnits properties where the point has them. Texts are
// language-free; access levels stay bits, so the window words them in its language.
struct DetailLine {
    enum class Kind { kText, kAccess };
    DetailLine() = default;
    explicit DetailLine(std::string l) : label(std::move(l)) {}
    DetailLine(std::string l, Kind k, std::string t, std::uint8_t a = 0, bool f = false)
        : label(std::move(l)), kind(k), text(std::move(t)), access(a), failed(f) {}

    std::string label;  // the attribute's or property's own name, as the list's headers
    Kind kind = Kind::kText;
    std::string text;         // the value, or the name of the status the server answered with
    std::uint8_t access = 0;  // kAccess lines whose read succeeded
    bool failed = false;      // `text` is a status name
};

struct PointDetails {
    UA_StatusCode status = UA_STATUSCODE_GOOD;  // the Read as a whole
    std::vector<DetailLine> lines;              // empty when `status` is not Good
};

// One Read of the attributes, then (only as needed) the data type's display name and the two
// properties. Blocks; runs where the session lives.
PointDetails ReadPointDetails(UA_Client* client, const UA_NodeId& nodeId);

// The name of a NodeClass value ("Variable"), or its number.
std::string NodeClassName(std::int32_t nodeClass);
// A ValueRank with its meaning: "-1 (Scalar)", "2 (2 dimensions)".
std::string ValueRankText(std::int32_t valueRank);
// "0.000 .. 100.000" for an EURange value; empty for anything else.
std::string RangeText(const UA_Variant& value);
// "m (metre)" for an EngineeringUnits value: display name, then description when it adds to it.
std::string UnitText(const UA_Variant& value);
