// Drawing one unit of the vehicle at one station: body outline, coupling circle, tyres and treads.
#pragma once

#include "common/SettingsStore.h"
#include "common/UiServices.h"
#include "host/CadHost.h"
#include "output/SegmentCorners.h"
#include "geometry/SweepTypes.h"

#include <string>

namespace velrok {

// Title of every unexpected-failure box; the text is the failure followed by the routine's label.
inline constexpr const char* kTrapTitle = "Veichle Turning Simulation";

// Z of the outlines and markers, and of the sweep lines and envelope just below them.
inline constexpr double kOutlineZ = 0.0;
inline constexpr double kSweepZ = -0.1;

// Where the plotting routines draw: the run's host session, its named group, the style settings,
// and the services they report through.
struct PlotContext {
    host::CadHost& host;
    const SettingsStore& settings;
    host::NamedGroupHandle group;
    MessageService& messages;
    StatusService& status;
    char decimalSeparator = '.';
};

// Draws 9, 10, 17 or 18 elements (by Kind and DrawHitchCircle) and commits the group. A failure
// is reported as "<description> PlotSegment"; elements already added stay, the group is then not
// committed. Returns false on that path.
bool PlotSegment(const PlotContext& ctx, const SegmentCorners& corners, const SegmentSpec& spec);

} // namespace velrok
