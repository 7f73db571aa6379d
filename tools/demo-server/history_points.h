#pragma once

#include <open62541/plugin/historydata/history_data_backend.h>
#include <open62541/server.h>

#include <cstddef>
#include <vector>

class AddressSpaceBuilder;

// What the demo server keeps a history of.
struct HistoryShape {
    bool enabled = true;             // false: no history database, Historizing false everywhere
    std::size_t samples = 1000;      // samples the Archive point holds from the start
    std::size_t perResponse = 1000;  // most values in one HistoryRead answer
};

// Objects/Plant/History: "Recorded", a Double written every second and recorded as it changes,
// and "Archive", a Double whose history holds `samples` values one second apart, the last one
// a second before start. Both historize in open62541's in-memory history database.
class HistoryPoints {
public:
    // Sets the server's history database up; call before the address space is built.
    static void Configure(UA_ServerConfig* config, const HistoryShape& shape);

    HistoryPoints(UA_Server* server, AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns,
                  const HistoryShape& shape);
    ~HistoryPoints();
    HistoryPoints(const HistoryPoints&) = delete;
    HistoryPoints& operator=(const HistoryPoints&) = delete;

    UA_StatusCode Status() const { return status_; }

private:
    static void Step(UA_Server* server, void* data);
    UA_StatusCode Historize(const UA_NodeId& id, const HistoryShape& shape);
    UA_StatusCode Prefill(const UA_NodeId& id, std::size_t samples);

    UA_Server* server_;
    UA_UInt16 ns_;
    UA_UInt64 callbackId_ = 0;
    UA_UInt32 tick_ = 0;
    UA_StatusCode status_ = UA_STATUSCODE_GOOD;
    // The gathering keeps copies of these but never frees them.
    std::vector<UA_HistoryDataBackend> backends_;
};
