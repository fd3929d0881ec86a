// Reading a DXF drawing (R12 to R2018, text form) into an in-memory drawing. The whole file is
// kept as a document beside the drawing, so saving gives back everything the drawing does not
// model; a broken file gives one clear message and no drawing at all.
#pragma once

#include "host/DxfTagReader.h"
#include "host/InMemoryDrawing.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {


struct DxfImport {
    std::shared_ptr<InMemoryDrawing> drawing; // null when the file was refused
    std::string error;                        // names the file and what is wrong with it
    int skippedEntities = 0; // model-space entities that are neither path elements nor shown
    int keptNotShown = 0;    // of those: kinds kept in the file that show nothing (written back as read)
    int shownEntities = 0;   // block references, hatches ... the drawing shows by their pieces
    bool ok() const { return drawing != nullptr; }
};

DxfImport ReadDxfFile(const std::string& path);
// The same from text already in memory; fileName only appears in messages. `shapeBase` is what
// the shown entities of the drawing may cost before its own share per entity: a fuzzer lowers it
// to meet the limits in fewer steps.
DxfImport ReadDxfText(std::string_view text, const std::string& fileName, ShapeAllowance shapeBase = {});
// The same, taking the text over instead of copying it (the document keeps it).
DxfImport ReadDxfBuffer(std::string text, const std::string& fileName, ShapeAllowance shapeBase = {});

// Elements a path can be taken from (lines, arcs, circles, polylines, splines, ellipses) on the
// level of that name, in drawing order.
std::vector<ElementHandle> PathElementsOnLevel(const InMemoryDrawing& drawing, const std::string& levelName);

} // namespace velrok::host
