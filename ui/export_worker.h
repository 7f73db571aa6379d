#pragma once

#include <QObject>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "export/point_export.h"

// Runs one export at a time on a thread of its own, so that the window answers meanwhile, and
// hands the outcome back to the thread of `context`. The records are only read there; whoever
// starts an export keeps them unchanged and alive until it has ended (Running() false).
class ExportWorker {
public:
    using Done = std::function<void(const ExportResult&)>;

    explicit ExportWorker(QObject* context);
    // Cancels a running export and waits for it; its outcome is not delivered.
    ~ExportWorker();
    ExportWorker(const ExportWorker&) = delete;
    ExportWorker& operator=(const ExportWorker&) = delete;

    // Exports `points` to `path`; `done` runs later on the context's thread. Only while idle.
    // `source` names the server for the formats that say where they came from; `attributes`,
    // when read, has an entry per point.
    void Start(std::vector<OPCUAItemData*> points, std::filesystem::path path, ExportFormat format,
               Done done, ExportSource source = {},
               std::shared_ptr<const PointAttributeTable> attributes = nullptr);
    // From Start until `done` has been called (or Wait).
    bool Running() const { return running_; }
    // Asks the export to stop at its next progress step; `done` then says cancelled. During a
    // hold, sets the flag Hold returned.
    void Cancel();
    // Takes the worker for an export whose points are still being prepared elsewhere (their
    // attributes read on the session's thread): Running() from now on, until Start or Release.
    // The flag turns true when Cancel is called meanwhile.
    std::shared_ptr<const std::atomic<bool>> Hold();
    // Ends a hold without an export.
    void Release();
    // Waits for the export's thread; an outcome not yet delivered is dropped.
    void Wait();

    // Progress as the exporting thread last told it.
    std::size_t Written() const { return written_.load(std::memory_order_relaxed); }
    std::size_t Total() const { return total_.load(std::memory_order_relaxed); }

private:
    QObject* context_;
    bool running_ = false;
    int generation_ = 0;  // outcomes of an export waited for are dropped by this
    std::atomic<bool> cancel_{false};
    std::shared_ptr<std::atomic<bool>> holdCancel_;  // while held
    std::atomic<std::size_t> written_{0};
    std::atomic<std::size_t> total_{0};
    std::thread thread_;
};
