#pragma once

#include <open62541/client.h>

#include <cstddef>

// The yardstick: the same Browse, BrowseNext and Read calls made with bare open62541 types,
// no records, no sorting, no list, one Read of every variable. What the real walk costs beyond
// this is its own.
struct RawFigures {
    double walkSeconds = 0;
    double readSeconds = 0;
    std::size_t points = 0;
    std::size_t requests = 0;
};

RawFigures RawWalk(UA_Client* client);
