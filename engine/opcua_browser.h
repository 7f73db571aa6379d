#pragma once

#include <open62541/types.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/connection_settings.h"
#include "engine/mth_list.h"
#include "engine/opcua_item_data.h"
#include "engine/server_trust.h"
#include "engine/session_config.h"
#include "engine/ua_types.h"

using PointList = mth_list<OPCUAItemData*>;

// How long closing a session waits for the server's answer at most.
inline constexpr std::uint32_t kCloseSessionWaitMs = 500;
struct BrowseStats;
struct Endpoints;

// Holds at most one OPC UA session. Not thread-safe: one thread uses it at a time.
class OPCUABrowser {
public:
    explicit OPCUABrowser(PointList* list);
    virtual ~OPCUABrowser();

    OPCUABrowser(const OPCUABrowser&) = delete;
    OPCUABrowser& operator=(const OPCUABrowser&) = delete;

    // Each returns 0 when a session is open, 1 otherwise; an open session is closed first.
    int ConnectAnonymous(std::string url, int timeoutSeconds);
    int ConnectUserPassword(std::string url, std::string userName, std::string password,
                            int timeoutSeconds, std::string securityPolicy,
                            std::string securityMode);
    int ConnectCertificate(std::string url, std::string certificatePath, std::string privateKeyPath,
                           int timeoutSeconds, std::string securityPolicy,
                           std::string securityMode);
    // By `settings.authKind`. Missing credentials are found before any connection is tried; a
    // failed attempt leaves no session. Setting `*cancel` from another thread ends an attempt
    // within a few tens of milliseconds as Cancelled.
    ConnectOutcome Connect(const ConnectionSettings& settings,
                           const std::atomic<bool>* cancel = nullptr);
    // The status the last connect attempt ended with.
    UA_StatusCode LastConnectStatus() const { return lastConnectStatus; }
    // What the last failed attempt found out about its cause.
    const ConnectDetail& LastConnectDetail() const { return lastDetail; }
    // Closes the session; waits at most kCloseSessionWaitMs for the server to confirm.
    void Disconnect();
    // Drops the connection without closing the session, for a server that stopped answering.
    void Abandon();
    bool HasSession() const { return client != nullptr; }

    // Lets the client do its own housekeeping (renewing the secure channel) without waiting;
    // called between refresh passes so that a quiet session does not lapse.
    void KeepAlive();
    // Channel lifetime and session timeout of later connects.
    void SetSessionTiming(const SessionTiming& value) { timing = value; }
    // Whether a user-name connect may send the password unencrypted when the server offers no
    // other way; without it such a connect sends nothing and Connect reports
    // PlainPasswordRefused. Holds for later connects until changed.
    void SetAllowPlainPassword(bool allow) { allowPlainPassword = allow; }
    // True when the last user-name connect failed only because the password would have gone
    // unencrypted.
    bool PlainPasswordRefused() const { return plainPasswordRefused; }

    // Walks the address space from Objects and hands every point, then the end marker, to the
    // point list. Returns early, appending nothing more, when the thread is interrupted.
    void BrowseAll();
    // The same, leaving its request counts and phase timings in `stats` when that is not null.
    void BrowseAll(BrowseStats* stats);

    // 0 read, -1 the read failed as a whole, -2 nothing to read. Setting `*cancel` from another
    // thread abandons a read on its way within a few tens of milliseconds (-1, records "BAD");
    // the session then still holds the abandoned request and is best closed.
    int ReadValues(const std::vector<OPCUAItemData*>& records,
                   const std::atomic<bool>* cancel = nullptr);

    // 0 written and read back into `result`; -1 otherwise with `result` unchanged. A point
    // that holds an array, or a value of a type without a text form, is not written: one typed
    // text would replace the whole array, or a value the user never saw.
    int WriteValue(const UA_NodeId& nodeId, std::string text, int typeIndex, std::string& result);
    // Why the last WriteValue failed: the server's status, BadTypeMismatch for a value refused
    // before sending, BadNotConnected without a session; Good after a success.
    UA_StatusCode LastWriteStatus() const { return lastWriteStatus; }

    // An empty byte string on any failure.
    static UaByteString LoadFile(const std::string& path);

    // True when the last connect left policy and mode open, signed in, and succeeded over the
    // only kind of endpoint the server offered, one without security: the caller says so.
    bool LastChannelUnsecured() const { return channelUnsecured; }

