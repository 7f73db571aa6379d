#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One point as a scan remembers it: what identifies it and what a later scan is compared on.
// Values are not kept.
struct StoredPoint {
    std::string nodeId;  // "ns=2;i=17"
    std::string path;    // the object holding it, "Plant/Line1"
    std::string displayName;
    std::string dataType;  // "Int32"; empty when no value was read
    int valueRank = -1;    // -1 scalar, 0 array (one or more dimensions)
    int userAccess = -1;   // UserAccessLevel bits; -1 when the walk could not read it
};

// The server as the scan met it; the endpoint URL names it in the store.
struct ServerIdentity {
    std::string endpointUrl;
    std::string applicationUri;
    std::string applicationName;
    std::string certificateSubject;
    std::string certificateFingerprint;  // "AA:BB:..." when the session was secured
};

// How the scan went; a password is never part of it.
struct ScanFacts {
    std::int64_t startedMs = 0;  // milliseconds since 1970 (UTC)
    std::int64_t endedMs = 0;
    bool complete = true;  // false: cut short, the points are those found until then
    int signIn = 1;        // 1 anonymous, 2 user name and password, 3 certificate
    std::string userName;
};

// A stored scan as listed.
struct ScanSummary {
    long long id = 0;
    std::string endpointUrl;
    ScanFacts facts;
    long long points = 0;
};

// One thing a discovery found about a server's security, as the history keeps it.
struct StoredFinding {
    int severity = 1;    // 1 low, 2 medium, 3 high
    std::string kind;    // the discovery report's word, "anonymousOffered"
    std::string detail;  // what it concerns, "Basic256"
};

// What the last discovery that judged a server found.
struct ServerFindings {
    std::int64_t judgedMs = 0;
    std::vector<StoredFinding> findings;  // empty: judged, nothing found
};
