// Writes the exports meant for other tools for check_tool_formats.py, which reads them back with
// Python's json, tomllib and csv modules:
//   tool_formats_sample <dir>  writes handful.json, handful.toml, handful-tags.csv (the sample
//   points), tricky.toml and tricky.json (names and identifiers that need escaping, names used
//   twice), signed.toml (a user name sign-in over Sign & Encrypt) and attributes.json and
//   attributes-tags.csv (the handful with attributes).
#include <iostream>
#include <string>

#include "engine/connection_settings.h"
#include "export/export_source.h"
#include "export/point_export.h"
#include "export/util/utf_convert.h"
#include "sample_points.h"

namespace {

bool Export(const std::string& dir, const std::string& name, const SamplePoints& points,
            ExportFormat format, const ExportContext& context) {
    const ExportResult result =
        ExportPoints(points.Pointers(), Utf8ToUtf16(dir + "/" + name), format, nullptr, &context);
    std::cout << name << " saved=" << result.saved << "\n";
    return result.saved;
}

SamplePoints Tricky() {
    SamplePoints points;
    const char* names[] = {"say \"hi\"", "C:\\plc\\tag", "two\nlines", "\xE6\xB8\xA9\xE5\xBA\xA6",
                           "Level",      "Level",        "Level_2",    ""};
    UA_UInt32 number = 1;
    for (const char* name : names) {
        points.AddNumeric(2, number++, 10).displayName = name;
    }
    points.AddString(3, "Tank \"A\"\\Level\nx", 10).displayName = "Level";
    points.AddString(3, std::string("nul\0inside", 10), 6).displayName = "nul";
    points.AddGuid(4, SampleGuid(), 1).displayName = "GuidPoint";
    points.AddOpaque(5, std::string("\x01\x02\xFF", 3), 2).displayName = "OpaquePoint";
    return points;
}

PointAttributeTable HandfulAttributes(std::size_t count) {
    PointAttributeTable table(count);
    PointAttributes& level = table[1];
    level.browseName = "3:Level";
    level.description = "Tank level, \"measured\"";
    level.accessLevel = 3;
    level.userAccessLevel = 1;
    level.valueRank = -1;
    level.minimumSamplingInterval = 250;
    level.historizing = true;
    level.units =
        "\xC2\xB0"
        "C";
    level.rangeLow = -10;
    level.rangeHigh = 100.5;
    level.known = 0x3FF;
    PointAttributes& array = table[0];
    array.browseName = "2:Matrix";
    array.valueRank = 2;
    array.arrayDimensions = {2, 3};
    array.known = PointAttributes::kBrowseName | PointAttributes::kValueRank |
                  PointAttributes::kArrayDimensions;
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tool_formats_sample <dir>\n";
        return 64;
    }
    const std::string dir = argv[1];
    const SamplePoints handful = SamplePoints::Handful();
    ConnectionSettings anonymous;
    anonymous.url = "opc.tcp://127.0.0.1:4840";
    ExportContext plain{MakeExportSource(anonymous, std::nullopt), nullptr};

    ConnectionSettings signedIn = anonymous;
    signedIn.authKind = 2;
    signedIn.userName = "operator \"one\"";
    signedIn.password = "pw-never-written";
    signedIn.securityPolicy = "Basic256Sha256";
    signedIn.securityMode = "Sign & Encrypt";
    ExportContext secure{MakeExportSource(signedIn, std::nullopt), nullptr};

    const PointAttributeTable attributes = HandfulAttributes(handful.Pointers().size());
    ExportContext withAttributes{plain.source, &attributes};

    const SamplePoints tricky = Tricky();
    bool ok = Export(dir, "handful.json", handful, ExportFormat::Json, plain) &&
              Export(dir, "handful.toml", handful, ExportFormat::Telegraf, plain) &&
              Export(dir, "handful-tags.csv", handful, ExportFormat::TagsCsv, plain) &&
              Export(dir, "tricky.toml", tricky, ExportFormat::Telegraf, plain) &&
              Export(dir, "tricky.json", tricky, ExportFormat::Json, plain) &&
              Export(dir, "signed.toml", tricky, ExportFormat::Telegraf, secure) &&
              Export(dir, "signed.json", tricky, ExportFormat::Json, secure) &&
              Export(dir, "attributes.json", handful, ExportFormat::Json, withAttributes) &&
              Export(dir, "attributes.csv", handful, ExportFormat::Csv, withAttributes) &&
              Export(dir, "attributes-tags.csv", handful, ExportFormat::TagsCsv, withAttributes);
    return ok ? 0 : 1;
}
