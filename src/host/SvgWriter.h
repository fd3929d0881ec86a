// A picture of the in-memory drawing as SVG, for the README, the command-line demo and reviews:
// a dark background like the CAD screen, host colours, one <g> per level carrying its name.
#pragma once

#include "host/InMemoryDrawing.h"

#include <string>

namespace velrok::host {

struct SvgOptions {
    double width = 1200.0; // pixels along the drawing's longer side; the other follows its proportions
    double margin = 20.0;  // pixels around the drawing
    std::string background = "#1b1f24";
};

std::string WriteSvgText(const InMemoryDrawing& drawing, const SvgOptions& options = {});
// False, with a message naming the file, when it cannot be written.
bool WriteSvgFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error,
                  const SvgOptions& options = {});

} // namespace velrok::host
