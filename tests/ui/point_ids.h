#pragma once

#include <open62541/types.h>

#include <cstring>
#include <string>

// NodeIds of every identifier kind for record-level tests. They borrow their bytes; records
// made from them take deep copies.
inline UA_NodeId NumericId(UA_UInt16 ns, UA_UInt32 id) { return UA_NODEID_NUMERIC(ns, id); }

inline UA_NodeId StringId(UA_UInt16 ns, const std::string& text) {
    UA_NodeId id;
    UA_NodeId_init(&id);
    id.namespaceIndex = ns;
    id.identifierType = UA_NODEIDTYPE_STRING;
    id.identifier.string.length = text.size();
    id.identifier.string.data = reinterpret_cast<UA_Byte*>(const_cast<char*>(text.data()));
    return id;
}

inline UA_NodeId ByteStringId(UA_UInt16 ns, const std::string& bytes) {
    UA_NodeId id = StringId(ns, bytes);
    id.identifierType = UA_NODEIDTYPE_BYTESTRING;
    return id;
}

// First field 1, second 2, third 3, then AA BB CC DD EE FF 00 11.
inline UA_NodeId GuidId(UA_UInt16 ns) {
    UA_Guid g;
    g.data1 = 1;
    g.data2 = 2;
    g.data3 = 3;
    const UA_Byte tail[8] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11};
    std::memcpy(g.data4, tail, sizeof tail);
    return UA_NODEID_GUID(ns, g);
}
