#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The attributes of one point that an export may carry besides what the list shows, and its
// EURange and EngineeringUnits properties. Kept beside the point records, never inside them: a
// scan holds many records and most exports do not ask for these.
struct PointAttributes {
    // Which of the fields below the server answered, bit per field.
    enum Field : std::uint16_t {
        kBrowseName = 1 << 0,
        kDescription = 1 << 1,
        kAccessLevel = 1 << 2,
        kUserAccessLevel = 1 << 3,
        kValueRank = 1 << 4,
        kArrayDimensions = 1 << 5,
        kMinimumSamplingInterval = 1 << 6,
        kHistorizing = 1 << 7,
        kUnits = 1 << 8,
        kRange = 1 << 9,
    };

    std::string browseName;   // "2:Level"; no prefix in namespace 0
    std::string description;  // the text, without its locale
    std::uint8_t accessLevel = 0;
    std::uint8_t userAccessLevel = 0;
    std::int32_t valueRank = 0;
    std::vector<std::uint32_t> arrayDimensions;
    double minimumSamplingInterval = 0;
    bool historizing = false;
    std::string units;  // the EngineeringUnits' display name, "°C"
    double rangeLow = 0;
    double rangeHigh = 0;
    std::uint16_t known = 0;

    bool Has(Field field) const { return (known & field) != 0; }
};

// Entry i belongs to point i of the list it was read for.
using PointAttributeTable = std::vector<PointAttributes>;
