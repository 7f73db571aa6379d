#include "engine/point_details.h"

#include <open62541/client_highlevel.h>

#include <iterator>
#include <span>
#include <utility>

#include "engine/node_id_text.h"
#include "engine/read_request.h"
#include "engine/ua_text.h"
#include "engine/ua_types.h"
#include "engine/value_text.h"

namespace {

using UaTranslateResponse = UaOwned<UA_TranslateBrowsePathsToNodeIdsResponse,
                                    UA_TYPES_TRANSLATEBROWSEPATHSTONODEIDSRESPONSE>;

struct Attribute {
    UA_UInt32 id;
    const char* label;
};
constexpr Attribute kAttributes[] = {
    {UA_ATTRIBUTEID_NODEID, "NodeId"},
    {UA_ATTRIBUTEID_BROWSENAME, "BrowseName"},
    {UA_ATTRIBUTEID_DISPLAYNAME, "DisplayName"},
    {UA_ATTRIBUTEID_DESCRIPTION, "Description"},
    {UA_ATTRIBUTEID_NODECLASS, "NodeClass"},
    {UA_ATTRIBUTEID_DATATYPE, "DataType"},
    {UA_ATTRIBUTEID_VALUERANK, "ValueRank"},
    {UA_ATTRIBUTEID_ARRAYDIMENSIONS, "ArrayDimensions"},
    {UA_ATTRIBUTEID_ACCESSLEVEL, "AccessLevel"},
    {UA_ATTRIBUTEID_USERACCESSLEVEL, "UserAccessLevel"},
    {UA_ATTRIBUTEID_MINIMUMSAMPLINGINTERVAL, "MinimumSamplingInterval"},
    {UA_ATTRIBUTEID_HISTORIZING, "Historizing"},
    {UA_ATTRIBUTEID_VALUE, "Value"},
};
constexpr char kEURange[] = "EURange";
constexpr char kEngineeringUnits[] = "EngineeringUnits";

// A missing time is no time, not the year 1601.
std::string TimeOrNothing(bool has, UA_DateTime time) {
    return has ? TimeText(time) : std::string();
}

// A built-in type by its name; another by its DisplayName, read from the server.
std::string DataTypeName(UA_Client* client, const UA_NodeId& type) {
    if (const UA_DataType* known = UA_findDataType(&type); known && type.namespaceIndex == 0)
        return known->typeName;
    UA_LocalizedText name;
    UA_LocalizedText_init(&name);
    const UA_StatusCode status = UA_Client_readDisplayNameAttribute(client, type, &name);
    std::string text = status == UA_STATUSCODE_GOOD ? UaText(name.text) : std::string();
    UA_LocalizedText_clear(&name);
    const std::string id = NodeIdToText(type);
    return text.empty() ? id : text + " (" + id + ")";
}

std::string AttributeText(UA_Client* client, UA_UInt32 attribute, const UA_Variant& v) {
    switch (attribute) {
        case UA_ATTRIBUTEID_NODECLASS:
            // An enumeration travels as Int32, so it may come back as either.
            if (UA_Variant_isScalar(&v) && v.type != nullptr &&
                (v.type->typeKind == UA_DATATYPEKIND_ENUM || v.type == &UA_TYPES[UA_TYPES_INT32]))
                return NodeClassName(*static_cast<const UA_Int32*>(v.data));
            break;
        case UA_ATTRIBUTEID_DATATYPE:
            if (const auto* t = ScalarOf<UA_NodeId>(v, UA_TYPES_NODEID))
                return DataTypeName(client, *t);
            break;
        case UA_ATTRIBUTEID_VALUERANK:
            if (const auto* r = ScalarOf<UA_Int32>(v, UA_TYPES_INT32)) return ValueRankText(*r);
            break;
        case UA_ATTRIBUTEID_HISTORIZING:
            if (const auto* h = ScalarOf<UA_Boolean>(v, UA_TYPES_BOOLEAN))
                return *h ? "true" : "false";
            break;
        default:
            break;
    }
    std::string text;
    VariantToText(v, text);
    return text;
}

// The nodes of the two properties, null where the point has none.
std::vector<UaNodeId> FindProperties(UA_Client* client, const UA_NodeId& nodeId) {
    const char* names[] = {kEURange, kEngineeringUnits};
    UA_RelativePathElement elements[2];
    UA_BrowsePath paths[2];
    for (int i = 0; i < 2; ++i) {
        UA_RelativePathElement_init(&elements[i]);
        elements[i].referenceTypeId = UA_NODEID_NUMERIC(0, UA_NS0ID_HASPROPERTY);
        elements[i].targetName = UA_QUALIFIEDNAME(0, const_cast<char*>(names[i]));
        UA_BrowsePath_init(&paths[i]);
        paths[i].startingNode = nodeId;  // borrowed until the request is sent
        paths[i].relativePath.elements = &elements[i];
        paths[i].relativePath.elementsSize = 1;
    }
    UA_TranslateBrowsePathsToNodeIdsRequest request;
    UA_TranslateBrowsePathsToNodeIdsRequest_init(&request);
    request.browsePaths = paths;
    request.browsePathsSize = 2;
    const UaTranslateResponse response = UaTranslateResponse::Adopt(
        UA_Client_Service_translateBrowsePathsToNodeIds(client, request));
    std::vector<UaNodeId> found(2);
    if (response->responseHeader.serviceResult != UA_STATUSCODE_GOOD || response->resultsSize != 2)
        return found;
    for (std::size_t i = 0; i < 2; ++i) {
        const UA_BrowsePathResult& r = response->results[i];
        if (r.statusCode == UA_STATUSCODE_GOOD && r.targetsSize > 0)
            found[i] = UaNodeId::CopyOf(r.targets[0].targetId.nodeId);
    }
    return found;
}

void AddProperties(UA_Client* client, const UA_NodeId& nodeId, std::vector<DetailLine>& lines) {
    const std::vector<UaNodeId> nodes = FindProperties(client, nodeId);
    const char* labels[] = {kEURange, kEngineeringUnits};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (UA_NodeId_isNull(nodes[i].get())) continue;
        UaVariant value;
        const UA_StatusCode status = UA_Client_readValueAttribute(client, *nodes[i], value.get());
        DetailLine line{labels[i]};
        if (status != UA_STATUSCODE_GOOD) {
            line.text = UA_StatusCode_name(status);
            line.failed = true;
        } else {
            line.text = i == 0 ? RangeText(*value) : UnitText(*value);
            if (line.text.empty()) VariantToText(*value, line.text);
        }
        lines.push_back(std::move(line));
    }
}

}  // namespace

