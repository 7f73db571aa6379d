#include "tools/demo-server/simulation.h"

#include <cmath>

#include "tools/demo-server/demo_nodes.h"

PlantSimulation::PlantSimulation(UA_Server* server, UA_UInt16 plantNs, std::size_t changing)
    : server_(server), ns_(plantNs), changing_(changing) {
    UA_Server_addRepeatedCallback(server_, &PlantSimulation::Step, this, 1000.0, &callbackId_);
}

PlantSimulation::~PlantSimulation() { UA_Server_removeRepeatedCallback(server_, callbackId_); }

void PlantSimulation::Step(UA_Server* server, void* data) {
    auto* self = static_cast<PlantSimulation*>(data);
    ++self->tick_;
    UA_Variant v;
    UA_Double level = 50.0 + 25.0 * std::sin(self->tick_ / 10.0);
    UA_Variant_setScalar(&v, &level, &UA_TYPES[UA_TYPES_DOUBLE]);
    UA_Server_writeValue(server, UA_NODEID_STRING(self->ns_, const_cast<char*>(demo::kTankLevel)),
                         v);
    UA_Int32 speed = 1400 + static_cast<UA_Int32>(self->tick_ % 100);
    UA_Variant_setScalar(&v, &speed, &UA_TYPES[UA_TYPES_INT32]);
    UA_Server_writeValue(server, UA_NODEID_NUMERIC(self->ns_, demo::kPumpSpeed), v);
    UA_Variant_setScalar(&v, &self->tick_, &UA_TYPES[UA_TYPES_UINT32]);
    UA_Server_writeValue(server, UA_NODEID_NUMERIC(self->ns_, demo::kPumpCounter), v);
    // A generated point shows its number plus the tick: each second another value.
    for (std::size_t k = 0; k < self->changing_; ++k) {
        UA_Int32 value = static_cast<UA_Int32>(k + self->tick_);
        UA_Variant_setScalar(&v, &value, &UA_TYPES[UA_TYPES_INT32]);
        UA_Server_writeValue(
            server, UA_NODEID_NUMERIC(self->ns_, static_cast<UA_UInt32>(demo::kGeneratedBase + k)),
            v);
    }
}
