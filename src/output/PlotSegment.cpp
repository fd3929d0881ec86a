// Vehicle outlines: the element table of one unit, drawn with the body, tyre and tread styles.
#include "output/PlotSegment.h"

#include "output/OutputStyle.h"

#include <array>
#include <exception>
#include <initializer_list>
#include <vector>

namespace velrok {

namespace {

constexpr double kHitchCircleRadius = 0.1;
constexpr int kFillNone = -1;

enum StyleIndex { kBody = 0, kTyre = 1, kTread = 2 };

// A tyre outline runs through its chamfered corners and closes on the first one.
constexpr std::array<int, 9> kFrontLeftTyre{10, 9, 13, 14, 12, 11, 7, 8, 10};
constexpr std::array<int, 9> kFrontRightTyre{24, 23, 27, 28, 26, 25, 21, 22, 24};
constexpr std::array<int, 9> kRearLeftTyre{38, 37, 41, 42, 40, 39, 35, 36, 38};
constexpr std::array<int, 9> kRearRightTyre{53, 52, 56, 57, 55, 54, 50, 51, 53};

class Drawer {
  public:
    Drawer(const PlotContext& ctx, const SegmentCorners& corners, const std::vector<OutputStyle>& styles)
        : m_ctx(ctx), m_corners(corners), m_styles(styles)
    {
    }

    template <typename Indices> void Line(const Indices& indices, StyleIndex style)
    {
        std::vector<Point3d> vertices;
        vertices.reserve(indices.size());
        for (int i : indices)
            vertices.push_back(m_ctx.host.Point3dFromXYZ(m_corners[i].x, m_corners[i].y, kOutlineZ));
        host::ElementHandle element = m_ctx.host.CreateLineElement1(vertices);
        AddStyledElement(m_ctx.host, element, m_styles[style], m_ctx.group);
    }

    void Line(std::initializer_list<int> indices, StyleIndex style)
    {
        Line(std::vector<int>(indices), style);
    }

    void Tyre(const std::array<int, 9>& outline, int firstTread)
    {
        Line(outline, kTyre);
        for (int t = 0; t < 3; ++t)
            Line({firstTread + 2 * t, firstTread + 2 * t + 1}, kTread);
    }

    void HitchCircle()
    {
        const Point3d centre = m_ctx.host.Point3dFromXYZ(m_corners[6].x, m_corners[6].y, kOutlineZ);
        host::ElementHandle element = m_ctx.host.MakeEllipse(centre, kHitchCircleRadius, kHitchCircleRadius,
                                                             m_ctx.host.DefaultRotation(), kFillNone);
        AddStyledElement(m_ctx.host, element, m_styles[kBody], m_ctx.group);
    }

  private:
    const PlotContext& m_ctx;
    const SegmentCorners& m_corners;
    const std::vector<OutputStyle>& m_styles;
};

} // namespace

bool PlotSegment(const PlotContext& ctx, const SegmentCorners& corners, const SegmentSpec& spec)
{
    try {
        ctx.status.SetPanel(1, "Plotting Vehicle");
        const std::vector<OutputStyle> styles =
            ResolveOutputStyles(ctx.host, ctx.settings,
                                {{"VehicleBodyOutline", 7, "Velrok_Vehicle"},
                                 {"WheelOutline", 7, "Velrok_Vehicle"},
                                 {"TyreTread", 2, "Velrok_Vehicle"}});
        Drawer draw(ctx, corners, styles);
        draw.Line({3, 5, 4, 2, 3}, kBody);
        if (spec.DrawHitchCircle)
            draw.HitchCircle();
        if (spec.Kind == kKindMotor) {
            draw.Tyre(kFrontLeftTyre, 15);
            draw.Tyre(kFrontRightTyre, 29);
        }
        draw.Tyre(kRearLeftTyre, 44);
        draw.Tyre(kRearRightTyre, 59);
        ctx.host.CommitGroup(ctx.group);
        return true;
    } catch (const std::exception& e) {
        ctx.messages.Show(kTrapTitle, std::string(e.what()) + " PlotSegment", MsgIcon::Exclamation);
        return false;
    }
}

} // namespace velrok