std::string NodeClassName(std::int32_t nodeClass) {
    switch (nodeClass) {
        case UA_NODECLASS_OBJECT:
            return "Object";
        case UA_NODECLASS_VARIABLE:
            return "Variable";
        case UA_NODECLASS_METHOD:
            return "Method";
        case UA_NODECLASS_OBJECTTYPE:
            return "ObjectType";
        case UA_NODECLASS_VARIABLETYPE:
            return "VariableType";
        case UA_NODECLASS_REFERENCETYPE:
            return "ReferenceType";
        case UA_NODECLASS_DATATYPE:
            return "DataType";
        case UA_NODECLASS_VIEW:
            return "View";
        default:
            return std::to_string(nodeClass);
    }
}

std::string ValueRankText(std::int32_t rank) {
    const std::string number = std::to_string(rank);
    switch (rank) {
        case UA_VALUERANK_SCALAR_OR_ONE_DIMENSION:
            return number + " (ScalarOrOneDimension)";
        case UA_VALUERANK_ANY:
            return number + " (Any)";
        case UA_VALUERANK_SCALAR:
            return number + " (Scalar)";
        case UA_VALUERANK_ONE_OR_MORE_DIMENSIONS:
            return number + " (OneOrMoreDimensions)";
        default:
            if (rank == 1) return number + " (1 dimension)";
            if (rank > 1) return number + " (" + number + " dimensions)";
            return number;
    }
}

