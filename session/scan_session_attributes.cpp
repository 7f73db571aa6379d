// The attribute read an export asks for, run on the session's thread like every engine call.
#include "engine/attributes/point_attribute_read.h"
#include "engine/server_limits.h"
#include "session/scan_session.h"
#include "session/session_worker.h"

bool ScanSession::ReadAttributes(std::shared_ptr<const std::vector<OPCUAItemData*>> records,
                                 std::function<bool()> stop, AttributesDone done) {
    // The walk or the connect has the client; without settings there is no session to ask.
    if (closed || !sessionSettings || state == SessionState::Scanning || Connecting()) return false;
    worker->Post(
        [this, records = std::move(records), stop = std::move(stop)] {
            auto table = std::make_shared<PointAttributeTable>();
            if (!browser.HasSession()) {
                table->resize(records->size());
                return std::shared_ptr<const PointAttributeTable>(table);
            }
            ServerLimits limits;
            UA_DateTime time = 0;
            // Without the server's limits the read keeps to small requests of its own.
            if (ReadServerLimits(browser.Client(), limits, time, stop) != UA_STATUSCODE_GOOD)
                limits = {};
            ReadPointAttributes(browser.Client(), *records, limits, *table, nullptr, stop);
            table->resize(records->size());
            return std::shared_ptr<const PointAttributeTable>(table);
        },
        std::move(done));
    return true;
}
