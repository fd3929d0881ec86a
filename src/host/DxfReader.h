// Reading a DXF drawing (R12 to R2018, text form) into an in-memory drawing. The file's text
// structure is checked first, so a broken file gives one clear message and no drawing at all.
#pragma once

#include "host/InMemoryDrawing.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// Coordinates beyond this magnitude are refused: no road drawing is that large, and such numbers
// are what a damaged file usually holds.
inline constexpr double kMaxDxfCoordinate = 1e12;

struct DxfImport {
    std::shared_ptr<InMemoryDrawing> drawing; // null when the file was refused
    std::string error;                        // names the file and what is wrong with it
    int skippedEntities = 0;                  // entities of kinds the drawing does not hold
    bool ok() const { return drawing != nullptr; }
};

DxfImport ReadDxfFile(const std::string& path);
// The same from text already in memory; fileName only appears in messages.
DxfImport ReadDxfText(std::string_view text, const std::string& fileName);

// Elements a path can be taken from (lines, arcs, circles, polylines, splines, ellipses) on the
// level of that name, in drawing order.
std::vector<ElementHandle> PathElementsOnLevel(const InMemoryDrawing& drawing, const std::string& levelName);

} // namespace velrok::host
