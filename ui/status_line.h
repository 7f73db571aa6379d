#pragma once

#include <QLabel>
#include <cstddef>
#include <string>

#include "texts/text_table.h"

// The window's status line. It shows a message, which stays until the next one, or the list's
// counts, which the rows' changes and the filter keep true.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent);

    // A message about the connection, a write, a refusal.
    void SetStatus(const std::string& text);
    // A count, which a later change of the rows may replace.
    void SetCount(const std::string& text);
    // What the line shows now (the session wrote it) is the list's count.
    void MarkCount() { showsCounts = true; }
    bool ShowsCounts() const { return showsCounts; }
    // Adds `text` behind what is shown, two spaces apart.
    void Append(const std::string& text);

private:
    bool showsCounts = false;
};

// "<shown> of <total>" in the filter's words.
std::string FilterCountText(long long shown, long long total);
// The count of a walk's rows in `key`'s words, with what changed since the last scan.
std::string TotalCountText(TextKey key, std::size_t rows, const std::string& sinceLastScan);