    // How the last connect judged the server's certificate; none when it used none (anonymous
    // over None, a password sent unencrypted) or never got as far as reading it.
    const std::optional<ServerTrust>& LastServerTrust() const { return serverTrust; }

    UA_Client* Client() const { return client.get(); }

protected:
    PointList* list;
    UaClientPtr client;
    // The server's MaxNodesPerRead (0: no limit), asked once per session by ReadValues or the
    // walk, together with the two below; known when this holds a value.
    std::optional<std::uint32_t> maxNodesPerRead;
    std::uint32_t maxNodesPerBrowse = 0;            // 0: no limit
    std::uint16_t maxBrowseContinuationPoints = 0;  // 0: no limit

    // Reads the three limits unless this session knows them; the Read's service result, with
    // the response's time in `timestamp`. `stop` abandons the wait.
    UA_StatusCode LoadServerLimits(UA_DateTime& timestamp, const std::function<bool()>& stop = {});
    // Set by Connect from the settings; every connect asks the server for these.
    std::vector<std::string> sessionLocales;

private:
    // Connects the prepared client to `url` within its configured timeout, watching `cancel`.
    UA_StatusCode AwaitConnect(const std::string& url);
    UA_StatusCode WaitForSession(const std::string& url);
    // AwaitConnect for an endpoint chosen from `listed`: the channel first, then the server's
    // endpoints asked again inside it; the session only when they agree with `listed`.
    UA_StatusCode AwaitCheckedConnect(const std::string& url, const Endpoints& listed);
    int FinishConnect(UA_StatusCode status);
    // The start and the end of configuring a connect that picks its endpoint itself; nothing
    // or false when the connect has already ended, with `result` set.
    UA_ClientConfig* BeginChosenConnect(const std::string& url, int timeoutSeconds,
                                        Endpoints& endpoints, int& result);
    bool CompleteConfiguration(UA_ClientConfig& config, const std::string& policy,
                               int timeoutSeconds, int& result);
    // Both steps with this installation's own certificate and key in between.
    UA_ClientConfig* BeginOwnIdentityConnect(const std::string& url, int timeoutSeconds,
                                             const std::string& policy, const std::string& mode,
                                             Endpoints& endpoints, int& result);
    // Whether the caller has given up on this attempt (notes it in `cancelled`).
    bool CancelledNow();
    // Judges the certificate of `endpoint` for `url`; when it is trusted pins it into the
    // configuration and returns true. Otherwise the verdict waits in serverTrust.
    bool DecideServerCertificate(const std::string& url, const UA_EndpointDescription& endpoint,
                                 UA_ClientConfig& config);
    // Anonymous over the chosen secure channel: this installation's certificate, the server's
    // checked as for any secure channel.
    int ConnectAnonymousSecure(const std::string& url, int timeoutSeconds,
                               const std::string& securityPolicy, const std::string& securityMode);
    // Loads (or first makes) this installation's certificate and key into a secure config.
    bool ConfigureOwnIdentity(UA_ClientConfig& config, const std::string& policy,
                              const std::string& mode);

    SessionTiming timing;
    bool allowPlainPassword = false;
    bool plainPasswordRefused = false;
    ConnectOutcome FailedOutcome(const ConnectionSettings& settings);
    ConnectDetail lastDetail;

    const std::atomic<bool>* cancel = nullptr;
    UA_StatusCode lastConnectStatus = UA_STATUSCODE_GOOD;
    UA_StatusCode lastWriteStatus = UA_STATUSCODE_GOOD;
    bool cancelled = false;
    bool sessionCreated = false;  // the last attempt got as far as a session on the server
    bool policyUsable = true;     // the chosen policy could be built with the certificate and key
    std::vector<std::string> acceptedCertificates;  // fingerprints accepted for this run
    std::optional<ServerTrust> serverTrust;
    bool serverUndecided = false;  // the last attempt stopped at an untrusted certificate
    bool identityMissing = false;  // this installation's own certificate could not be had
    std::optional<UnsafePath> pkiRefusal;
    std::filesystem::path pkiRoot;  // the last Connect's settings'; empty: the user's
    bool channelUnsecured = false;
    bool endpointsChanged = false;     // the endpoints asked inside the channel were others
    bool anonymousNotOffered = false;  // no endpoint with the chosen security takes anonymous  //
                                       // why the trust store or identity was not used
};
