#pragma once

#include <open62541/server.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/demo-server/demo_server.h"

// Adds objects and variables under a parent and records the variables a walk will meet.
class AddressSpaceBuilder {
public:
    AddressSpaceBuilder(UA_Server* server, void* variableContext, std::vector<DemoPoint>* points)
        : server_(server), context_(variableContext), points_(points) {}

    // Returns the new object's id (the requested one). Parent reference: Organizes.
    UA_NodeId Object(const UA_NodeId& parent, const UA_NodeId& id, const std::string& name);
    // A scalar or array variable below `parent` (HasComponent). `listed` says whether a walk from
    // Objects reaches it (false below an object named exactly "Server").
    void Variable(const UA_NodeId& parent, const UA_NodeId& id, const std::string& name,
                  const UA_Variant& value, bool writable, bool listed = true);
    // A writable variable named in several locales, (locale, text) pairs: the first is given at
    // creation (the library adds locales only to a name that has one), the others are added.
    void LocalizedVariable(const UA_NodeId& parent, const UA_NodeId& id,
                           const std::vector<std::pair<std::string, std::string>>& names,
                           const UA_Variant& value);
    // A property `name` (browse name in namespace 0) of the node `parent`, read-only; a walk
    // never lists it, as it lists no variable below a variable.
    void Property(const UA_NodeId& parent, const std::string& name, const UA_Variant& value);
    // An extra forward Organizes reference, for shared variables and cycles.
    void Reference(const UA_NodeId& from, const UA_NodeId& to);

    bool ok() const { return status_ == UA_STATUSCODE_GOOD; }
    UA_StatusCode status() const { return status_; }

private:
    void Note(UA_StatusCode s) {
        if (status_ == UA_STATUSCODE_GOOD) status_ = s;
    }

    UA_Server* server_;
    void* context_;
    std::vector<DemoPoint>* points_;
    UA_StatusCode status_ = UA_STATUSCODE_GOOD;
};

// The simulated plant of the demo server.
void BuildPlant(AddressSpaceBuilder& b, UA_UInt16 plantNs, UA_UInt16 secondNs);
// How the generated variables hang below Objects/Generated: `pointsPerFolder` to an object,
// those objects `depth` levels down, each level above them ten objects to a parent.
struct GeneratedShape {
    std::size_t points = 0;
    std::size_t pointsPerFolder = 1000;
    std::size_t depth = 2;
};
// `shape.points` Int32 variables whose values are their own numbers.
void BuildGeneratedPoints(AddressSpaceBuilder& b, UA_UInt16 ns, const GeneratedShape& shape);
