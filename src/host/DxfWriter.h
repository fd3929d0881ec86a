// Writing the whole in-memory drawing as a DXF R2000 text file that other CAD programs open:
// layers with colours, line types and weights, every model element, and the named groups as
// GROUP objects so the elements of one sweep run can be picked together.
#pragma once

#include "host/InMemoryDrawing.h"

#include <string>

namespace velrok::host {

std::string WriteDxfText(const InMemoryDrawing& drawing);

// False, with a message naming the file, when it cannot be written.
bool WriteDxfFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error);

} // namespace velrok::host
