// Sweep lines from the rows CalcSegmentCorners recorded, in the order and styles users know.
#include "output/PlotSweeplines.h"

#include "output/OutputStyle.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace velrok {

namespace {

constexpr int kSweepListCount = 8;
constexpr int kBodySweepColor = 5;  // "Blue"
constexpr int kWheelSweepColor = 3; // "Green"

// One traced point per list, in drawing order; lists 3 and 4 trace the steered axle only.
struct SweepList {
    std::vector<SweepPointRow> SweepRecords::*rows;
    StyleDefaults style;
    bool firstUnitOnly;
};

std::vector<SweepList> SweepLists()
{
    return {
        {&SweepRecords::VehicleSweepLeftFront,
         {"VehicleSweepLeftFront", kBodySweepColor, "Velrok_LeftSweep"},
         false},
        {&SweepRecords::VehicleSweepRightFront,
         {"VehicleSweepRightFront", kBodySweepColor, "Velrok_RightSweep"},
         false},
        {&SweepRecords::WheelSweepRightFront,
         {"WheelSweepRightFront", kWheelSweepColor, "Velrok_RightSweep"},
         true},
        {&SweepRecords::WheelSweepLeftFront,
         {"WheelSweepLeftFront", kWheelSweepColor, "Velrok_LeftSweep"},
         true},
        {&SweepRecords::VehicleSweepLeftBack,
         {"VehicleSweepLeftBack", kBodySweepColor, "Velrok_LeftSweep"},
         false},
        {&SweepRecords::VehicleSweepRightBack,
         {"VehicleSweepRightBack", kBodySweepColor, "Velrok_RightSweep"},
         false},
        {&SweepRecords::WheelSweepRightBack,
         {"WheelSweepRightBack", kWheelSweepColor, "Velrok_RightSweep"},
         false},
        {&SweepRecords::WheelSweepLeftBack,
         {"WheelSweepLeftBack", kWheelSweepColor, "Velrok_LeftSweep"},
         false},
    };
}

// One walk over the rows gathers every unit's vertices in row (station) order; a unit is abandoned
// at its first drawbar row (flag 0).
void DrawList(const PlotContext& ctx, const std::vector<SweepPointRow>& rows, const OutputStyle& style,
              int lastUnit)
{
    const size_t units = static_cast<size_t>(std::max(lastUnit + 1, 0));
    std::vector<std::vector<Point3d>> vertices(units);
    std::vector<bool> abandoned(units, false);
    for (auto& v : vertices)
        v.reserve(rows.size() / std::max<size_t>(units, 1) + 1);
    for (size_t r = 1; r < rows.size(); ++r) {
        const double unit = rows[r].unit;
        if (!(unit >= 0.0) || unit > lastUnit || unit != std::floor(unit))
            continue;
        const size_t u = static_cast<size_t>(unit);
        if (abandoned[u])
            continue;
        if (rows[r].flag == 0.0) {
            abandoned[u] = true; // a drawbar's body corners are no outline of the vehicle
            continue;
        }
        vertices[u].push_back(ctx.host.Point3dFromXYZ(rows[r].x, rows[r].y, kSweepZ));
    }
    for (size_t u = 0; u < units; ++u) {
        // The host refuses a line of one vertex; a unit with so few rows has nothing to show.
        if (abandoned[u] || vertices[u].size() < 2)
            continue;
        host::ElementHandle element = ctx.host.CreateLineElement1(vertices[u]);
        AddStyledElement(ctx.host, element, style, ctx.group);
    }
}

} // namespace

bool PlotSweeplines(const PlotContext& ctx, const SweepRecords& records,
                    const std::vector<SegmentSpec>& segments, const std::string& LayerLeft,
                    const std::string& LayerRight, const std::string& Layerwheel)
{
    try {
        ctx.status.SetProgressVisible(true);
        ctx.status.SetProgressMaximum(kSweepListCount);
        const std::vector<SweepList> lists = SweepLists();
        std::vector<StyleDefaults> prefixes;
        for (const SweepList& list : lists)
            prefixes.push_back(list.style);
        const std::vector<OutputStyle> styles = ResolveOutputStyles(ctx.host, ctx.settings, prefixes);
        const int lastUnit = static_cast<int>(segments.size()) - 1;

        // The levels named by the caller are found or created between the lists, in this order.
        const std::string* levelBefore[kSweepListCount] = {&LayerLeft, &LayerRight, &Layerwheel, nullptr,
                                                           &LayerLeft, &LayerRight, &Layerwheel, nullptr};
        for (int i = 0; i < kSweepListCount; ++i) {
            if (i == 6) {
                ctx.status.SetProgressValue(i + 1);
                Create_MSlayer(ctx.host, *levelBefore[i]);
            } else {
                if (levelBefore[i] != nullptr)
                    Create_MSlayer(ctx.host, *levelBefore[i]);
                ctx.status.SetProgressValue(i + 1);
            }
            DrawList(ctx, records.*(lists[i].rows), styles[static_cast<size_t>(i)],
                     lists[i].firstUnitOnly ? 0 : lastUnit);
        }
        ctx.host.CommitGroup(ctx.group);
        return true;
    } catch (const std::exception& e) {
        ctx.messages.Show(kTrapTitle, std::string(e.what()) + " PlotSweeplines", MsgIcon::Exclamation);
        return false;
    }
}

} // namespace velrok
