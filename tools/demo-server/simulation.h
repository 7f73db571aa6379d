#pragma once

#include <open62541/server.h>

#include <cstddef>

// Makes a few plant values, and the first `changing` generated points, change every second
// while it lives. Destroy it before the server.
class PlantSimulation {
public:
    PlantSimulation(UA_Server* server, UA_UInt16 plantNs, std::size_t changing = 0);
    ~PlantSimulation();
    PlantSimulation(const PlantSimulation&) = delete;
    PlantSimulation& operator=(const PlantSimulation&) = delete;

private:
    static void Step(UA_Server* server, void* data);

    UA_Server* server_;
    UA_UInt16 ns_;
    std::size_t changing_;
    UA_UInt64 callbackId_ = 0;
    UA_UInt32 tick_ = 0;
};
