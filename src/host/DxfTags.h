// The tags of a DXF file as the document keeps them, and the read-only views of entities and block
// definitions that shape extraction works on. A view points into the document's own storage, so
// it stays valid only while the document is not changed.
#pragma once

#include "common/Point.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// One group-code/value pair, the value as the file has it (line end removed). The value points
// into storage the document owns (the file's text, or the texts the program added), so a large
// drawing costs little more than its file.
struct DxfTag {
    int code = 0;
    std::string_view value;
};

using DxfTagSpan = std::span<const DxfTag>;

// One entity: its own tags from its 0 tag on, then the tags of the sub-entities that belong to it
// (the VERTEX entities of a POLYLINE, the ATTRIB entities of an INSERT), each starting with its
// own 0 tag. The closing SEQEND is not among them.
struct DxfEntityTags {
    DxfTagSpan main;
    std::vector<DxfTagSpan> subs;
};

// A block definition: the entities between its BLOCK and ENDBLK, with the BLOCK's base point.
struct DxfBlockDef {
    std::string name;
    Point3d basePoint;
    std::vector<DxfEntityTags> entities;
};

// Finds a block definition by name; DXF block names match without regard to case.
class DxfBlockLookup {
  public:
    virtual ~DxfBlockLookup() = default;
    virtual const DxfBlockDef* FindBlock(std::string_view name) const = 0;
};

} // namespace velrok::host
