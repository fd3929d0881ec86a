// A DXF file kept whole: every group-code/value tag in file order, with an index of its sections,
// header variables, tables and their records, blocks, entities and objects. Nothing is modelled
// away, so writing the document back gives the file again byte for byte; the drawing only adds
// to it or leaves out what the user deleted.
#pragma once

#include "host/DxfTags.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// A run of tags, from the tag at begin up to (not including) the tag at end.
struct DxfTagRange {
    size_t begin = 0;
    size_t end = 0;
};

struct DxfSection {
    std::string name;
    size_t begin = 0; // the "0 SECTION" tag
    size_t end = 0;   // the "0 ENDSEC" tag
};

struct DxfTableRecord {
    std::string type;
    std::string name;
    std::string handle;
    DxfTagRange tags;
};

struct DxfTable {
    std::string name;
    DxfTagRange head; // "0 TABLE" and the table's own tags
    std::vector<DxfTableRecord> records;
    size_t endTab = 0; // the "0 ENDTAB" tag
};

// One entity of the ENTITIES section or of a block: its own tags, its VERTEX or ATTRIB
// sub-entities and the closing SEQEND, all within its tags. A drawing holds a million of them, so
// the record holds tag numbers only; its type, handle, layer and sub-entities are read through
// the document (EntityType, EntityHandle, EntityLayer, EntitySubs).
struct DxfEntityRef {
    uint32_t begin = 0; // the entity's 0 tag
    uint32_t end = 0;   // one past its last tag (its SEQEND's included)
    uint32_t handleTag = 0; // the tag of its handle; 0 for none (an R12 file without handles)
    uint32_t layerTag = 0;  // the tag of its layer; 0 for none
    uint32_t firstSub = 0;  // its sub-entities, each from its own 0 tag, SEQEND excluded: in the
    uint32_t subCount = 0;  // document's list of them
    bool paperSpace = false;
    bool imported = false; // the reader made a drawing element of it

    DxfTagRange Tags() const { return {begin, end}; }
};

struct DxfObjectRef {
    std::string type;
    std::string handle;
    DxfTagRange tags;
};

struct DxfBlock {
    std::string name;
    DxfTagRange tags; // BLOCK to the end of ENDBLK
    std::vector<DxfEntityRef> entities;
};

// Versions as $ACADVER names them; an R12 file (AC1009 or older, or no version at all) knows no
// groups, no LWPOLYLINE and no owner handles.
inline constexpr std::string_view kDxfVersionR12 = "AC1009";
inline constexpr std::string_view kDxfVersionR2007 = "AC1021";

class DxfDocument;

// The document's tags as a sequence; each tag is made on access from the file's text.
class DxfTagList {
  public:
    explicit DxfTagList(const DxfDocument& doc) : m_doc(doc) {}
    DxfTag operator[](size_t i) const;
    int Code(size_t i) const; // the group code alone
    size_t size() const;

  private:
    const DxfDocument& m_doc;
};

class DxfDocument : public DxfBlockLookup {
  public:
    struct Parsed;
    // Checks and indexes the text; an empty error means the document is sound. The message names
    // the line ("line 12: ...").
    static Parsed Parse(std::string text);

    DxfTagList Tags() const { return DxfTagList(*this); }
    size_t TagCount() const { return m_codeStart.size() - 1; }
    DxfTag Tag(size_t i) const;
    // A tag's group code alone, without finding its value.
    int TagCode(size_t i) const;
    // The file's bytes of the tags [begin, end), line ends included, as they were read.
    std::string_view Raw(size_t begin, size_t end) const;
    std::string_view Raw(DxfTagRange range) const { return Raw(range.begin, range.end); }
    // The line number of a tag's group code (1-based).
    size_t LineOf(size_t tag) const { return 2 * tag + 1; }
    std::string_view LineEnd() const { return m_crlf ? "\r\n" : "\n"; }

    const std::string& Version() const { return m_version; }
    bool IsR12() const { return m_version.empty() || m_version <= kDxfVersionR12; }
    // Texts are in the Windows code page before AutoCAD 2007, UTF-8 from then on.
    bool CodePage() const { return m_version < kDxfVersionR2007; }

    const std::vector<DxfSection>& Sections() const { return m_sections; }
    const DxfSection* FindSection(std::string_view name) const;
    // The index of a header variable's first value tag.
    std::optional<size_t> HeaderVariable(std::string_view name) const;
    const std::vector<DxfTable>& Tables() const { return m_tables; }
    const DxfTable* FindTable(std::string_view name) const;
    const DxfTableRecord* FindRecord(std::string_view table, std::string_view name) const;
    const std::vector<DxfBlock>& Blocks() const { return m_blocks; }
    // The ENTITIES section, model and paper space, in file order.
    const std::vector<DxfEntityRef>& Entities() const { return m_entities; }
    std::vector<DxfEntityRef>& MutableEntities() { return m_entities; }
    std::string_view EntityType(const DxfEntityRef& entity) const;
    std::string_view EntityHandle(const DxfEntityRef& entity) const; // empty when it has none
    std::string_view EntityLayer(const DxfEntityRef& entity) const;  // empty when it has none
    std::span<const DxfTagRange> EntitySubs(const DxfEntityRef& entity) const;
    const std::vector<DxfObjectRef>& Objects() const { return m_objects; }
    // The largest handle any tag of the file gives, 0 when none.
    uint64_t MaxHandle() const { return m_maxHandle; }

    // The view of an entity, its tags copied into storage (which must outlive the view).
    DxfEntityTags EntityTags(const DxfEntityRef& entity, std::vector<DxfTag>& storage) const;
    std::vector<DxfTag> Span(DxfTagRange range) const;
    const DxfBlockDef* FindBlock(std::string_view name) const override;

  private:
    DxfDocument() = default;
    std::string Index(); // fills the index; returns an error text
    void IndexEntities(size_t begin, size_t limit, std::vector<DxfEntityRef>& entities);

    std::string m_text;
    // The byte offset of each tag's code line, plus one past the end: all a tag costs. Its code
    // and value are read from the text when asked for.
    std::vector<uint32_t> m_codeStart;
    std::vector<DxfTagRange> m_subs; // the sub-entities of all entities
    std::vector<DxfTag> m_blockTags; // the BLOCKS section's tags, which the block views point into
    bool m_crlf = false;
    std::string m_version;
    std::vector<DxfSection> m_sections;
    std::map<std::string, size_t, std::less<>> m_header;
    std::vector<DxfTable> m_tables;
    std::vector<DxfBlock> m_blocks;
    std::vector<DxfBlockDef> m_blockDefs;
    std::map<std::string, size_t, std::less<>> m_blockByName; // upper-case name -> m_blockDefs
    std::vector<DxfEntityRef> m_entities;
    std::vector<DxfObjectRef> m_objects;
    uint64_t m_maxHandle = 0; // the header's $HANDSEED is the next free handle, not one in use
    size_t m_entityZeros = 0;
};

struct DxfDocument::Parsed {
    std::shared_ptr<DxfDocument> document; // null when refused
    std::string error;
};

// Helpers the reader and writer share.
std::string UpperAscii(std::string_view s);
bool SameIgnoringCase(std::string_view a, std::string_view b);
std::string_view TrimTagValue(std::string_view s);
// A hexadecimal handle's value; 0 for text that is no handle.
uint64_t HandleValue(std::string_view handle);
std::string HandleText(uint64_t handle);

} // namespace velrok::host
