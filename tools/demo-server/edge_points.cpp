#include "tools/demo-server/edge_points.h"

#include <limits>

#include "tools/demo-server/demo_nodes.h"

namespace {

template <class T>
UA_Variant Scalar(T* value, int typeIndex) {
    UA_Variant v;
    UA_Variant_setScalar(&v, value, &UA_TYPES[typeIndex]);
    return v;
}

UA_NodeId Str(UA_UInt16 ns, const char* id, std::size_t length) {
    UA_NodeId node = UA_NODEID_NUMERIC(ns, 0);
    node.identifierType = UA_NODEIDTYPE_STRING;
    node.identifier.string = {length, reinterpret_cast<UA_Byte*>(const_cast<char*>(id))};
    return node;
}

UA_NodeId Str(UA_UInt16 ns, const char* id) {
    return Str(ns, id, std::char_traits<char>::length(id));
}

}  // namespace

void BuildEdgePoints(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns) {
    UA_NodeId edge = b.Object(plant, Str(ns, "Plant.Edge"), "Edge");
    UA_Int32 five = 5;
    b.Variable(edge, UA_NODEID_NUMERIC(ns, demo::kMaxNumericPoint), "MaxNumeric",
               Scalar(&five, UA_TYPES_INT32), true);
    UA_DateTime latest = std::numeric_limits<UA_DateTime>::max();
    b.Variable(edge, Str(ns, demo::kDateTimeMaxPoint), "DateTimeMax",
               Scalar(&latest, UA_TYPES_DATETIME), true);
    UA_DateTime earliest = std::numeric_limits<UA_DateTime>::min();
    b.Variable(edge, Str(ns, demo::kDateTimeMinPoint), "DateTimeMin",
               Scalar(&earliest, UA_TYPES_DATETIME), true);
    UA_Int32 nine = 9;
    b.Variable(edge, Str(ns, demo::kControlCharPoint, demo::kControlCharPointLength),
               "ControlChars", Scalar(&nine, UA_TYPES_INT32), true);
}
