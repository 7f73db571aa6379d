#include "tests/walk/walk_test_support.h"

#include <utility>

#include "engine/node_id_text.h"

std::unique_ptr<OPCUABrowser> ConnectTo(const DemoServer& server, PointList& list) {
    return ConnectToUrl(server.Url(), list);
}

std::unique_ptr<OPCUABrowser> ConnectToUrl(const std::string& url, PointList& list) {
    auto browser = std::make_unique<OPCUABrowser>(&list);
    if (browser->ConnectAnonymous(url, 10) != 0) {
        ADD_FAILURE() << "no session with " << url;
        return nullptr;
    }
    return browser;
}

Records Drain(PointList& list) {
    Records out;
    OPCUAItemData* record = nullptr;
    while (list.get(record, false)) out.emplace_back(record);
    return out;
}

Records PointsBeforeEndMarker(Records drained) {
    if (drained.empty() || !IsEndMarker(*drained.back())) {
        ADD_FAILURE() << "the list does not end with the end marker";
        return drained;
    }
    drained.pop_back();
    for (const auto& record : drained)
        EXPECT_FALSE(IsEndMarker(*record)) << "an end marker before the last record";
    return drained;
}

void ExpectOnlyEndMarker(PointList& list) {
    const Records drained = Drain(list);
    ASSERT_EQ(drained.size(), 1u);
    EXPECT_TRUE(IsEndMarker(*drained[0]));
}

std::size_t CheckGeneratedValues(const Records& points) {
    std::size_t generated = 0;
    for (const auto& record : points) {
        const UA_NodeId& id = record->nodeId;
        if (id.identifierType != UA_NODEIDTYPE_NUMERIC ||
            id.identifier.numeric < demo::kGeneratedBase ||
            id.identifier.numeric == demo::kMaxNumericPoint)
            continue;
        EXPECT_EQ(record->quality, "GOOD") << NodeIdToText(id);
        EXPECT_EQ(record->value, std::to_string(id.identifier.numeric - demo::kGeneratedBase))
            << NodeIdToText(id);
        ++generated;
    }
    return generated;
}

std::map<std::string, std::string> ExpectedPoints(const DemoServer& server) {
    std::map<std::string, std::string> expected;
    for (const DemoPoint& p : server.Points()) expected[NodeIdToText(p.nodeId)] = p.displayName;
    return expected;
}

std::map<std::string, std::string> ListedPoints(const Records& points) {
    std::map<std::string, std::string> listed;
    for (const auto& record : points) {
        const bool added = listed.emplace(NodeIdToText(record->nodeId), record->displayName).second;
        EXPECT_TRUE(added) << NodeIdToText(record->nodeId) << " listed twice";
    }
    return listed;
}

Records ExpectCutShortWalk(PointList& list, const std::map<std::string, std::string>& expected) {
    Records points = PointsBeforeEndMarker(Drain(list));
    EXPECT_FALSE(points.empty());
    EXPECT_LT(points.size(), expected.size());
    for (const auto& [id, name] : ListedPoints(points)) {
        if (!expected.count(id)) {
            ADD_FAILURE() << id;
            continue;
        }
        EXPECT_EQ(expected.at(id), name);
    }
    for (const auto& record : points) EXPECT_EQ(record->quality, "BAD");
    return points;
}

::testing::AssertionResult SamePoints(const std::map<std::string, std::string>& listed,
                                      const std::map<std::string, std::string>& expected) {
    std::vector<std::string> missing, unexpected, renamed;
    for (const auto& [id, name] : expected) {
        const auto it = listed.find(id);
        if (it == listed.end()) {
            missing.push_back(id);
        } else if (it->second != name) {
            renamed.push_back(id + " '" + it->second + "' instead of '" + name + "'");
        }
    }
    for (const auto& [id, name] : listed)
        if (!expected.count(id)) unexpected.push_back(id);
    if (missing.empty() && unexpected.empty() && renamed.empty())
        return ::testing::AssertionSuccess();
    auto some = [](const std::vector<std::string>& ids) {
        std::string text;
        for (std::size_t i = 0; i < ids.size() && i < 5; ++i) text += " " + ids[i];
        return std::to_string(ids.size()) +
               (ids.empty() ? "" : " (" + text.substr(1) + (ids.size() > 5 ? " ..." : "") + ")");
    };
    return ::testing::AssertionFailure()
           << listed.size() << " listed, " << expected.size() << " expected; missing "
           << some(missing) << ", unexpected " << some(unexpected) << ", renamed " << some(renamed);
}

namespace {
void CopyFigures(const BrowseStats& from, BrowseStats& to) {
    to.browseRequests = from.browseRequests.load();
    to.browseNextRequests = from.browseNextRequests.load();
    to.handedOver = from.handedOver.load();
    to.readRequests = from.readRequests.load();
    to.pointsFound = from.pointsFound.load();
    to.peakOutstanding = from.peakOutstanding;
    to.peakNodesPerBrowse = from.peakNodesPerBrowse;
    to.peakNodesPerRead = from.peakNodesPerRead;
    to.nodesFailed = from.nodesFailed;
    to.timeouts = from.timeouts;
    to.points = from.points;
    to.sessionLost = from.sessionLost;
    to.interrupted = from.interrupted;
}
}  // namespace

WalkThread::WalkThread(OPCUABrowser& browser)
    : thread_([this, &browser] {
          browser.BrowseAll(&stats_);
          done_ = true;
      }) {}

WalkThread::~WalkThread() {
    if (thread_.joinable()) {
        thread_.interrupt();
        thread_.join();
    }
}

bool WalkThread::JoinFor(std::chrono::milliseconds timeout) {
    if (!thread_.joinable()) return true;
    if (!WaitFor([this] { return done_.load(); }, timeout)) return false;
    thread_.join();
    return true;
}

Records WalkAll(OPCUABrowser& browser, PointList& list, std::chrono::milliseconds timeout,
                BrowseStats* stats) {
    WalkThread walk(browser);
    if (!walk.JoinFor(timeout)) {
        ADD_FAILURE() << "the walk did not end within " << timeout.count() << " ms";
        return {};  // the walk thread is interrupted and joined on the way out
    }
    if (stats) CopyFigures(walk.Stats(), *stats);
    return PointsBeforeEndMarker(Drain(list));
}

ListConsumer::ListConsumer(PointList& list)
    : list_(list), thread_([this] {
          OPCUAItemData* record = nullptr;
          while (!stop_ && !sawEnd_) {
              while (list_.get(record, false)) {
                  taken_.emplace_back(record);
                  if (IsEndMarker(*record)) sawEnd_ = true;
              }
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
      }) {}

ListConsumer::~ListConsumer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool ListConsumer::WaitForEndMarker(std::chrono::milliseconds timeout) {
    return WaitFor([this] { return sawEnd_.load(); }, timeout);
}

Records ListConsumer::Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return std::move(taken_);
}
