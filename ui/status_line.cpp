#include "ui/status_line.h"

#include "ui/qt_text.h"

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {}

void StatusLine::SetStatus(const std::string& text) {
    showsCounts = false;
    if (this->text() != Q(text)) setText(Q(text));
}

void StatusLine::SetCount(const std::string& text) {
    SetStatus(text);
    showsCounts = true;
}

void StatusLine::Append(const std::string& text) {
    setText(this->text() + QStringLiteral("  ") + Q(text));
}

std::string FilterCountText(long long shown, long long total) {
    std::string count = FormatText(TextKey::FilterCount, shown);
    const auto at = count.find("%d");
    if (at != std::string::npos) count.replace(at, 2, std::to_string(total));
    return count;
}

std::string TotalCountText(TextKey key, std::size_t rows, const std::string& sinceLastScan) {
    std::string count = FormatText(key, static_cast<long long>(rows));
    if (!sinceLastScan.empty()) count += "  " + sinceLastScan;
    return count;
}
