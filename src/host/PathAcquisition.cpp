// Attach, host reachable check, Add path, bring host to front and finding the path again.
#include "host/PathAcquisition.h"

#include "common/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>

namespace velrok::host {

HostSession Attach(const HostRegistry& registry, const std::string& progId)
{
    // Application and ActiveModelReference are the same object in this build: the session holds both.
    HostSession session;
    session.application = registry.GetObject(progId);
    return session;
}

bool IsHostReachable(const HostRegistry& registry, const std::string& progId, MessageService& messages,
                     RunControl& run)
{
    try {
        Attach(registry, progId);
        run.Yield();
        return true;
    } catch (const HostError& e) {
        if (e.Number() == kErrNotRunning)
            messages.Show(
                "Can't create object",
                "Microstation is not running!\r\rIf running on Vista make sure to run Microstation as "
                "administrator!",
                MsgIcon::Exclamation);
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

// The selection is counted in a signed 16-bit counter, as the command always has; a selection
// beyond its range is an overflow failure of the command.
int16_t CountUp(int16_t count)
{
    if (count == std::numeric_limits<int16_t>::max())
        throw std::overflow_error("Overflow");
    return static_cast<int16_t>(count + 1);
}

PathMarker MarkerOf(const CadHost& model, ElementHandle element, double length)
{
    PathMarker marker;
    marker.length = length;
    const Point3d start = model.PointAtDistance(element, 0.0);
    marker.start = {start.x, start.y};
    if (length > 0.0) {
        const Point3d ahead = model.PointAtDistance(element, std::min(length, kPathDirectionProbe));
        const double dx = ahead.x - start.x, dy = ahead.y - start.y;
        const double norm = std::hypot(dx, dy);
        if (norm > 0.0)
            marker.direction = {dx / norm, dy / norm};
    }
    return marker;
}

} // namespace

std::string PathLengthText(double length, char decimalSeparator)
{
    return "Path length: " + FormatNumber(RoundHalfEven(length, 2), decimalSeparator);
}

bool AddPath(const HostRegistry& registry, const std::string& progId, MessageService& messages,
             StatusService& status, CurrentPath& path, PathMarker* taken)
{
    try {
        HostSession session = Attach(registry, progId);
        CadHost& model = session.Model();
        SelectionEnumerator selection = model.GetSelectedElements();
        if (!model.AnyElementsSelected()) {
            messages.Show("Select Vehicle Path!",
                          "This function requires a selection set with a Vehicle path", MsgIcon::Exclamation);
            return false;
        }
        int16_t count = 0;
        std::optional<ElementHandle> last;
        while (selection.MoveNext()) {
            count = CountUp(count);
            last = selection.Current();
        }
        if (count >= 2) {
            messages.Show("To many elements in the selection",
                          "Only one element can be in the selection! Clear selection and select one path!",
                          MsgIcon::Exclamation);
            return false;
        }
        if (!last)
            return false; // the set emptied between the two calls: nothing to take
        const double length = model.Length(*last);
        if (length > kMaxPathLength) {
            status.SetPanel(1, "Selected Vehicle Path is to long!");
            messages.Show("To long Vehicle Path",
                          "Selected Vehicle Path is to long!\r\rMax length is 998 units", MsgIcon::Critical);
            return false;
        }
        const ElementId id = model.ID(*last);
        // Read before anything changes, so a failure here leaves the current path as it was.
        const PathMarker marker = taken != nullptr ? MarkerOf(model, *last, length) : PathMarker{};
        path.low = id.Low;
        path.high = id.High;
        model.UnselectAllElements();
        if (taken != nullptr)
            *taken = marker;
        return true;
    } catch (const HostError& e) {
        if (e.Number() == kErrNotRunning)
            messages.Show("Can't create object",
                          "Microstation is not running! Start Microstation and try again!",
                          MsgIcon::Critical);
        else
            messages.Show(kTrapTitle, std::string(e.what()) + " Execute sweep", MsgIcon::Exclamation);
    } catch (const std::exception& e) {
        messages.Show(kTrapTitle, std::string(e.what()) + " Execute sweep", MsgIcon::Exclamation);
    }
    return false;
}

void BringHostToFront(const HostRegistry& registry, const std::string& progId, WindowActivator* activator,
                      RunControl& run)
{
    try {
        Attach(registry, progId);
        HostSession session = Attach(registry, progId);
        const std::string caption = session.application->Caption();
        if (activator)
            activator->ActivateWindowByTitle(caption);
        run.Yield();
    } catch (const std::exception&) {
        // Which window is in front does not matter to the sweep.
    }
}

ElementHandle FindPath(const HostSession& session, ElementId id)
{
    ElementHandle element = session.Model().GetElementByID(id);
    session.Model().UnselectAllElements();
    return element;
}

} // namespace velrok::host
