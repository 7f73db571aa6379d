#include "discovery/report/findings_history.h"

#include "discovery/endpoint_choice.h"

std::string HistoryUrlOf(const DiscoveredServer& server) {
    const EndpointOffer* endpoint = PreferredEndpoint(server);
    if (endpoint == nullptr) return NormalUrl(server.foundAt);
    return SettingsForEndpoint(server, *endpoint).url;
}

bool RecordFindings(InventoryStore& store, const std::vector<DiscoveredServer>& servers,
                    std::int64_t judgedMs) {
    bool all = true;
    for (const DiscoveredServer& server : servers) {
        const std::string url = HistoryUrlOf(server);
        if (url.empty()) continue;
        std::vector<StoredFinding> findings;
        findings.reserve(server.findings.size());
        for (const SecurityFinding& f : server.findings)
            findings.push_back({static_cast<int>(f.severity), FindingKindWord(f.kind), f.detail});
        if (!store.RecordFindings(url, judgedMs, findings)) all = false;
    }
    return all;
}
