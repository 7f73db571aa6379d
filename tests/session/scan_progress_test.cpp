#include <gtest/gtest.h>

#include <QObject>
#include <algorithm>
#include <string>
#include <vector>

#include "engine/browse_stats.h"
#include "session/scan_session.h"
#include "tests/session/pump.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"

namespace {

// The number in a "%d points found" text, -1 when `text` is not one.
long long FoundIn(const std::string& text) {
    const std::string pattern = Text(TextKey::SearchProgress);
    const auto at = pattern.find("%d");
    const std::string before = pattern.substr(0, at);
    const std::string after = pattern.substr(at + 2);
    if (text.size() <= before.size() + after.size() ||
        text.compare(0, before.size(), before) != 0 ||
        text.compare(text.size() - after.size(), after.size(), after) != 0)
        return -1;
    return std::stoll(text.substr(before.size(), text.size() - before.size() - after.size()));
}

// The demo plant has a variable below two objects: it is listed once, and the progress never
// counts it twice, so the last "found" never stands above the total that follows it.
TEST(ScanProgress, FoundNeverExceedsTheListedTotal) {
    DemoServerOptions o;
    o.points = 40000;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    Timing t;
    t.scanMs = 2;
    t.flowingMs = 1;
    ScanSession session(t);
    std::vector<long long> found;
    bool ended = false;
    QObject::connect(&session, &ScanSession::StatusChanged, [&](const QString& text) {
        const long long n = FoundIn(text.toStdString());
        if (n >= 0) found.push_back(n);
    });
    QObject::connect(&session, &ScanSession::WalkEnded, [&] { ended = true; });
    ConnectionSettings s;
    s.url = server->Url();
    s.timeoutSeconds = 5;
    session.Connect(s);
    ASSERT_TRUE(PumpUntil([&] { return ended; }));

    const long long total = static_cast<long long>(session.Rows().Size());
    EXPECT_EQ(total, static_cast<long long>(server->Points().size()));
    ASSERT_FALSE(found.empty());
    EXPECT_LE(*std::max_element(found.begin(), found.end()), total);
    EXPECT_EQ(static_cast<long long>(session.LastWalkStats()->pointsFound.load()), total);
}

}  // namespace
