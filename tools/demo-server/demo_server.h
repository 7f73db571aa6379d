#pragma once

#include <open62541/client.h>
#include <open62541/server.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/demo-server/history_points.h"

class PlantSimulation;

struct DemoServerOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 4840;           // 0: pick a free port
    std::size_t points = 0;              // generated variables
    std::size_t pointsPerFolder = 1000;  // generated variables per object holding them
    std::size_t depth = 2;               // levels of objects below Objects/Generated
    bool secure = false;  // Basic256Sha256, both Aes policies, Basic128Rsa15, Basic256
    std::vector<std::pair<std::string, std::string>> users;  // user name and password sign-in
    std::uint32_t maxRefs = 0;            // most references per Browse result; 0: no limit
    std::uint32_t maxNodesPerRead = 0;    // 0: no limit
    std::uint32_t maxNodesPerBrowse = 0;  // 0: no limit
    // The MaxBrowseContinuationPoints the server announces (0: no limit); unset: the stack's own.
    // The stack itself keeps at most five per session whatever is announced.
    std::optional<std::uint16_t> maxContinuationPoints;
    bool emptyObjects = false;  // no plant at all: Objects holds only the Server object
    // Discovery: act as a Local Discovery Server (RegisterServer, FindServers).
    bool lds = false;
    // Register with the discovery server at this URL at start and every registerInterval.
    std::string registerAt;
    std::chrono::milliseconds registerInterval{10 * 60 * 1000};
    // The secure server's certificate: key size, days of validity (0: expired a second after
    // start), and a folder whose server_cert.der / server_key.der are used (made there when
    // missing) so that several servers can show one certificate.
    std::uint16_t keyBits = 2048;
    std::uint32_t certificateDays = 365;
    std::string certificateDir;
    // A discovery server tells servers apart by this URI: each registering one needs its own.
    std::string applicationUri = "urn:open62541.server.application";
    // The points that historize, and whether the server keeps history at all.
    HistoryShape history;
    // Live values: the first `changingPoints` generated points change every second; the
    // server may refuse subscriptions and limit the monitored items of one call (0: none).
    std::size_t changingPoints = 0;
    bool noSubscriptions = false;
    std::uint32_t maxMonitoredItemsPerCall = 0;
};

// A variable the demo address space exposes to a walk from Objects (the ones below an object
// named exactly "Server" are not listed).
struct DemoPoint {
    UA_NodeId nodeId;  // owned by the DemoServer
    std::string displayName;
};

// The bundled OPC UA server: a simulated plant plus generated points, run on its own thread.
class DemoServer {
public:
    explicit DemoServer(DemoServerOptions options);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Builds the address space and starts listening; false with a message on failure.
    bool Start(std::string* error);
    // Stops listening and ends the server thread; Start may be called again afterwards.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    std::string Url() const;
    std::uint16_t Port() const { return options_.port; }
    const DemoServerOptions& Options() const { return options_; }
    UA_Server* Server() const { return server_; }

    const std::vector<DemoPoint>& Points() const { return points_; }
    // Value attribute reads of the demo namespaces' variables since start or the last reset.
    std::uint64_t ValueReads() const { return valueReads_.load(); }
    void ResetValueReads() { valueReads_ = 0; }
    // Monitored items on the demo namespaces' variables, over all sessions.
    std::int64_t MonitoredItems() const { return monitoredItems_.load(); }

    std::uint16_t PlantNamespace() const { return plantNs_; }
    std::uint16_t SecondNamespace() const { return secondNs_; }

private:
    UA_StatusCode Build();
    UA_StatusCode AdvertiseContinuationPoints();
    void ClearPoints();
    void RunLoop();
    void Register();
    static UA_Byte CountingAccessLevel(UA_Server* server, UA_AccessControl* ac,
                                       const UA_NodeId* sessionId, void* sessionContext,
                                       const UA_NodeId* nodeId, void* nodeContext);
    static void CountMonitoredItem(UA_Server* server, const UA_NodeId* sessionId,
                                   void* sessionContext, const UA_NodeId* nodeId, void* nodeContext,
                                   UA_UInt32 attributeId, UA_Boolean removed);

    DemoServerOptions options_;
    UA_Server* server_ = nullptr;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> valueReads_{0};
    std::atomic<std::int64_t> monitoredItems_{0};
    std::vector<DemoPoint> points_;
    std::uint16_t plantNs_ = 0;
    std::uint16_t secondNs_ = 0;
    UA_Byte (*defaultAccessLevel_)(UA_Server*, UA_AccessControl*, const UA_NodeId*, void*,
                                   const UA_NodeId*, void*) = nullptr;
    std::unique_ptr<PlantSimulation> simulation_;
    std::unique_ptr<HistoryPoints> history_;
    // With noSubscriptions: a session of our own holds the one subscription the server
    // allows, so that every client's CreateSubscription is refused. The stack has no switch
    // that turns the service off.
    UA_StatusCode HoldTheOnlySubscription();
    struct ClientDeleter {
        void operator()(UA_Client* client) const;
    };
    std::unique_ptr<UA_Client, ClientDeleter> subscriptionHolder_;
    // The pair the registering client shows the discovery server.
    UA_ByteString registerCertificate_ = UA_BYTESTRING_NULL;
    UA_ByteString registerKey_ = UA_BYTESTRING_NULL;
};

// Picks a port on 127.0.0.1 that nothing listens on right now.
std::uint16_t FreeLoopbackPort();
