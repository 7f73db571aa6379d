#include "tools/demo-server/address_space_builder.h"

UA_NodeId AddressSpaceBuilder::Object(const UA_NodeId& parent, const UA_NodeId& id,
                                      const std::string& name) {
    UA_ObjectAttributes attr = UA_ObjectAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(name.c_str()));
    UA_QualifiedName browseName =
        UA_QUALIFIEDNAME(id.namespaceIndex, const_cast<char*>(name.c_str()));
    Note(UA_Server_addObjectNode(server_, id, parent, UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
                                 browseName, UA_NODEID_NUMERIC(0, UA_NS0ID_FOLDERTYPE), attr,
                                 nullptr, nullptr));
    return id;
}

void AddressSpaceBuilder::Variable(const UA_NodeId& parent, const UA_NodeId& id,
                                   const std::string& name, const UA_Variant& value, bool writable,
                                   bool listed) {
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(name.c_str()));
    attr.value = value;
    attr.dataType = value.type->typeId;
    attr.valueRank = UA_Variant_isScalar(&value) ? UA_VALUERANK_SCALAR : UA_VALUERANK_ANY;
    attr.accessLevel = UA_ACCESSLEVELMASK_READ | (writable ? UA_ACCESSLEVELMASK_WRITE : 0);
    attr.userAccessLevel = attr.accessLevel;
    UA_QualifiedName browseName =
        UA_QUALIFIEDNAME(id.namespaceIndex, const_cast<char*>(name.c_str()));
    UA_StatusCode s = UA_Server_addVariableNode(
        server_, id, parent, UA_NODEID_NUMERIC(0, UA_NS0ID_HASCOMPONENT), browseName,
        UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, context_, nullptr);
    Note(s);
    if (s == UA_STATUSCODE_GOOD && listed) {
        DemoPoint p;
        UA_NodeId_copy(&id, &p.nodeId);
        p.displayName = name;
        points_->push_back(p);
    }
}

void AddressSpaceBuilder::Property(const UA_NodeId& parent, const std::string& name,
                                   const UA_Variant& value) {
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(name.c_str()));
    attr.value = value;
    attr.dataType = value.type->typeId;
    attr.valueRank = UA_VALUERANK_SCALAR;
    attr.accessLevel = UA_ACCESSLEVELMASK_READ;
    attr.userAccessLevel = attr.accessLevel;
    UA_QualifiedName browseName = UA_QUALIFIEDNAME(0, const_cast<char*>(name.c_str()));
    Note(UA_Server_addVariableNode(
        server_, UA_NODEID_NULL, parent, UA_NODEID_NUMERIC(0, UA_NS0ID_HASPROPERTY), browseName,
        UA_NODEID_NUMERIC(0, UA_NS0ID_PROPERTYTYPE), attr, nullptr, nullptr));
}

void AddressSpaceBuilder::Reference(const UA_NodeId& from, const UA_NodeId& to) {
    UA_ExpandedNodeId target;
    UA_ExpandedNodeId_init(&target);
    target.nodeId = to;  // borrowed: addReference copies it
    Note(UA_Server_addReference(server_, from, UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES), target,
                                true));
}

void AddressSpaceBuilder::LocalizedVariable(
    const UA_NodeId& parent, const UA_NodeId& id,
    const std::vector<std::pair<std::string, std::string>>& names, const UA_Variant& value) {
    if (names.empty()) return;
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(names[0].first.c_str()),
                                        const_cast<char*>(names[0].second.c_str()));
    attr.value = value;
    attr.dataType = value.type->typeId;
    attr.valueRank = UA_VALUERANK_SCALAR;
    attr.accessLevel = UA_ACCESSLEVELMASK_READ | UA_ACCESSLEVELMASK_WRITE;
    attr.userAccessLevel = attr.accessLevel;
    UA_QualifiedName browseName =
        UA_QUALIFIEDNAME(id.namespaceIndex, const_cast<char*>(names[0].second.c_str()));
    UA_StatusCode s = UA_Server_addVariableNode(
        server_, id, parent, UA_NODEID_NUMERIC(0, UA_NS0ID_HASCOMPONENT), browseName,
        UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, context_, nullptr);
    Note(s);
    if (s != UA_STATUSCODE_GOOD) return;
    for (std::size_t i = 1; i < names.size(); ++i) {
        Note(UA_Server_writeDisplayName(
            server_, id,
            UA_LOCALIZEDTEXT(const_cast<char*>(names[i].first.c_str()),
                             const_cast<char*>(names[i].second.c_str()))));
    }
    DemoPoint p;
    UA_NodeId_copy(&id, &p.nodeId);
    p.displayName = names[0].second;
    points_->push_back(p);
}
