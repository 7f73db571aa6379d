#include "ui/history/scan_recorder.h"

#include <memory>
#include <utility>

#include "history/change_texts.h"
#include "store/inventory_store.h"
#include "texts/text_table.h"
#include "ui/history/row_snapshot.h"

namespace {

ScanRecorder::Outcome Store(const std::filesystem::path& path, const ServerIdentity& server,
                            const ScanFacts& facts, const std::vector<StoredPoint>& points) {
    ScanRecorder::Outcome outcome;
    InventoryStore::Opened opened = InventoryStore::Open(path);
    if (!opened.store) {
        outcome.error = opened.failure == StoreOpenFailure::NewerVersion
                            ? FillText(TextKey::StoreNewerVersion,
                                       {{"found", std::to_string(opened.foundVersion)},
                                        {"ours", std::to_string(InventorySchemaVersion())}})
                            : Text(TextKey::StoreCannotOpen);
        outcome.error += path.string();
        return outcome;
    }
    // Compared before it is recorded, or the scan would be its own base.
    outcome.cutShort = !facts.complete;
    if (facts.complete) {
        outcome.since = CompareWithLastScan(*opened.store, server.endpointUrl, points);
        if (!outcome.since)
            outcome.cutShortUnused =
                LastCompleteScan(opened.store->Scans(server.endpointUrl)).cutShortAfter;
    }
    if (!opened.store->RecordScan(server, facts, points))
        outcome.error = Text(TextKey::StoreWriteFailed) + opened.store->LastError();
    return outcome;
}

}  // namespace

ScanRecorder::ScanRecorder(std::filesystem::path store, QObject* parent)
    : QObject(parent), store_(std::move(store)) {}

ScanRecorder::~ScanRecorder() = default;  // the worker stores what was handed over first

void ScanRecorder::Record(ServerIdentity server, ScanFacts facts, std::vector<StoredPoint> points,
                          std::function<void(const Outcome&)> done) {
    ++pending_;
    worker_.Run([this, path = store_, server = std::move(server), facts = std::move(facts),
                 points = std::move(points), done = std::move(done)]() mutable {
        auto outcome = std::make_shared<const Outcome>(Store(path, server, facts, points));
        QMetaObject::invokeMethod(
            this,
            [this, outcome, done = std::move(done)] {
                --pending_;
                done(*outcome);
            },
            Qt::QueuedConnection);
    });
}

void ScanRecorder::RecordRows(ServerIdentity server, ScanFacts facts, const PointRows& rows,
                              std::function<void(const Outcome&)> done) {
    ++pending_;  // counted from now, so that no one takes the scan for recorded while it is copied
    new RowSnapshot(  // a child; it goes once it has handed the copy over
        rows,
        [this, server = std::move(server), facts = std::move(facts), done = std::move(done)](
            std::vector<StoredPoint> points, std::vector<const OPCUAItemData*> records) mutable {
            --pending_;
            Record(std::move(server), std::move(facts), std::move(points),
                   [done = std::move(done), records = std::move(records)](const Outcome& stored) {
                       Outcome outcome = stored;
                       outcome.copiedFrom = records;
                       done(outcome);
                   });
        },
        this);
}
