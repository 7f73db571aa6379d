#include "tools/demo-server/history_points.h"

#include <open62541/plugin/historydata/history_data_backend_memory.h>
#include <open62541/plugin/historydata/history_data_gathering_default.h>
#include <open62541/plugin/historydata/history_database_default.h>

#include <cmath>

#include "tools/demo-server/address_space_builder.h"
#include "tools/demo-server/demo_nodes.h"

namespace {

UA_NodeId Str(UA_UInt16 ns, const char* id) { return UA_NODEID_STRING(ns, const_cast<char*>(id)); }

// The gathering the default database was made with: the first member of its context. The
// database owns it and clears it with the config.
UA_HistoryDataGathering* Gathering(UA_Server* server) {
    return static_cast<UA_HistoryDataGathering*>(
        UA_Server_getConfig(server)->historyDatabase.context);
}

double ArchiveValue(std::size_t i) { return 20.0 + 5.0 * std::sin(static_cast<double>(i) / 60.0); }

}  // namespace

void HistoryPoints::Configure(UA_ServerConfig* config, const HistoryShape& shape) {
    if (!shape.enabled) return;
    config->historizingEnabled = true;
    config->accessHistoryDataCapability = true;
    config->maxReturnDataValues = static_cast<UA_UInt32>(shape.perResponse);
    config->historyDatabase = UA_HistoryDatabase_default(UA_HistoryDataGathering_Default(2));
}

HistoryPoints::HistoryPoints(UA_Server* server, AddressSpaceBuilder& b, const UA_NodeId& plant,
                             UA_UInt16 ns, const HistoryShape& shape)
    : server_(server), ns_(ns) {
    const UA_NodeId folder = b.Object(plant, Str(ns, "Plant.History"), "History");
    UA_Double zero = 0.0;
    UA_Variant v;
    UA_Variant_setScalar(&v, &zero, &UA_TYPES[UA_TYPES_DOUBLE]);
    b.Variable(folder, Str(ns, demo::kRecordedPoint), "Recorded", v, false);
    b.Variable(folder, Str(ns, demo::kArchivePoint), "Archive", v, false);
    if (!b.ok()) {
        status_ = b.status();
        return;
    }
    if (shape.enabled) {
        status_ = Historize(Str(ns, demo::kRecordedPoint), shape);
        if (status_ == UA_STATUSCODE_GOOD) status_ = Historize(Str(ns, demo::kArchivePoint), shape);
        if (status_ == UA_STATUSCODE_GOOD)
            status_ = Prefill(Str(ns, demo::kArchivePoint), shape.samples);
    }
    if (status_ == UA_STATUSCODE_GOOD)
        status_ = UA_Server_addRepeatedCallback(server_, &HistoryPoints::Step, this, 1000.0,
                                                &callbackId_);
}

HistoryPoints::~HistoryPoints() {
    if (callbackId_ != 0) UA_Server_removeRepeatedCallback(server_, callbackId_);
    for (UA_HistoryDataBackend& backend : backends_) UA_HistoryDataBackend_Memory_clear(&backend);
}

UA_StatusCode HistoryPoints::Historize(const UA_NodeId& id, const HistoryShape& shape) {
    UA_HistoryDataGathering* gathering = Gathering(server_);
    if (gathering == nullptr) return UA_STATUSCODE_BADINTERNALERROR;
    UA_HistorizingNodeIdSettings setting{};
    setting.historizingBackend = UA_HistoryDataBackend_Memory(1, shape.samples + 16);
    setting.maxHistoryDataResponseSize = shape.perResponse;
    setting.historizingUpdateStrategy = UA_HISTORIZINGUPDATESTRATEGY_VALUESET;
    backends_.push_back(setting.historizingBackend);
    UA_StatusCode s = gathering->registerNodeId(server_, gathering->context, &id, setting);
    if (s != UA_STATUSCODE_GOOD) return s;
    s = UA_Server_writeAccessLevel(server_, id,
                                   UA_ACCESSLEVELMASK_READ | UA_ACCESSLEVELMASK_HISTORYREAD);
    if (s == UA_STATUSCODE_GOOD) s = UA_Server_writeHistorizing(server_, id, true);
    return s;
}

UA_StatusCode HistoryPoints::Prefill(const UA_NodeId& id, std::size_t samples) {
    UA_HistoryDataGathering* gathering = Gathering(server_);
    const UA_HistorizingNodeIdSettings* setting =
        gathering->getHistorizingSetting(server_, gathering->context, &id);
    if (setting == nullptr) return UA_STATUSCODE_BADINTERNALERROR;
    const UA_HistoryDataBackend& backend = setting->historizingBackend;
    const UA_DateTime last = UA_DateTime_now() - UA_DATETIME_SEC;
    for (std::size_t i = 0; i < samples; ++i) {
        UA_Double value = ArchiveValue(i);
        UA_DataValue dv;
        UA_DataValue_init(&dv);
        UA_Variant_setScalar(&dv.value, &value, &UA_TYPES[UA_TYPES_DOUBLE]);
        dv.hasValue = true;
        dv.sourceTimestamp = last - static_cast<UA_DateTime>(samples - 1 - i) * UA_DATETIME_SEC;
        dv.hasSourceTimestamp = true;
        dv.serverTimestamp = dv.sourceTimestamp;
        dv.hasServerTimestamp = true;
        const UA_StatusCode s = backend.serverSetHistoryData(server_, backend.context, nullptr,
                                                             nullptr, &id, true, &dv);
        if (s != UA_STATUSCODE_GOOD) return s;
    }
    return UA_STATUSCODE_GOOD;
}

void HistoryPoints::Step(UA_Server* server, void* data) {
    auto* self = static_cast<HistoryPoints*>(data);
    ++self->tick_;
    UA_Double value = 10.0 * std::sin(self->tick_ / 5.0);
    // With its source time, as a device would send it: the history is kept by that time.
    UA_DataValue dv;
    UA_DataValue_init(&dv);
    UA_Variant_setScalar(&dv.value, &value, &UA_TYPES[UA_TYPES_DOUBLE]);
    dv.hasValue = true;
    dv.sourceTimestamp = UA_DateTime_now();
    dv.hasSourceTimestamp = true;
    UA_Server_writeDataValue(server, Str(self->ns_, demo::kRecordedPoint), dv);
}