std::string RangeText(const UA_Variant& value) {
    const auto* range = ScalarOf<UA_Range>(value, UA_TYPES_RANGE);
    if (range == nullptr) return {};
    UA_Variant low, high;
    UA_Variant_setScalar(&low, const_cast<UA_Double*>(&range->low), &UA_TYPES[UA_TYPES_DOUBLE]);
    UA_Variant_setScalar(&high, const_cast<UA_Double*>(&range->high), &UA_TYPES[UA_TYPES_DOUBLE]);
    std::string lowText, highText;
    VariantToText(low, lowText);
    VariantToText(high, highText);
    return lowText + " .. " + highText;
}

std::string UnitText(const UA_Variant& value) {
    const auto* unit = ScalarOf<UA_EUInformation>(value, UA_TYPES_EUINFORMATION);
    if (unit == nullptr) return {};
    const std::string name = UaText(unit->displayName.text);
    const std::string description = UaText(unit->description.text);
    if (description.empty() || description == name) return name;
    return name.empty() ? description : name + " (" + description + ")";
}

PointDetails ReadPointDetails(UA_Client* client, const UA_NodeId& nodeId) {
    PointDetails details;
    if (client == nullptr) {
        details.status = UA_STATUSCODE_BADNOTCONNECTED;
        return details;
    }
    UA_UInt32 attributeIds[std::size(kAttributes)];
    for (std::size_t i = 0; i < std::size(kAttributes); ++i) attributeIds[i] = kAttributes[i].id;
    ReadRequestBuilder builder(attributeIds);
    // A shallow copy: the ids stay the builder's, borrowed until the request is sent.
    UA_ReadRequest request = builder.Build(std::span<const UA_NodeId>(&nodeId, 1));
    request.timestampsToReturn = UA_TIMESTAMPSTORETURN_BOTH;
    const UaReadResponse response = UaReadResponse::Adopt(UA_Client_Service_read(client, request));
    details.status = response->responseHeader.serviceResult;
    if (details.status == UA_STATUSCODE_GOOD && response->resultsSize != std::size(kAttributes))
        details.status = UA_STATUSCODE_BADUNEXPECTEDERROR;
    if (details.status != UA_STATUSCODE_GOOD) return details;

    for (std::size_t i = 0; i < std::size(kAttributes); ++i) {
        const UA_DataValue& result = response->results[i];
        const UA_UInt32 attribute = kAttributes[i].id;
        DetailLine line{kAttributes[i].label};
        const bool access =
            attribute == UA_ATTRIBUTEID_ACCESSLEVEL || attribute == UA_ATTRIBUTEID_USERACCESSLEVEL;
        const UA_StatusCode status = result.hasStatus ? result.status : UA_STATUSCODE_GOOD;
        if (access) line.kind = DetailLine::Kind::kAccess;
        // A value with a bad status still has its status and times to show.
        if (status != UA_STATUSCODE_GOOD && attribute != UA_ATTRIBUTEID_VALUE) {
            line.text = UA_StatusCode_name(status);
            line.failed = true;
        } else if (access) {
            const auto* bits = ScalarOf<UA_Byte>(result.value, UA_TYPES_BYTE);
            line.access = bits ? *bits : 0;
        } else if (result.hasValue) {
            line.text = AttributeText(client, attribute, result.value);
        }
        details.lines.push_back(std::move(line));
        if (attribute == UA_ATTRIBUTEID_VALUE) {
            details.lines.push_back(
                {"StatusCode", DetailLine::Kind::kText, UA_StatusCode_name(status)});
            details.lines.push_back(
                {"SourceTimestamp", DetailLine::Kind::kText,
                 TimeOrNothing(result.hasSourceTimestamp, result.sourceTimestamp)});
            details.lines.push_back(
                {"ServerTimestamp", DetailLine::Kind::kText,
                 TimeOrNothing(result.hasServerTimestamp, result.serverTimestamp)});
        }
    }
    AddProperties(client, nodeId, details.lines);
    return details;
}
