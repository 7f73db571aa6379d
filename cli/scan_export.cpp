#include "cli/scan_export.h"

#include <vector>

#include "engine/attributes/point_attribute_read.h"
#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/owned_points.h"
#include "engine/walk_all_points.h"
#include "export/export_source.h"

ExportFormat TargetFormat(const ExportTarget& target) {
    if (target.format) return *target.format;
    if (target.fd >= 0) return ExportFormat::Csv;  // text is what a pipe's reader expects
    return ChooseExportFormat(SaveFilter::All, target.path.native());
}

bool ReadsAttributes(const ExportTarget& target) {
    const ExportFormat format = TargetFormat(target);
    return (target.attributes && CarriesAttributes(format)) || format == ExportFormat::TagsCsv;
}

ScanExportResult ScanAndExport(const ConnectionSettings& settings, const ExportTarget& target,
                               const WalkedHook& walked) {
    ScanExportResult result;
    result.format = TargetFormat(target);
    PointList list;
    OwnedPoints records;  // the records taken out of the list belong here until the end
    PointAttributeTable attributes;
    {
        OPCUABrowser engine(&list);
        result.outcome = engine.Connect(settings);
        result.detail = engine.LastConnectDetail();
        result.serverTrust = engine.LastServerTrust();
        result.unsecured = engine.LastChannelUnsecured();
        if (result.outcome != ConnectOutcome::Connected) return result;
        BrowseStats stats;
        WalkAllPoints(engine, list, records, stats);
        result.sessionLost = stats.sessionLost;
        if (ReadsAttributes(target) && !result.sessionLost) {
            ServerLimits limits;
            UA_DateTime time = 0;
            if (ReadServerLimits(engine.Client(), limits, time) != UA_STATUSCODE_GOOD) limits = {};
            result.attributesComplete = ReadPointAttributes(engine.Client(), records.View(), limits,
                                                            attributes, &result.attributeCounts);
        }
    }
    list.clear();  // anything left behind an early end
    result.points = records.Size();
    if (walked) walked(records.View(), !result.sessionLost, result.serverTrust);
    const ExportContext context{MakeExportSource(settings, result.serverTrust, result.unsecured),
                                ReadsAttributes(target) ? &attributes : nullptr};
    result.exported =
        target.fd >= 0
            ? ExportPointsTo(records.View(), target.fd, result.format, nullptr, &context)
            : ExportPoints(records.View(), target.path, result.format, nullptr, &context);
    return result;
}
