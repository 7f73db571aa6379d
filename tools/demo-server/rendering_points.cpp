// Points whose values have no plain number or text form, and one whose name exists in two
// languages, so a client shows which locale its session asked for.
#include "tools/demo-server/rendering_points.h"

#include <array>

#include "tools/demo-server/demo_nodes.h"

namespace {

UA_NodeId Num(UA_UInt16 ns, UA_UInt32 id) { return UA_NODEID_NUMERIC(ns, id); }

}  // namespace

void BuildRenderingPoints(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns) {
    const UA_NodeId folder =
        b.Object(plant, UA_NODEID_STRING(ns, const_cast<char*>("Plant.Rendering")), "Rendering");

    UA_String words[] = {UA_STRING(const_cast<char*>("alpha")), UA_STRING(const_cast<char*>("β")),
                         UA_STRING(const_cast<char*>("Gamma"))};
    UA_Variant v;
    UA_Variant_setArray(&v, words, 3, &UA_TYPES[UA_TYPES_STRING]);
    b.Variable(folder, Num(ns, demo::kStringArray), "StringArray", v, true);

    UA_StatusCode status = UA_STATUSCODE_BADOUTOFRANGE;
    UA_Variant_setScalar(&v, &status, &UA_TYPES[UA_TYPES_STATUSCODE]);
    b.Variable(folder, Num(ns, demo::kOutOfRangeStatus), "OutOfRangeStatus", v, true);

    UA_QualifiedName name = UA_QUALIFIEDNAME(2, const_cast<char*>("Setpoint"));
    UA_Variant_setScalar(&v, &name, &UA_TYPES[UA_TYPES_QUALIFIEDNAME]);
    b.Variable(folder, Num(ns, demo::kQualifiedName), "QualifiedNameValue", v, true);

    std::array<UA_Int32, 100> many{};
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = -static_cast<UA_Int32>(i);
    UA_Variant_setArray(&v, many.data(), many.size(), &UA_TYPES[UA_TYPES_INT32]);
    b.Variable(folder, Num(ns, demo::kLongArray), "LongArray", v, true);

    UA_Double speed = 12.5;
    UA_Variant_setScalar(&v, &speed, &UA_TYPES[UA_TYPES_DOUBLE]);
    b.LocalizedVariable(folder, Num(ns, demo::kTwoLocaleName),
                        {{"en", demo::kTwoLocaleNameEn}, {"zh-CN", demo::kTwoLocaleNameZh}}, v);
}
