// Attaching to the running host and taking the vehicle path from its selection set: the shared
// logic behind the add-path and execute commands of the desktop and command-line programs.
#pragma once

#include "common/Point.h"
#include "common/UiServices.h"
#include "host/HostRegistry.h"

#include <cstdint>
#include <string>

namespace velrok::host {

// Paths longer than this many drawing units are refused; exactly this length is accepted.
inline constexpr double kMaxPathLength = 998.0;
inline constexpr const char* kTrapTitle = "Veichle Turning Simulation";

// The current path: the identifier of the element taken by Add path, zero when none was taken.
struct CurrentPath {
    int32_t low = 0;
    int32_t high = 0;
    ElementId Id() const { return {low, high}; }
    bool IsZero() const { return low == 0 && high == 0; }
};

// Where the taken path starts and which way it leaves its start, for the mark the drawing window
// shows, and its length for the status panel. `direction` is a unit vector (0, 0 for a path of no
// length).
struct PathMarker {
    Point2d start;
    Point2d direction;
    double length = 0.0;
};

// The distance along the path over which its leaving direction is measured: short enough to
// follow the first bend, long enough not to be noise.
inline constexpr double kPathDirectionProbe = 0.2;

// "Path length: 123,45": the length rounded half to even to two decimals, with the user's separator.
std::string PathLengthText(double length, char decimalSeparator);

// The desktop program brings a top-level window to the front by its title; others may do nothing.
class WindowActivator {
  public:
    virtual ~WindowActivator() = default;
    // False when no window has that title.
    virtual bool ActivateWindowByTitle(const std::string& title) = 0;
};

// Looks the running instance up by programmatic identifier; never starts one. Throws HostError
// number 429 when none is running under that identifier.
HostSession Attach(const HostRegistry& registry, const std::string& progId);

// Attach and yield once. On a 429 failure the user is told the host is not running; any other
// failure answers "not reachable" silently.
bool IsHostReachable(const HostRegistry& registry, const std::string& progId, MessageService& messages,
                     RunControl& run);

// The add-path command: takes the one selected element (at most kMaxPathLength long) as the current
// path and clears the selection. Returns true when the path was taken; on every failure the current
// path is left as it was and the user has been told why. When `taken` is given, a taken path's
// start, leaving direction and length are put there.
bool AddPath(const HostRegistry& registry, const std::string& progId, MessageService& messages,
             StatusService& status, CurrentPath& path, PathMarker* taken = nullptr);

// Attach twice, activate the window titled with the host's caption, yield. Failures are ignored:
// the sweep does not depend on which window is in front. The activator may be null.
void BringHostToFront(const HostRegistry& registry, const std::string& progId, WindowActivator* activator,
                      RunControl& run);

// The path element of the stored identifier, with the selection cleared, as the sweep reads it.
// Throws HostError NoSuchElement when the drawing no longer has it.
ElementHandle FindPath(const HostSession& session, ElementId id);

} // namespace velrok::host
