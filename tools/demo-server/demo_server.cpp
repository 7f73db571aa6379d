#include "tools/demo-server/demo_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <open62541/client_config_default.h>
#include <open62541/client_subscriptions.h>
#include <open62541/plugin/accesscontrol_default.h>
#include <open62541/server_config_default.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engine/ua_types.h"
#include "tools/demo-server/address_space_builder.h"
#include "tools/demo-server/demo_nodes.h"
#include "tools/demo-server/server_security.h"
#include "tools/demo-server/simulation.h"
#include "tools/demo-server/stderr_log.h"

DemoServer::DemoServer(DemoServerOptions options) : options_(std::move(options)) {}

DemoServer::~DemoServer() {
    Stop();
    UA_ByteString_clear(&registerCertificate_);
    UA_ByteString_clear(&registerKey_);
}

std::string DemoServer::Url() const {
    return "opc.tcp://" + options_.host + ":" + std::to_string(options_.port);
}

bool DemoServer::Start(std::string* error) {
    auto fail = [&](const std::string& what, UA_StatusCode s) {
        if (error) *error = what + ": " + UA_StatusCode_name(s);
        ClearPoints();
        simulation_.reset();
        history_.reset();
        if (server_) {
            UA_Server_delete(server_);
            server_ = nullptr;
        }
        return false;
    };
    if (Running()) return true;
    if (options_.port == 0) options_.port = FreeLoopbackPort();

    // The config is made before the server so that even the server's first words go to the
    // log on standard error.
    static UA_Logger log = StandardErrorLog(UA_LOGLEVEL_INFO);
    UA_ServerConfig config;
    std::memset(&config, 0, sizeof config);
    config.logging = &log;
    UA_StatusCode s = options_.secure ? ConfigureSecureServer(&config, options_.port, options_)
                                      : UA_ServerConfig_setMinimal(&config, options_.port, nullptr);
    if (s == UA_STATUSCODE_GOOD) s = ConfigureUsers(&config, options_.users);
    if (s == UA_STATUSCODE_GOOD) HistoryPoints::Configure(&config, options_.history);
    if (s != UA_STATUSCODE_GOOD) {
        UA_ServerConfig_clean(&config);
        return fail("server configuration failed", s);
    }

    // Listen on the chosen host only; the default would be every interface.
    UA_Array_delete(config.serverUrls, config.serverUrlsSize, &UA_TYPES[UA_TYPES_STRING]);
    config.serverUrls = UA_String_new();
    config.serverUrlsSize = 1;
    *config.serverUrls = UA_STRING_ALLOC(Url().c_str());

    if (!options_.registerAt.empty()) {
        UA_ByteString_clear(&registerCertificate_);
        UA_ByteString_clear(&registerKey_);
        s = ServerCertificatePair(config.logging, options_, &registerCertificate_, &registerKey_);
        if (s != UA_STATUSCODE_GOOD) {
            UA_ServerConfig_clean(&config);
            return fail("certificate for registering not made", s);
        }
    }
    UA_String_clear(&config.applicationDescription.applicationUri);
    config.applicationDescription.applicationUri = UA_STRING_ALLOC(options_.applicationUri.c_str());
    if (options_.lds) {
        // RegisterServer is answered only by a server that calls itself a discovery server.
        config.applicationDescription.applicationType = UA_APPLICATIONTYPE_DISCOVERYSERVER;
    }

    server_ = UA_Server_newWithConfig(&config);  // takes the config over
    if (!server_) return fail("server configuration failed", UA_STATUSCODE_BADOUTOFMEMORY);
    // Limits only once the server has its config: it refuses to be made with some of them.
    UA_ServerConfig* made = UA_Server_getConfig(server_);
    made->maxReferencesPerNode = options_.maxRefs;
    made->maxNodesPerRead = options_.maxNodesPerRead;
    made->maxNodesPerBrowse = options_.maxNodesPerBrowse;
    defaultAccessLevel_ = made->accessControl.getUserAccessLevel;
    made->accessControl.getUserAccessLevel = &DemoServer::CountingAccessLevel;
    made->maxMonitoredItemsPerCall = options_.maxMonitoredItemsPerCall;
    made->monitoredItemRegisterCallback = &DemoServer::CountMonitoredItem;
    monitoredItems_ = 0;
    if (options_.noSubscriptions) made->maxSubscriptions = 1;

    s = Build();
    if (s != UA_STATUSCODE_GOOD) return fail("address space could not be built", s);
    s = UA_Server_run_startup(server_);
    if (s != UA_STATUSCODE_GOOD) return fail("cannot listen on " + Url(), s);
    s = AdvertiseContinuationPoints();
    if (s != UA_STATUSCODE_GOOD) {
        UA_Server_run_shutdown(server_);
        return fail("continuation point limit not set", s);
    }

    running_ = true;
    thread_ = std::thread([this] { RunLoop(); });
    if (options_.noSubscriptions) {
        s = HoldTheOnlySubscription();
        if (s != UA_STATUSCODE_GOOD) {
            Stop();
            if (error) *error = std::string("subscription not held: ") + UA_StatusCode_name(s);
            return false;
        }
    }
    return true;
}

void DemoServer::RunLoop() {
    using Clock = std::chrono::steady_clock;
    auto nextRegister = Clock::now();
    while (running_) {
        if (!options_.registerAt.empty() && Clock::now() >= nextRegister) {
            Register();
            nextRegister = Clock::now() + options_.registerInterval;
        }
        UA_Server_run_iterate(server_, true);
    }
    // No deregistration on the way out: the library's unregister call retries without end when
    // the discovery server has already forgotten us. Its cleanup timeout drops us instead.
}

