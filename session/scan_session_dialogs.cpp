// The dialogs' jobs on the session's thread: the write value dialog's write, the options
// dialog's endpoint listing and its certificate line. None of them shares the session's client.
#include <QPointer>
#include <algorithm>

#include "engine/certificate_facts.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"
#include "session/scan_session.h"
#include "session/session_worker.h"

ScanSession::JobCancel ScanSession::NewDialogJob() {
    // Flags of jobs already done are forgotten as new ones come.
    dialogJobs.erase(std::remove_if(dialogJobs.begin(), dialogJobs.end(),
                                    [](const auto& job) { return job.expired(); }),
                     dialogJobs.end());
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    dialogJobs.push_back(cancel);
    return cancel;
}

void ScanSession::CancelDialogJobs() {
    for (const auto& job : dialogJobs)
        if (const JobCancel cancel = job.lock()) *cancel = true;
    dialogJobs.clear();
}

template <class Result>
std::function<void(const Result&)> ScanSession::ForDialog(QObject* receiver,
                                                          const JobCancel& cancel,
                                                          std::function<void(const Result&)> done) {
    return [target = QPointer<QObject>(receiver), cancel, done = std::move(done)](const Result& r) {
        if (target.isNull() || *cancel) return;
        done(r);
    };
}

ScanSession::JobCancel ScanSession::Write(QObject* receiver, const ConnectionSettings& settings,
                                          const UA_NodeId& nodeId, const std::string& text,
                                          std::uint16_t typeIndex,
                                          std::function<void(const WriteOutcome&)> done) {
    JobCancel cancel = NewDialogJob();
    // The job owns its copy: the dialog may go while the job waits its turn.
    auto id = std::make_shared<UaNodeId>(UaNodeId::CopyOf(nodeId));
    worker->Post(
        [settings, id, text, typeIndex, cancel] {
            WriteOutcome outcome;
            // A connection of the write's own: the session's belongs to its refresh.
            PointList unused;
            OPCUABrowser engine(&unused);
            outcome.connect = engine.Connect(settings, cancel.get());
            outcome.serverTrust = engine.LastServerTrust();
            if (outcome.connect == ConnectOutcome::Connected) {
                outcome.written = engine.WriteValue(**id, text, typeIndex, outcome.result);
                outcome.status = engine.LastWriteStatus();
            }
            engine.Disconnect();
            return outcome;
        },
        ForDialog(receiver, cancel, std::move(done)));
    return cancel;
}

ScanSession::JobCancel ScanSession::ListEndpoints(
    QObject* receiver, const std::string& url, int timeoutSeconds,
    std::function<void(const EndpointListing&)> done) {
    JobCancel cancel = NewDialogJob();
    worker->Post([url, timeoutSeconds,
                  cancel] { return ::ListEndpoints(url, timeoutSeconds, cancel.get()); },
                 ForDialog(receiver, cancel, std::move(done)));
    return cancel;
}

ScanSession::JobCancel ScanSession::LoadIdentity(QObject* receiver, bool renew,
                                                 std::function<void(const IdentityShown&)> done) {
    JobCancel cancel = NewDialogJob();
    worker->Post(
        [renew] {
            IdentityShown shown;
            const auto identity = renew ? RenewIdentity(PkiRoot(), &shown.error)
                                        : LoadOrCreateIdentity(PkiRoot(), &shown.error);
            if (identity) shown.fingerprint = FingerprintText(Sha256Of(identity->certificate));
            return shown;
        },
        ForDialog(receiver, cancel, std::move(done)));
    return cancel;
}
