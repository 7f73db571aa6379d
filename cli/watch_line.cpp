#include "cli/watch_line.h"

#include <cstdio>

#include "export/csv/csv_writer.h"
#include "export/json/json_text.h"

std::string IsoTime(UA_DateTime utc) {
    const UA_DateTimeStruct t = UA_DateTime_toStruct(utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02u.%03uZ", t.year, t.month, t.day,
                  t.hour, t.min, t.sec, t.milliSec);
    return text;
}

std::string WatchLine(const LiveChange& change, const std::string& nodeId, UA_DateTime fallback,
                      bool json) {
    const std::string time = IsoTime(change.sourceTime != 0 ? change.sourceTime : fallback);
    if (!json) {
        return CsvField(time) + "," + CsvField(nodeId) + "," + CsvField(change.value) + "," +
               CsvField(change.quality);
    }
    // Numbers stay numbers for the script; everything else is the text the list shows.
    const std::string_view number = JsonNumber(change.value);
    const std::string value = number.empty() ? JsonString(change.value) : std::string(number);
    return "{\"time\":" + JsonString(time) + ",\"nodeId\":" + JsonString(nodeId) +
           ",\"value\":" + value + ",\"quality\":" + JsonString(change.quality) + "}";
}
