#include "ui/discovery/discovery_worker.h"

#include <QMetaObject>

DiscoveryWorker::DiscoveryWorker(QObject* parent) : QObject(parent) {}

DiscoveryWorker::~DiscoveryWorker() {
    cancel_ = true;
    Join();
}

void DiscoveryWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

bool DiscoveryWorker::Start(DiscoveryRequest request, std::vector<TrustedCertificate> trusted) {
    if (Running()) return false;
    Join();
    cancel_ = false;
    finished_ = false;
    servers_.clear();
    others_.clear();
    thread_ = std::thread([this, request = std::move(request), trusted = std::move(trusted)] {
        DiscoveryEvents events;
        // Each event is a copy posted to the window's thread; the run never waits for it.
        events.progress = [this](const DiscoveryProgress& p) {
            QMetaObject::invokeMethod(
                this, [this, p] { emit Progress(p.probesDone, p.probesTotal, p.servers); },
                Qt::QueuedConnection);
        };
        events.serverFound = [this](const DiscoveredServer& s) {
            QMetaObject::invokeMethod(
                this,
                [this, s] {
                    servers_.push_back(s);
                    emit ServerFound(static_cast<int>(servers_.size() - 1));
                },
                Qt::QueuedConnection);
        };
        events.otherPort = [this](const OtherPort& o) {
            QMetaObject::invokeMethod(
                this,
                [this, o] {
                    others_.push_back(o);
                    emit OtherPortFound(static_cast<int>(others_.size() - 1));
                },
                Qt::QueuedConnection);
        };
        DiscoveryResult result = RunDiscovery(request, trusted, cancel_, events);
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)]() mutable {
                result_ = std::move(result);
                finished_ = true;
                Join();
                emit Finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

DiscoveredServer DiscoveryWorker::TakeServer(int serial) {
    return serial >= 0 && static_cast<std::size_t>(serial) < servers_.size()
               ? servers_[static_cast<std::size_t>(serial)]
               : DiscoveredServer{};
}

OtherPort DiscoveryWorker::TakeOther(int serial) {
    return serial >= 0 && static_cast<std::size_t>(serial) < others_.size()
               ? others_[static_cast<std::size_t>(serial)]
               : OtherPort{};
}
