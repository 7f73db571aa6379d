#pragma once

#include <filesystem>
#include <string>

#include "engine/certificate_facts.h"
#include "engine/client_identity.h"
#include "tools/demo-server/demo_server.h"

// Tests never touch the real user's certificates: every test process gets a home of its own.

// Points HOME and XDG_DATA_HOME at a new empty temporary directory and returns it. The first
// call happens before any demo server starts; later calls start afresh (another installation).
std::filesystem::path UseFreshHome();
// The same, once per process: later calls keep the home the first made.
std::filesystem::path UseTemporaryHome();

// The certificate a running secure demo server presents.
CertificateFacts ServerCertificate(const DemoServer& server);
// Puts it into this home's trust store, as a user choosing "Trust always" would.
void TrustDemoServer(const DemoServer& server);

// A client certificate and key of a test's own (not this installation's), generated once.
const ClientIdentity& TestClientPair();
