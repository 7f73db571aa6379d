// The history a trend window asks for, run on the session's thread like every engine call.
#include "engine/history_read/historizing_read.h"
#include "engine/history_read/raw_history_read.h"
#include "session/scan_session.h"
#include "session/session_worker.h"

void ScanSession::ReadHistorizing(std::vector<UaNodeId> nodeIds, HistorizingDone done) {
    // The walk or the connect has the client; without settings there is no session to ask.
    if (closed || !sessionSettings || state == SessionState::Scanning || Connecting()) {
        done(std::vector<bool>(nodeIds.size(), false));
        return;
    }
    auto ids = std::make_shared<std::vector<UaNodeId>>(std::move(nodeIds));
    worker->Post(
        [this, ids] {
            if (!browser.HasSession()) return std::vector<bool>(ids->size(), false);
            std::vector<const UA_NodeId*> pointers;
            for (const UaNodeId& id : *ids) pointers.push_back(id.get());
            return ::ReadHistorizing(browser.Client(), pointers);
        },
        std::move(done));
}

void ScanSession::ReadHistory(const UA_NodeId& nodeId, const HistoryPeriod& period,
                              std::shared_ptr<const std::atomic<bool>> cancel, HistoryDone done) {
    if (closed || !sessionSettings || state == SessionState::Scanning || Connecting()) {
        HistoryResult busy;
        busy.status = UA_STATUSCODE_BADINVALIDSTATE;
        done(busy);
        return;
    }
    // The job owns its copy of the NodeId: the row may go while it waits its turn.
    auto id = std::make_shared<UaNodeId>(UaNodeId::CopyOf(nodeId));
    worker->Post(
        [this, id, period, cancel = std::move(cancel)] {
            if (!browser.HasSession()) {
                HistoryResult none;
                none.status = UA_STATUSCODE_BADSERVERNOTCONNECTED;
                return none;
            }
            return ReadRawHistory(browser.Client(), **id, period, 0,
                                  [&cancel] { return cancel && cancel->load(); });
        },
        std::move(done));
}
