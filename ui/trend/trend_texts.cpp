#include "ui/trend/trend_texts.h"

#include <QDateTime>
#include <charconv>

std::string TrendTimeText(std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
        .toStdString();
}

std::string TrendNumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string HoverText(const std::string& name, std::int64_t ms, double value, std::int64_t nowMs) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms);
    const bool today = time.date() == QDateTime::fromMSecsSinceEpoch(nowMs).date();
    const QString form =
        today ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    return time.toString(form).toStdString() + "  " + name + ": " + TrendNumberText(value);
}
