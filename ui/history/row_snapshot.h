#pragma once

#include <QObject>
#include <cstddef>
#include <functional>
#include <vector>

#include "session/point_rows.h"
#include "store/stored_scan.h"

// The history's copy of a scan's rows, taken on the rows' own thread a slice per turn of the
// event loop, so that 200,000 rows never stall the window. Rows about to go (deleted, or cleared
// by the next scan) are copied first, at once: the copy is of the rows as the scan left them.
class RowSnapshot : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kSliceRows = 2000;

    // `done` gets the copy and the records it was made from, in order; it runs once, from the
    // event loop or from a change of the rows, and the snapshot deletes itself then.
    using Done = std::function<void(std::vector<StoredPoint>, std::vector<const OPCUAItemData*>)>;
    RowSnapshot(const PointRows& rows, Done done, QObject* parent = nullptr);

    bool Finished() const { return finished; }

private:
    // Copies the rows before `end` not copied yet.
    void CopyUpTo(std::size_t end);
    void Step();
    void Finish();

    const PointRows& rows;
    Done done;
    std::vector<StoredPoint> points;
    std::vector<const OPCUAItemData*> records;
    std::size_t next = 0;  // the first row not copied yet
    bool finished = false;
};
