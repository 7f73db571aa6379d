#pragma once

// Well-known nodes of the demo address space. The plant lives in the first namespace the server
// adds (index 2; index 1 is the server's own application namespace), the "second" namespace is
// index 3. Tests and the README refer to these.

#include <cstddef>
#include <cstdint>

namespace demo {

inline constexpr char kPlantNamespaceUri[] = "urn:quorvane:demo:plant";
inline constexpr char kSecondNamespaceUri[] = "urn:quorvane:demo:second";

// Objects/Plant/Line1/Tank1 (string identifiers)
inline constexpr char kTankLevel[] =
    "Plant.Line1.Tank1.Level";  // Double, changes every second, writable
// Level's properties: EURange 0 to 100 and EngineeringUnits "m" (metre) by this unit id.
inline constexpr char kUnitsNamespaceUri[] = "http://www.opcfoundation.org/UA/units/un/cefact";
inline constexpr std::int32_t kMetreUnitId = 5067858;
inline constexpr char kTankTemperature[] = "Plant.Line1.Tank1.Temperature";  // Float, writable
inline constexpr char kTankName[] = "Plant.Line1.Tank1.Name";  // String "Tank 1", writable
// Objects/Plant/Line1/Pump1 (numeric identifiers)
inline constexpr std::uint32_t kPumpRunning = 6001;  // Boolean, writable
inline constexpr std::uint32_t kPumpSpeed = 6002;    // Int32, changes every second
inline constexpr std::uint32_t kPumpCounter = 6003;  // UInt32, counts up every second
// Objects/Plant/AllTypes: one scalar of every built-in type, identifier 1000 + type index,
// display name = the type's name. Fixed values, writable.
inline constexpr std::uint32_t kAllTypesBase = 1000;    // 1000 Boolean ... 1020 LocalizedText
inline constexpr std::uint32_t kInt32Array = 1100;      // Int32 array {1, 2, 3}, writable
inline constexpr std::uint32_t kReadOnly = 1101;        // Int32 42, read-only
inline constexpr std::uint32_t kWritableDouble = 1102;  // Double 0.0, writable
// Identifier kinds other than numeric and string
inline constexpr unsigned char kGuidPointBytes[16] = {
    0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11};
// text: ns=2;g=01000000-0200-0300-aabb-ccddeeff0011, display "GuidPoint", UInt16 7
inline constexpr char kOpaquePointBytes[] =
    "\x01\x02\x03";  // ns=2;b=AQID, display "OpaquePoint", Byte 3
// The "Server" rules: an object named exactly "Server" is not walked, "server" and "Server2" are,
// and a variable named "Server" is a point.
inline constexpr char kFakeServerObject[] = "Plant.Server";
inline constexpr char kHiddenVariable[] = "Plant.Server.Hidden";
inline constexpr char kLowerServerVariable[] = "Plant.server.Value";
inline constexpr char kServer2Variable[] = "Plant.Server2.Value";
inline constexpr char kServerNamedVariable[] = "Plant.ServerVariable";  // display "Server"
// One variable under two objects (Tank1 and Pump1)
inline constexpr char kSharedVariable[] = "Plant.Line1.Shared";
// Two objects that reference each other, each with one variable
inline constexpr char kCycleAVariable[] = "Plant.CycleA.Value";
inline constexpr char kCycleBVariable[] = "Plant.CycleB.Value";
// Second namespace: Objects/Second with numeric variables 1 and 2 (Int32 values 1 and 2)
// Generated points (--points N): Objects/Generated/Group1_0000/.../Block00000/Pnnnnnnn, numeric
// identifiers kGeneratedBase + k in the plant namespace, Int32 value k, --points-per-folder
// (1000) to a block, blocks --depth (2) levels below Generated, ten objects to each level above.
inline constexpr std::uint32_t kGeneratedBase = 1000000;
// The objects holding them: numeric identifiers from here on, in the order they are made.
inline constexpr std::uint32_t kGeneratedObjectBase = 20000000;
// Objects/Plant/Rendering: values the list shows however they are typed, and a name in two
// languages.
inline constexpr std::uint32_t kStringArray = 1200;       // String array {"alpha", "β", "Gamma"}
inline constexpr std::uint32_t kOutOfRangeStatus = 1201;  // StatusCode BadOutOfRange
inline constexpr std::uint32_t kQualifiedName = 1202;     // QualifiedName 2:Setpoint
inline constexpr std::uint32_t kLongArray = 1203;      // Int32 array 0, -1, ..., -99 (100 elements)
inline constexpr std::uint32_t kTwoLocaleName = 1204;  // Double 12.5, named in two locales:
inline constexpr char kTwoLocaleNameEn[] = "Pump speed";  // "en"
inline constexpr char kTwoLocaleNameZh[] = "泵速";        // "zh-CN"

}  // namespace demo

// Objects/Plant/Edge: values and identifiers at the limits of what a server may send.
namespace demo {
// Numeric identifier 4294967295 in the plant namespace, Int32 5: an ordinary point.
inline constexpr std::uint32_t kMaxNumericPoint = 4294967295u;
inline constexpr char kDateTimeMaxPoint[] = "Plant.Edge.DateTimeMax";  // DateTime INT64_MAX
inline constexpr char kDateTimeMinPoint[] = "Plant.Edge.DateTimeMin";  // DateTime INT64_MIN
// String identifier with a NUL and a tab inside (length 17), Int32 9.
inline constexpr char kControlCharPoint[] = "Plant.Edge.A\0B\tC";
inline constexpr std::size_t kControlCharPointLength = sizeof kControlCharPoint - 1;
}  // namespace demo

// Objects/Plant/History: points whose values the server keeps (Historizing true unless the
// server runs with --no-history).
namespace demo {
inline constexpr char kRecordedPoint[] = "Plant.History.Recorded";  // Double, written each second
inline constexpr char kArchivePoint[] = "Plant.History.Archive";    // Double, --history-samples
}  // namespace demo
