// The simulated plant: every identifier kind, every built-in scalar type, and the corner cases a
// scanning client meets in the field.
#include <cstring>
#include <limits>

#include "tools/demo-server/address_space_builder.h"
#include "tools/demo-server/demo_nodes.h"
#include "tools/demo-server/edge_points.h"
#include "tools/demo-server/rendering_points.h"

namespace {

UA_NodeId Str(UA_UInt16 ns, const char* id) { return UA_NODEID_STRING(ns, const_cast<char*>(id)); }

template <class T>
UA_Variant Scalar(T* value, const UA_DataType* type) {
    UA_Variant v;
    UA_Variant_setScalar(&v, value, type);
    return v;
}

void AddAllTypes(AddressSpaceBuilder& b, const UA_NodeId& parent, UA_UInt16 ns) {
    // Fixed, known values; the variables live as long as this call (the server copies them).
    UA_Boolean boolean = true;
    UA_SByte sbyte = -5;
    UA_Byte byte = 200;
    UA_Int16 int16 = -1234;
    UA_UInt16 uint16 = 54321;
    UA_Int32 int32 = -123456;
    UA_UInt32 uint32 = 4000000000u;
    UA_Int64 int64 = -5;
    UA_UInt64 uint64 = std::numeric_limits<UA_UInt64>::max();
    UA_Float flt = 0.1f;
    UA_Double dbl = 3.14159;
    UA_String str = UA_STRING(const_cast<char*>("Hello 世界"));
    UA_DateTimeStruct when{};
    when.year = 2024;
    when.month = 8;
    when.day = 5;
    when.hour = 6;
    when.min = 3;
    when.sec = 9;
    when.milliSec = 7;
    UA_DateTime dateTime = UA_DateTime_fromStruct(when);
    UA_Guid guid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    UA_ByteString bytes = UA_BYTESTRING(const_cast<char*>("bytes"));
    UA_XmlElement xml = UA_STRING(const_cast<char*>("<a/>"));
    UA_NodeId nodeId = UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER);
    UA_ExpandedNodeId expanded = UA_EXPANDEDNODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER);
    UA_StatusCode status = UA_STATUSCODE_BADNODEIDUNKNOWN;
    UA_QualifiedName qualified = UA_QUALIFIEDNAME(1, const_cast<char*>("Name"));
    UA_LocalizedText text = UA_LOCALIZEDTEXT(const_cast<char*>("en-US"), const_cast<char*>("Pump"));

    void* values[] = {&boolean, &sbyte,  &byte,   &int16,    &uint16, &int32,     &uint32,
                      &int64,   &uint64, &flt,    &dbl,      &str,    &dateTime,  &guid,
                      &bytes,   &xml,    &nodeId, &expanded, &status, &qualified, &text};
    for (UA_UInt16 i = 0; i <= 20; ++i) {
        UA_Variant v;
        UA_Variant_setScalar(&v, values[i], &UA_TYPES[i]);
        b.Variable(parent, UA_NODEID_NUMERIC(ns, demo::kAllTypesBase + i), UA_TYPES[i].typeName, v,
                   true);
    }

    UA_Int32 array[] = {1, 2, 3};
    UA_Variant arr;
    UA_Variant_setArray(&arr, array, 3, &UA_TYPES[UA_TYPES_INT32]);
    b.Variable(parent, UA_NODEID_NUMERIC(ns, demo::kInt32Array), "Int32Array", arr, true);
    UA_Int32 answer = 42;
    b.Variable(parent, UA_NODEID_NUMERIC(ns, demo::kReadOnly), "ReadOnly",
               Scalar(&answer, &UA_TYPES[UA_TYPES_INT32]), false);
    UA_Double zero = 0.0;
    b.Variable(parent, UA_NODEID_NUMERIC(ns, demo::kWritableDouble), "WritableDouble",
               Scalar(&zero, &UA_TYPES[UA_TYPES_DOUBLE]), true);
}

void AddLine(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns) {
    UA_NodeId line = b.Object(plant, Str(ns, "Plant.Line1"), "Line1");
    UA_NodeId tank = b.Object(line, Str(ns, "Plant.Line1.Tank1"), "Tank1");
    UA_Double level = 50.0;
    b.Variable(tank, Str(ns, demo::kTankLevel), "Level", Scalar(&level, &UA_TYPES[UA_TYPES_DOUBLE]),
               true);
    // Level carries its range and unit as properties, as analog items do.
    UA_Range range{0.0, 100.0};
    b.Property(Str(ns, demo::kTankLevel), "EURange", Scalar(&range, &UA_TYPES[UA_TYPES_RANGE]));
    UA_EUInformation unit;
    UA_EUInformation_init(&unit);
    unit.namespaceUri = UA_STRING(const_cast<char*>(demo::kUnitsNamespaceUri));
    unit.unitId = demo::kMetreUnitId;
    unit.displayName = UA_LOCALIZEDTEXT(const_cast<char*>("en"), const_cast<char*>("m"));
    unit.description = UA_LOCALIZEDTEXT(const_cast<char*>("en"), const_cast<char*>("metre"));
    b.Property(Str(ns, demo::kTankLevel), "EngineeringUnits",
               Scalar(&unit, &UA_TYPES[UA_TYPES_EUINFORMATION]));
    UA_Float temperature = 21.5f;
    b.Variable(tank, Str(ns, demo::kTankTemperature), "Temperature",
               Scalar(&temperature, &UA_TYPES[UA_TYPES_FLOAT]), true);
    UA_String name = UA_STRING(const_cast<char*>("Tank 1"));
    b.Variable(tank, Str(ns, demo::kTankName), "Name", Scalar(&name, &UA_TYPES[UA_TYPES_STRING]),
               true);

    UA_NodeId pump = b.Object(line, UA_NODEID_NUMERIC(ns, 5001), "Pump1");
    UA_Boolean running = true;
    b.Variable(pump, UA_NODEID_NUMERIC(ns, demo::kPumpRunning), "Running",
               Scalar(&running, &UA_TYPES[UA_TYPES_BOOLEAN]), true);
    UA_Int32 speed = 1450;
    b.Variable(pump, UA_NODEID_NUMERIC(ns, demo::kPumpSpeed), "Speed",
               Scalar(&speed, &UA_TYPES[UA_TYPES_INT32]), true);
    UA_UInt32 counter = 0;
    b.Variable(pump, UA_NODEID_NUMERIC(ns, demo::kPumpCounter), "Counter",
               Scalar(&counter, &UA_TYPES[UA_TYPES_UINT32]), true);

    // One variable below two objects.
    UA_Int32 shared = 7;
    UA_NodeId sharedId = Str(ns, demo::kSharedVariable);
    b.Variable(tank, sharedId, "Shared", Scalar(&shared, &UA_TYPES[UA_TYPES_INT32]), true);
    b.Reference(pump, sharedId);
}

