#pragma once

#include <QObject>
#include <atomic>
#include <thread>

#include "discovery/discovery_run.h"

// Runs one discovery off the window's thread and hands what it finds back on it, as signals.
// One run at a time; going away cancels and waits for the run.
class DiscoveryWorker : public QObject {
    Q_OBJECT
public:
    explicit DiscoveryWorker(QObject* parent = nullptr);
    ~DiscoveryWorker() override;

    bool Running() const { return thread_.joinable() && !finished_; }
    // False while a run is under way.
    bool Start(DiscoveryRequest request, std::vector<TrustedCertificate> trusted);
    void Cancel() { cancel_ = true; }

signals:
    void Progress(qulonglong probesDone, qulonglong probesTotal, qulonglong servers);
    void ServerFound(int serial);
    void OtherPortFound(int serial);
    void Finished();

public:
    // What the signals above refer to, read on the window's thread only.
    DiscoveredServer TakeServer(int serial);
    OtherPort TakeOther(int serial);
    DiscoveryResult TakeResult() { return std::move(result_); }

private:
    void Join();

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool finished_ = true;
    DiscoveryResult result_;
    std::vector<DiscoveredServer> servers_;
    std::vector<OtherPort> others_;
};
