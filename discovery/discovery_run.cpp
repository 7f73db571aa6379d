#include "discovery/discovery_run.h"

#include <condition_variable>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "discovery/security_findings.h"
#include "discovery/server_merge.h"
#include "discovery/sources/endpoint_probe.h"
#include "discovery/sources/lds_query.h"
#include "discovery/sources/mdns_browse.h"
#include "discovery/sweep/port_sweep.h"

namespace {

enum class JobKind { Endpoints, Lds, Mdns };

struct Job {
    JobKind kind;
    std::string url;
    unsigned source = 0;
};

struct UrlEntry {
    unsigned sources = 0;
    std::optional<std::size_t> server;
};

class Run {
public:
    Run(const DiscoveryRequest& request, const std::atomic<bool>& cancel,
        const DiscoveryEvents& events)
        : request_(request), cancel_(cancel), events_(events) {}

    DiscoveryResult Go() {
        progress_.probesTotal = request_.hosts.size() * request_.ports.size();
        for (const std::string& url : request_.urls) Push({JobKind::Endpoints, url, kSourceGiven});
        for (const std::string& url : request_.ldsUrls) Push({JobKind::Lds, url, kSourceLds});
        if (request_.mdns) Push({JobKind::Mdns, {}, kSourceMdns});
        std::vector<std::thread> workers;
        for (std::size_t i = 0; i < std::max<std::size_t>(request_.endpointWorkers, 1); ++i)
            workers.emplace_back([this] { Work(); });
        Sweep();
        {
            std::lock_guard lock(mutex_);
            sweeping_ = false;
        }
        wake_.notify_all();
        for (std::thread& t : workers) t.join();
        for (auto& [url, entry] : urls_) {
            if (entry.server) result_.servers[*entry.server].sources |= entry.sources;
        }
        result_.cancelled = cancel_.load();
        return std::move(result_);
    }

private:
    void Sweep() {
        if (progress_.probesTotal == 0) return;
        SweepOptions options;
        options.timeout = request_.probeTimeout;
        options.maxInFlight = request_.maxInFlight;
        const SweepStats stats = SweepPorts(
            request_.hosts, request_.ports, options, cancel_,
            [this](const SweepTarget& target, PortState state) {
                const std::string& address = request_.hosts[target.host].address;
                if (state == PortState::OpcUa) {
                    Push({JobKind::Endpoints, OpcTcpUrl(address, target.port), kSourceSweep});
                } else if (state == PortState::NotOpcUa || state == PortState::Silent) {
                    const OtherPort other{address, target.port, state};
                    std::lock_guard lock(mutex_);
                    result_.otherPorts.push_back(other);
                    if (events_.otherPort) events_.otherPort(other);
                }
                std::lock_guard lock(mutex_);
                ++progress_.probesDone;
                // Every probe would be too often for a terminal line; every 64th and the last.
                if (events_.progress && (progress_.probesDone % 64 == 0 ||
                                         progress_.probesDone == progress_.probesTotal))
                    events_.progress(progress_);
            });
        std::lock_guard lock(mutex_);
        result_.probes = stats.probes;
        result_.peakInFlight = stats.peakInFlight;
    }

    void Push(Job job) {
        {
            std::lock_guard lock(mutex_);
            if (job.kind == JobKind::Endpoints) {
                job.url = NormalUrl(job.url);
                auto [at, fresh] = urls_.try_emplace(job.url);
                at->second.sources |= job.source;
                if (!fresh) return;
            }
            jobs_.push_back(std::move(job));
        }
        wake_.notify_one();
    }

    void Work() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] {
                    return cancel_.load() || !jobs_.empty() || (!sweeping_ && busy_ == 0);
                });
                if (cancel_.load() || jobs_.empty()) {
                    wake_.notify_all();
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
                ++busy_;
            }
            Do(job);
            {
                std::lock_guard lock(mutex_);
                --busy_;
            }
            wake_.notify_all();
        }
    }

    void Do(const Job& job) {
        switch (job.kind) {
            case JobKind::Endpoints:
                return AskEndpoints(job);
            case JobKind::Lds: {
                const LdsAnswer answer = AskDiscoveryServer(job.url, request_.probeTimeout);
                if (answer.failure)
                    Note({TextKey::LdsUnreachable, job.url + " (" + *answer.failure + ")"});
                for (const std::string& url : answer.urls)
                    Push({JobKind::Endpoints, url, kSourceLds});
                return;
            }
            case JobKind::Mdns: {
                const MdnsAnswer answer = BrowseMdns(request_.mdnsWait, cancel_);
                if (answer.unavailable) Note({TextKey::MdnsUnavailable, {}});
                for (const std::string& url : answer.urls)
                    Push({JobKind::Endpoints, url, kSourceMdns});
                return;
            }
        }
    }

    void AskEndpoints(const Job& job) {
        std::optional<DiscoveredServer> found = ProbeEndpoints(job.url, request_.probeTimeout);
        if (!found) return;
        std::lock_guard lock(mutex_);
        UrlEntry& entry = urls_[job.url];
        found->sources = entry.sources;
        const std::size_t before = result_.servers.size();
        const std::size_t index = MergeServer(result_.servers, std::move(*found));
        entry.server = index;
        if (result_.servers.size() > before) ++progress_.servers;
        if (events_.serverFound) events_.serverFound(result_.servers[index]);
        if (events_.progress) events_.progress(progress_);
    }

    void Note(DiscoveryNote note) {
        std::lock_guard lock(mutex_);
        result_.notes.push_back(std::move(note));
    }

    const DiscoveryRequest& request_;
    const std::atomic<bool>& cancel_;
    const DiscoveryEvents& events_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::map<std::string, UrlEntry> urls_;
    std::size_t busy_ = 0;
    bool sweeping_ = true;
    DiscoveryProgress progress_;
    DiscoveryResult result_;
};

}  // namespace

DiscoveryResult RunDiscovery(const DiscoveryRequest& request,
                             const std::vector<TrustedCertificate>& trusted,
                             const std::atomic<bool>& cancel, const DiscoveryEvents& events) {
    Run run(request, cancel, events);
    DiscoveryResult result = run.Go();
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    for (DiscoveredServer& server : result.servers) {
        server.findings = JudgeServer(server, now);
        if (server.certificate) {
            const std::string& url =
                server.advertisedUrl.empty() ? server.foundAt : server.advertisedUrl;
            server.trust =
                JudgeServerCertificate(*server.certificate, url, trusted, {}, now).verdict;
        }
    }
    MarkSharedCertificates(result.servers);
    return result;
}
