// What the drawing shows of the DXF entities it keeps but does not model as path elements (block
// references, hatches, multi-line texts, dimensions, points, solids, leaders, wipeouts): flat
// pieces in world coordinates, each with the layer and colour it is shown with. Obstacle and kerb
// checks use the same pieces, so what the designer sees is what is checked.
#pragma once

#include "common/Point.h"
#include "host/DxfTags.h"
#include "host/HostColors.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// Curves are cut into chords whose sagitta stays below this (drawing units), with at most
// kMaxChordsPerCurve chords a curve.
inline constexpr double kShapeChordTolerance = 0.001;
inline constexpr int kMaxChordsPerCurve = 4096;

// Block references nested deeper than this are not expanded: a block that contains itself,
// directly or through others, would otherwise never end.
inline constexpr int kMaxBlockDepth = 16;
// A MINSERT array is cut to this many copies, its columns first.
inline constexpr int kMaxInsertCopies = 10000;
// Bounds of what one entity shows, nested references included: points of all pieces (a text
// counts as one) and block expansions.
inline constexpr size_t kMaxShownPoints = 2'000'000;
inline constexpr size_t kMaxBlockExpansions = 200'000;

// What the entities of one drawing may cost together: entities read inside blocks and points
// shown. Without it a small file of a few references to a large nest would take as long as
// its copies multiply; with it the work stays in proportion to what the file holds.
inline constexpr size_t kDrawingVisitsBase = 1'000'000;
inline constexpr size_t kDrawingVisitsPerEntity = 16;
inline constexpr size_t kDrawingPointsBase = 4'000'000;
inline constexpr size_t kDrawingPointsPerEntity = 64;
struct ShapeAllowance {
    size_t visits = kDrawingVisitsBase;
    size_t points = kDrawingPointsBase;
    // For a drawing of `entities` entities, over the base `drawing` gives.
    static ShapeAllowance ForEntities(size_t entities, ShapeAllowance drawing)
    {
        return {drawing.visits + kDrawingVisitsPerEntity * entities,
                drawing.points + kDrawingPointsPerEntity * entities};
    }
    static ShapeAllowance ForEntities(size_t entities)
    {
        return ForEntities(entities, {kDrawingVisitsBase, kDrawingPointsBase});
    }
};

struct ShownPiece {
    std::string layer; // pieces on layer "0" inside a block take the reference's layer
    int aci =
        kAciByLayer; // AutoCAD colour index, 256 by layer; BYBLOCK already resolved to the reference's colour
    std::vector<Point3d> points; // world coordinates, at least two; a POINT is two equal ones
    bool closed = false;
    bool filled = false; // a solid hatch, a SOLID or TRACE
};

// Distance between the baselines of a multi-line text, in text heights.
inline constexpr double kShownTextLineSpacing = 5.0 / 3.0;

// A text's origin is the left end of its first baseline; further lines follow below it.
struct ShownText {
    std::string layer;
    int aci = kAciByLayer;
    std::string text; // formatting resolved; paragraphs separated by '\n'
    Point3d origin;
    double height = 1.0;
    double rotation = 0.0; // radians, counter-clockwise
};

struct ShownGeometry {
    std::vector<ShownPiece> pieces;
    std::vector<ShownText> texts;
};

// The pieces one entity of the model space shows, nested block references expanded; nothing for
// a kind that is kept but not shown.
// What it shows is taken from `allowance`; once that is spent, what is left of the entity and the
// entities after it show nothing more.
std::optional<ShownGeometry> ShapesOfEntity(const DxfEntityTags& entity, const DxfBlockLookup& blocks);
std::optional<ShownGeometry> ShapesOfEntity(const DxfEntityTags& entity, const DxfBlockLookup& blocks,
                                            ShapeAllowance& allowance);

// An MTEXT value with its formatting codes resolved: \P as a line feed, stacked fractions \S1^2;
// as "1/2", font, colour and height switches and braces removed, %%c %%d %%p as their symbols.
std::string PlainMText(std::string_view raw);

} // namespace velrok::host
