#include "ui/trend/live_sample.h"

#include <QDateTime>
#include <QString>

#include "engine/opcua_item_data.h"
#include "ui/point_filter.h"

bool CanTrend(const OPCUAItemData& record) {
    // Boolean (0) to Double (10) in the built-in type table.
    return record.typeIndex <= 10 && !record.isArray && !record.dataType.empty();
}

std::optional<TrendPoint> LiveSample(const OPCUAItemData& record) {
    if (!CanTrend(record) || record.quality == "BAD") return std::nullopt;
    std::optional<double> value;
    if (record.value == "true" || record.value == "false")
        value = record.value == "true" ? 1.0 : 0.0;
    else
        value = NumberOf(record.value);
    if (!value) return std::nullopt;
    const QDateTime time = QDateTime::fromString(QString::fromStdString(record.time),
                                                 QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid()) return std::nullopt;
    return TrendPoint{time.toMSecsSinceEpoch(), *value};
}
