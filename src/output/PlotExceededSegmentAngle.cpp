// Segment-angle marker: the opening between the two units' directions, with its size in degrees.
#include "output/PlotExceededSegmentAngle.h"

#include "common/NumberText.h"
#include "output/OutputStyle.h"

#include <cmath>
#include <exception>
#include <stdexcept>

namespace velrok {

namespace {

// V + (to - V) * length / |to - V|; a leg of no direction is the division by zero the user sees.
Point2d Leg(Point2d v, Point2d to, double length)
{
    const double d = std::hypot(to.x - v.x, to.y - v.y);
    if (d == 0.0)
        throw std::runtime_error("Division by zero");
    return {v.x + (to.x - v.x) * length / d, v.y + (to.y - v.y) * length / d};
}

} // namespace

bool PlotExceededSegmentAngle(const PlotContext& ctx, const SegmentCorners& previous,
                              const SegmentCorners& current, Point2d rearAxle, double angleDeg,
                              const std::string& levelName)
{
    try {
        const host::LevelHandle level = Create_MSlayer(ctx.host, levelName);
        const Point2d v = current[0];
        const Point2d a = Leg(v, previous[0], kMarkerLegLength);
        const Point2d b = Leg(v, rearAxle, -kMarkerLegLength);

        host::CadHost& h = ctx.host;
        host::ElementHandle legs = h.CreateLineElement1({h.Point3dFromXYZ(a.x, a.y, kOutlineZ),
                                                         h.Point3dFromXYZ(v.x, v.y, kOutlineZ),
                                                         h.Point3dFromXYZ(b.x, b.y, kOutlineZ)});
        h.SetColor(legs, kMarkerColor);
        h.SetLevel(legs, level);
        h.AddElement(legs);
        h.AddGroupMember(ctx.group, legs);

        const std::string text = FormatNumber(RoundHalfEven(std::fabs(angleDeg), 1), ctx.decimalSeparator);
        host::ElementHandle label = h.MakeText(
            text, h.Point3dFromXYZ((a.x + b.x) / 2, (a.y + b.y) / 2, kOutlineZ), h.DefaultRotation());
        h.SetColor(label, kMarkerColor);
        h.SetLevel(label, level);
        h.AddElement(label);
        h.AddGroupMember(ctx.group, label);
        h.CommitGroup(ctx.group);
        return true;
    } catch (const std::exception& e) {
        ctx.messages.Show(kTrapTitle, std::string(e.what()) + " Plot Exceede Segment angle",
                          MsgIcon::Exclamation);
        return false;
    }
}

} // namespace velrok
