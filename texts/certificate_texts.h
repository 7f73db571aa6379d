#pragma once

#include <string>

#include "engine/server_trust.h"

// The facts of a server certificate as the user is shown them before deciding, one per line, in
// the current language: application URI, subject, issuer, validity, fingerprint, the
// fingerprint trusted before (when changed) and the warnings that apply.
std::string ServerCertificateDescription(const ServerTrust& trust, const std::string& url);
