// Conflicts of a run with the road as drawn: obstacle elements (walls, posts, buildings) inside
// the body swept area or its clearance envelope, kerb elements under the wheels, and the least
// clearance where the vehicle fits. Also the plain data the desktop program's results table and
// level choice work on.
#pragma once

#include "host/CadHost.h"
#include "output/PlaneRegion.h"
#include "output/SweptArea.h"

#include <string>
#include <vector>

namespace velrok {

inline constexpr double kDefaultClearance = 0.5;
// Elements farther than this beyond the clearance envelope do not count for the least clearance.
inline constexpr double kClearanceSearchReach = 5.0;
// Spacing of the points along an intruding piece at which its depth is measured.
inline constexpr double kDepthSampleStep = 0.05;
inline constexpr const char* kClearanceDistanceKey = "ClearanceDistance";
inline constexpr const char* kObstacleLevelsKey = "ObstacleLevels";
inline constexpr const char* kKerbLevelsKey = "KerbLevels";

enum class ConflictClass { Kerb, Obstacle, Clearance };
// "kerb", "obstacle", "clearance"
const char* ConflictClassName(ConflictClass c);

struct Conflict {
    ConflictClass kind = ConflictClass::Obstacle;
    std::string handle;
    double firstStation = 0.0;
    double lastStation = 0.0;
    // How far the element reaches into the area it conflicts with: the largest distance of its
    // inside pieces from the area's edge; for the clearance class, clearance distance minus the
    // element's distance from the body area.
    double depth = 0.0;
    // Distance of the element from the body area (0 when inside it).
    double leastClearance = 0.0;
    std::vector<LineString2d> parts; // the element's pieces inside the area
    Point2d marker;                  // where the vehicle first meets it
    Box box;                         // of the pieces
};

struct LeastClearance {
    bool found = false;
    double distance = 0.0;
    double station = 0.0;
    std::string handle;
};

struct ConflictResult {
    std::vector<Conflict> conflicts; // by first station
    LeastClearance least;            // over the elements that do not conflict
};

// Obstacles are checked against the body area and the clearance envelope, kerbs against the wheel
// area; a kerb the body only overhangs is no conflict, and its clearance is that of the wheels.
// Throws GeometryError when the engine fails.
ConflictResult FindConflicts(const SweptArea& area, const PlaneRegion& clearanceEnvelope, double clearance,
                             const std::vector<host::ElementLines>& obstacles,
                             const std::vector<host::ElementLines>& kerbs);

// "Conflicts: none, least clearance 0.62 at station 41.8", "Conflicts: none", or
// "Conflicts: 3 (2 kerb, 1 obstacle), first at station 41.8".
std::string ConflictReportLine(const ConflictResult& result, char decimalSeparator);

// One line of the results table; `zoom` is the box to show when it is clicked.
struct ConflictRow {
    std::string kind; // "kerb", "obstacle", "clearance"
    std::string element;
    double firstStation = 0.0;
    double lastStation = 0.0;
    double depth = 0.0;
    double leastClearance = 0.0;
    Box zoom;
};
std::vector<ConflictRow> ConflictRows(const ConflictResult& result);

// "Walls;Posts" <-> {"Walls", "Posts"}: names trimmed, empty ones dropped.
std::vector<std::string> LevelsFromSetting(const std::string& setting);
std::string SettingFromLevels(const std::vector<std::string>& levels);
// The stored clearance ("." or the given separator); the default when it is no number >= 0.
double ClearanceFromSetting(const std::string& text, char decimalSeparator);

} // namespace velrok
