// Writing an entity read from a file whose colour, layer, line type or line weight the user
// changed: its own tags as read, with only those attribute tags replaced, added or dropped, so
// handles, owner, reactors, XDATA and sub-entities stay as they were.
#pragma once

#include "host/DxfDocument.h"
#include "host/DxfEntityWriter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velrok::host {

// The common attributes as an entity's tags give them; by layer where a tag is missing.
struct DxfCommonTags {
    std::string layer; // as in the file, trimmed
    std::string lineType;
    int aci = 256;
    int lineweight = -1;
};

// What to write instead; an empty field keeps the file's tag. An empty line type, colour 256 or
// line weight -1 means by layer: the tag is dropped. Any colour written drops the true colour.
struct DxfCommonEdit {
    std::optional<std::string> layer; // encoded for the file
    std::optional<std::string> lineType;
    std::optional<int> aci;
    std::optional<int> lineweight;
    bool Empty() const { return !layer && !lineType && !aci && !lineweight; }
};

// Where the common attributes of an entity lie within its own tags (main, from its 0 tag): the
// group after its AcDbEntity marker; without one (R12, or a writer that leaves markers out)
// everything after the 0 tag up to the first subclass marker or XDATA.
DxfTagRange CommonGroup(const DxfDocument& doc, DxfTagRange main);
DxfCommonTags CommonTagsOf(const DxfDocument& doc, DxfTagRange main);

// The host colour and unmatched colour index the reader gives an entity of that colour index.
void HostColorOfEntityAci(int aci, int& color, int& dxfColor);

// Writes the tags of main with the edit applied in the common group; tags for which skip is true
// (reactors to what is no longer written) are left out. A tag the entity lacks goes in the
// place DXF gives it: layer, line type, colour, line weight, in that order.
void WriteEditedEntityTags(DxfOut& out, const DxfDocument& doc, DxfTagRange main, const DxfCommonEdit& edit,
                           const std::vector<bool>& skip);
// The same, every tag not changed written by copy (which may change it on its way, as a copy
// into another drawing does with handles).
void WriteEditedEntityTags(DxfOut& out, const DxfDocument& doc, DxfTagRange main, const DxfCommonEdit& edit,
                           const std::function<void(size_t tag)>& copy);

} // namespace velrok::host