void AddIdentifierKinds(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns) {
    UA_NodeId kinds = b.Object(plant, Str(ns, "Plant.IdentifierKinds"), "IdentifierKinds");
    UA_NodeId guidId = UA_NODEID_NUMERIC(ns, 0);
    guidId.identifierType = UA_NODEIDTYPE_GUID;
    const unsigned char* g = demo::kGuidPointBytes;
    guidId.identifier.guid.data1 =
        UA_UInt32(g[0]) | UA_UInt32(g[1]) << 8 | UA_UInt32(g[2]) << 16 | UA_UInt32(g[3]) << 24;
    guidId.identifier.guid.data2 = UA_UInt16(g[4] | g[5] << 8);
    guidId.identifier.guid.data3 = UA_UInt16(g[6] | g[7] << 8);
    std::memcpy(guidId.identifier.guid.data4, g + 8, 8);
    UA_UInt16 seven = 7;
    b.Variable(kinds, guidId, "GuidPoint", Scalar(&seven, &UA_TYPES[UA_TYPES_UINT16]), true);

    UA_NodeId opaqueId = UA_NODEID_BYTESTRING(ns, const_cast<char*>(demo::kOpaquePointBytes));
    UA_Byte three = 3;
    b.Variable(kinds, opaqueId, "OpaquePoint", Scalar(&three, &UA_TYPES[UA_TYPES_BYTE]), true);
}

void AddServerLookalikes(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns) {
    UA_Int32 one = 1;
    UA_Variant v = Scalar(&one, &UA_TYPES[UA_TYPES_INT32]);
    UA_NodeId fake = b.Object(plant, Str(ns, demo::kFakeServerObject), "Server");
    b.Variable(fake, Str(ns, demo::kHiddenVariable), "Hidden", v, true, false);
    UA_NodeId lower = b.Object(plant, Str(ns, "Plant.server"), "server");
    b.Variable(lower, Str(ns, demo::kLowerServerVariable), "Value", v, true);
    UA_NodeId server2 = b.Object(plant, Str(ns, "Plant.Server2"), "Server2");
    b.Variable(server2, Str(ns, demo::kServer2Variable), "Value", v, true);
    b.Variable(plant, Str(ns, demo::kServerNamedVariable), "Server", v, true);
}

void AddCycle(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns) {
    UA_Int32 a = 10, c = 20;
    UA_NodeId cycleA = b.Object(plant, Str(ns, "Plant.CycleA"), "CycleA");
    UA_NodeId cycleB = b.Object(plant, Str(ns, "Plant.CycleB"), "CycleB");
    b.Variable(cycleA, Str(ns, demo::kCycleAVariable), "Value",
               Scalar(&a, &UA_TYPES[UA_TYPES_INT32]), true);
    b.Variable(cycleB, Str(ns, demo::kCycleBVariable), "Value",
               Scalar(&c, &UA_TYPES[UA_TYPES_INT32]), true);
    b.Reference(cycleA, cycleB);
    b.Reference(cycleB, cycleA);
}

}  // namespace

void BuildPlant(AddressSpaceBuilder& b, UA_UInt16 plantNs, UA_UInt16 secondNs) {
    const UA_NodeId objects = UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER);
    UA_NodeId plant = b.Object(objects, Str(plantNs, "Plant"), "Plant");
    AddLine(b, plant, plantNs);
    UA_NodeId allTypes = b.Object(plant, Str(plantNs, "Plant.AllTypes"), "AllTypes");
    AddAllTypes(b, allTypes, plantNs);
    AddIdentifierKinds(b, plant, plantNs);
    AddServerLookalikes(b, plant, plantNs);
    AddCycle(b, plant, plantNs);
    BuildEdgePoints(b, plant, plantNs);
    BuildRenderingPoints(b, plant, plantNs);

    UA_NodeId second = b.Object(objects, Str(secondNs, "Second"), "Second");
    for (UA_Int32 i = 1; i <= 2; ++i) {
        UA_Int32 value = i;
        b.Variable(second, UA_NODEID_NUMERIC(secondNs, static_cast<UA_UInt32>(i)),
                   "Second" + std::to_string(i), Scalar(&value, &UA_TYPES[UA_TYPES_INT32]), true);
    }
}
