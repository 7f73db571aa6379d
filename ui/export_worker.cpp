#include "ui/export_worker.h"

#include <QMetaObject>
#include <QPointer>
#include <utility>

ExportWorker::ExportWorker(QObject* context) : context_(context) {}

ExportWorker::~ExportWorker() {
    cancel_ = true;
    Wait();
}

void ExportWorker::Cancel() {
    cancel_ = true;
    if (holdCancel_) *holdCancel_ = true;
}

std::shared_ptr<const std::atomic<bool>> ExportWorker::Hold() {
    Wait();
    running_ = true;
    holdCancel_ = std::make_shared<std::atomic<bool>>(false);
    return holdCancel_;
}

void ExportWorker::Release() {
    holdCancel_.reset();
    running_ = false;
}

void ExportWorker::Start(std::vector<OPCUAItemData*> points, std::filesystem::path path,
                         ExportFormat format, Done done, ExportSource source,
                         std::shared_ptr<const PointAttributeTable> attributes) {
    if (thread_.joinable()) thread_.join();  // a finished export's thread
    holdCancel_.reset();
    running_ = true;
    cancel_ = false;
    written_ = 0;
    total_ = points.size();
    const int generation = ++generation_;
    QPointer<QObject> target(context_);
    thread_ =
        std::thread([this, target, generation, points = std::move(points), path = std::move(path),
                     format, done = std::move(done), source = std::move(source),
                     attributes = std::move(attributes)]() mutable {
            const ExportProgress progress = [this](std::size_t written, std::size_t total) {
                written_.store(written, std::memory_order_relaxed);
                total_.store(total, std::memory_order_relaxed);
                return !cancel_.load();
            };
            const ExportContext context{std::move(source), attributes.get()};
            const ExportResult result = ExportPoints(points, path, format, &progress, &context);
            if (target.isNull()) return;
            QMetaObject::invokeMethod(
                target.data(),
                [this, generation, result, done = std::move(done)] {
                    // The worker outlives every delivery: its owner's destructor waits first and
                    // the context goes with the owner.
                    if (generation != generation_ || !running_) return;
                    running_ = false;
                    done(result);
                },
                Qt::QueuedConnection);
        });
}

void ExportWorker::Wait() {
    if (thread_.joinable()) thread_.join();
    if (running_) {
        running_ = false;
        ++generation_;
    }
}
