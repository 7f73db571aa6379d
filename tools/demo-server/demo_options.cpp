#include "tools/demo-server/demo_options.h"

#include <charconv>
#include <limits>

namespace {

// Whole decimal numbers only: "12abc", "-1" and "" are refused.
bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long* out) {
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value > max) return false;
    *out = value;
    return true;
}

}  // namespace

const char* DemoUsage() {
    return "usage: quorvane-demo-server [--host H] [--port N] [--points N]\n"
           "                            [--points-per-folder K] [--depth D] [--secure]\n"
           "                            [--user NAME:PASS]... [--max-refs N]\n"
           "                            [--max-nodes-per-read N] [--max-nodes-per-browse N]\n"
           "                            [--max-continuation-points N]\n"
           "                            [--lds] [--register URL] [--register-interval MS]\n"
           "                            [--key-bits 1024|2048|4096] [--cert-days N]\n"
           "                            [--cert-dir DIR] [--application-uri URI]\n"
           "                            [--history-samples N] [--history-per-response N]\n"
           "                            [--no-history] [--changing-points N] [--no-subscriptions]\n"
           "                            [--max-monitored-items-per-call N]\n"
           "--lds: act as a Local Discovery Server; --register: register with one, periodically.\n"
           "--cert-days 0 gives a certificate that has expired a second after start; servers\n"
           "given one --cert-dir share its certificate.\n"
           "Plant/History/Archive holds --history-samples (1000) values a second apart; a\n"
           "HistoryRead answers at most --history-per-response (1000) of them at a time.\n"
           "--changing-points: the first N generated points change every second.\n"
           "The log goes to standard error; standard output carries only the READY line.\n";
}

ParsedOptions ParseDemoOptions(const std::vector<std::string>& args) {
    ParsedOptions r;
    DemoServerOptions& o = r.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                r.error = a + " needs a value";
                return false;
            }
            *out = args[++i];
            return true;
        };
        auto number = [&](unsigned long long min, unsigned long long max, unsigned long long* out) {
            std::string text;
            if (!value(&text)) return false;
            if (!ParseNumber(text, max, out) || *out < min) {
                r.error = a + " takes a whole number from " + std::to_string(min) + " to " +
                          std::to_string(max) + ", not '" + text + "'";
                return false;
            }
            return true;
        };
        unsigned long long n = 0;
        std::string text;
        if (a == "--help" || a == "-h") {
            r.help = true;
        } else if (a == "--host") {
            if (!value(&text)) return r;
            if (text.empty()) {
                r.error = "--host needs a host name or address";
                return r;
            }
            o.host = text;
        } else if (a == "--port") {
            if (!number(1, 65535, &n)) return r;
            o.port = static_cast<std::uint16_t>(n);
        } else if (a == "--points") {
            if (!number(0, 10'000'000, &n)) return r;
            o.points = static_cast<std::size_t>(n);
        } else if (a == "--points-per-folder") {
            if (!number(1, 10'000'000, &n)) return r;
            o.pointsPerFolder = static_cast<std::size_t>(n);
        } else if (a == "--depth") {
            if (!number(1, 8, &n)) return r;
            o.depth = static_cast<std::size_t>(n);
        } else if (a == "--secure") {
            o.secure = true;
        } else if (a == "--user") {
            if (!value(&text)) return r;
            const auto colon = text.find(':');
            if (colon == std::string::npos || colon == 0) {
                r.error = "--user takes NAME:PASS, not '" + text + "'";
                return r;
            }
            o.users.emplace_back(text.substr(0, colon), text.substr(colon + 1));
        } else if (a == "--max-refs") {
            if (!number(0, std::numeric_limits<std::uint32_t>::max(), &n)) return r;
            o.maxRefs = static_cast<std::uint32_t>(n);
        } else if (a == "--max-nodes-per-read") {
            if (!number(0, std::numeric_limits<std::uint32_t>::max(), &n)) return r;
            o.maxNodesPerRead = static_cast<std::uint32_t>(n);
        } else if (a == "--max-nodes-per-browse") {
            if (!number(0, std::numeric_limits<std::uint32_t>::max(), &n)) return r;
            o.maxNodesPerBrowse = static_cast<std::uint32_t>(n);
        } else if (a == "--max-continuation-points") {
            if (!number(0, std::numeric_limits<std::uint16_t>::max(), &n)) return r;
            o.maxContinuationPoints = static_cast<std::uint16_t>(n);
        } else if (a == "--lds") {
            o.lds = true;
        } else if (a == "--register") {
            if (!value(&o.registerAt)) return r;
        } else if (a == "--register-interval") {
            if (!number(100, 24ull * 3600 * 1000, &n)) return r;
            o.registerInterval = std::chrono::milliseconds(n);
        } else if (a == "--key-bits") {
            if (!number(1024, 4096, &n)) return r;
            if (n != 1024 && n != 2048 && n != 4096) {
                r.error = "--key-bits takes 1024, 2048 or 4096, not '" + std::to_string(n) + "'";
                return r;
            }
            o.keyBits = static_cast<std::uint16_t>(n);
        } else if (a == "--cert-days") {
            if (!number(0, 65535, &n)) return r;
            o.certificateDays = static_cast<std::uint32_t>(n);
        } else if (a == "--application-uri") {
            if (!value(&o.applicationUri)) return r;
        } else if (a == "--cert-dir") {
            if (!value(&o.certificateDir)) return r;
        } else if (a == "--history-samples") {
            if (!number(0, 10'000'000, &n)) return r;
            o.history.samples = static_cast<std::size_t>(n);
        } else if (a == "--history-per-response") {
            if (!number(1, 10'000'000, &n)) return r;
            o.history.perResponse = static_cast<std::size_t>(n);
        } else if (a == "--no-history") {
            o.history.enabled = false;
        } else if (a == "--changing-points") {
            if (!number(0, 10'000'000, &n)) return r;
            o.changingPoints = static_cast<std::size_t>(n);
        } else if (a == "--no-subscriptions") {
            o.noSubscriptions = true;
        } else if (a == "--max-monitored-items-per-call") {
            if (!number(0, std::numeric_limits<std::uint32_t>::max(), &n)) return r;
            o.maxMonitoredItemsPerCall = static_cast<std::uint32_t>(n);
        } else {
            r.error = "unknown option '" + a + "'";
            return r;
        }
    }
    return r;
}