void DemoServer::Register() {
    // The server takes the client configuration over (and clears it).
    UA_ClientConfig cc;
    std::memset(&cc, 0, sizeof cc);
    if (ConfigureRegisterClient(&cc, registerCertificate_, registerKey_, options_.applicationUri) !=
        UA_STATUSCODE_GOOD) {
        UA_ClientConfig_clear(&cc);
        return;
    }
    UA_Server_registerDiscovery(
        server_, &cc, UA_STRING(const_cast<char*>(options_.registerAt.c_str())), UA_STRING_NULL);
}

void DemoServer::Stop() {
    if (!thread_.joinable()) return;
    subscriptionHolder_.reset();  // while the server still answers its goodbye
    running_ = false;
    thread_.join();
    UA_Server_run_shutdown(server_);
    simulation_.reset();
    history_.reset();
    UA_Server_delete(server_);
    server_ = nullptr;
    ClearPoints();
}

void DemoServer::ClearPoints() {
    for (DemoPoint& p : points_) UA_NodeId_clear(&p.nodeId);
    points_.clear();
}

UA_StatusCode DemoServer::Build() {
    ClearPoints();
    plantNs_ = UA_Server_addNamespace(server_, demo::kPlantNamespaceUri);
    secondNs_ = UA_Server_addNamespace(server_, demo::kSecondNamespaceUri);
    if (options_.emptyObjects) return UA_STATUSCODE_GOOD;
    points_.reserve(64 + options_.points);
    AddressSpaceBuilder builder(server_, this, &points_);
    BuildPlant(builder, plantNs_, secondNs_);
    BuildGeneratedPoints(builder, plantNs_,
                         {options_.points, options_.pointsPerFolder, options_.depth});
    if (!builder.ok()) return builder.status();
    history_ = std::make_unique<HistoryPoints>(
        server_, builder, UA_NODEID_STRING(plantNs_, const_cast<char*>("Plant")), plantNs_,
        options_.history);
    if (history_->Status() != UA_STATUSCODE_GOOD) return history_->Status();
    simulation_ = std::make_unique<PlantSimulation>(
        server_, plantNs_, std::min(options_.changingPoints, options_.points));
    return UA_STATUSCODE_GOOD;
}

UA_StatusCode DemoServer::AdvertiseContinuationPoints() {
    if (!options_.maxContinuationPoints) return UA_STATUSCODE_GOOD;
    UA_UInt16 limit = *options_.maxContinuationPoints;
    UA_Variant v;
    UA_Variant_setScalar(&v, &limit, &UA_TYPES[UA_TYPES_UINT16]);
    return UA_Server_writeValue(
        server_,
        UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_SERVERCAPABILITIES_MAXBROWSECONTINUATIONPOINTS), v);
}

UA_Byte DemoServer::CountingAccessLevel(UA_Server* server, UA_AccessControl* ac,
                                        const UA_NodeId* sessionId, void* sessionContext,
                                        const UA_NodeId* nodeId, void* nodeContext) {
    // Only demo variables carry the server as their context; the Read service asks for the
    // user access level once per Value read.
    auto* self = static_cast<DemoServer*>(nodeContext);
    if (self) {
        self->valueReads_.fetch_add(1, std::memory_order_relaxed);
        return self->defaultAccessLevel_(server, ac, sessionId, sessionContext, nodeId,
                                         nodeContext);
    }
    return 0xFF;
}

void DemoServer::ClientDeleter::operator()(UA_Client* client) const {
    UA_Client_disconnect(client);
    UA_Client_delete(client);
}

UA_StatusCode DemoServer::HoldTheOnlySubscription() {
    subscriptionHolder_.reset(UA_Client_new());
    if (!subscriptionHolder_) return UA_STATUSCODE_BADOUTOFMEMORY;
    UA_ClientConfig* cc = UA_Client_getConfig(subscriptionHolder_.get());
    // Standard output carries only the READY line; the client's own logger stays its owner's.
    if (cc->logging != nullptr) RedirectToStandardError(*cc->logging, UA_LOGLEVEL_WARNING);
    // Never iterated again: the session and its subscription live as long as they may.
    cc->requestedSessionTimeout = 3600000;
    UA_StatusCode s = UA_Client_connect(subscriptionHolder_.get(), Url().c_str());
    if (s != UA_STATUSCODE_GOOD) return s;
    UA_CreateSubscriptionRequest request = UA_CreateSubscriptionRequest_default();
    request.requestedPublishingInterval = 60000;
    request.requestedLifetimeCount = 100000;
    request.requestedMaxKeepAliveCount = 1000;
    using Response = UaOwned<UA_CreateSubscriptionResponse, UA_TYPES_CREATESUBSCRIPTIONRESPONSE>;
    const auto response = Response::Adopt(UA_Client_Subscriptions_create(
        subscriptionHolder_.get(), request, nullptr, nullptr, nullptr));
    return response->responseHeader.serviceResult;
}

void DemoServer::CountMonitoredItem(UA_Server*, const UA_NodeId*, void*, const UA_NodeId*,
                                    void* nodeContext, UA_UInt32, UA_Boolean removed) {
    auto* self = static_cast<DemoServer*>(nodeContext);
    if (self) self->monitoredItems_.fetch_add(removed ? -1 : 1, std::memory_order_relaxed);
}

std::uint16_t FreeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    ::close(fd);
    return port;
}
