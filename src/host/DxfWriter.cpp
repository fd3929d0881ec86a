// The DXF writer: streams the drawing's document section by section, copying the bytes of every
// tag that did not change, and adds the program's layers, line types, entities and groups where
// they belong. Handles of new things start at the file's $HANDSEED (or above its largest handle),
// and $HANDSEED is moved past them.
#include "host/DxfWriter.h"

#include "host/DxfDocument.h"
#include "host/DxfEntityCopy.h"
#include "host/DxfEntityEdit.h"
#include "host/DxfEntityWriter.h"
#include "host/DxfLineTypes.h"
#include "host/DxfText.h"
#include "host/HostColors.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <system_error>
#include <tuple>
#include <unistd.h>

namespace velrok::host {

namespace {

// A new R2000 drawing holding only what every drawing needs; the program's additions go into it
// as into any file read.
std::string NewDrawingText()
{
    std::string text;
    DxfOut o(text, "\n");
    auto section = [&](const char* name) {
        o.Pair(0, "SECTION");
        o.Pair(2, name);
    };
    auto table = [&](const char* name, uint64_t h, int count) {
        o.Pair(0, "TABLE");
        o.Pair(2, name);
        o.Handle(5, h);
        o.Pair(330, "0");
        o.Pair(100, "AcDbSymbolTable");
        o.Int(70, count);
    };
    auto record = [&](const char* type, uint64_t h, uint64_t owner, const char* subclass, const char* name,
                      int handleCode = 5) {
        o.Pair(0, type);
        o.Handle(handleCode, h);
        o.Handle(330, owner);
        o.Pair(100, "AcDbSymbolTableRecord");
        o.Pair(100, subclass);
        o.Pair(2, name);
        o.Int(70, 0);
    };
    o.Pair(999, "Velrok");
    section("HEADER");
    o.Pair(9, "$ACADVER");
    o.Pair(1, "AC1015");
    o.Pair(9, "$DWGCODEPAGE");
    o.Pair(3, "ANSI_1252");
    o.Pair(9, "$INSBASE");
    o.Point(10, {});
    o.Pair(9, "$HANDSEED");
    o.Handle(5, 0x1A);
    o.Pair(9, "$MEASUREMENT");
    o.Int(70, 1);
    o.Pair(0, "ENDSEC");
    section("CLASSES");
    o.Pair(0, "ENDSEC");
    section("TABLES");
    table("VPORT", 0x1, 1);
    record("VPORT", 0x2, 0x1, "AcDbViewportTableRecord", "*Active");
    o.Point(10, {});
    o.Real(11, 1.0);
    o.Real(21, 1.0);
    o.Real(12, 0.0);
    o.Real(22, 0.0);
    o.Real(40, 100.0);
    o.Real(41, 1.5);
    o.Pair(0, "ENDTAB");
    table("LTYPE", 0x3, 3);
    for (auto [h, name, description] : {std::tuple{0x4, "ByBlock", ""}, std::tuple{0x5, "ByLayer", ""},
                                        std::tuple{0x6, "Continuous", "Solid line"}}) {
        record("LTYPE", h, 0x3, "AcDbLinetypeTableRecord", name);
        o.Pair(3, description);
        o.Int(72, 65);
        o.Int(73, 0);
        o.Real(40, 0.0);
    }
    o.Pair(0, "ENDTAB");
    table("LAYER", 0x7, 1);
    record("LAYER", 0x8, 0x7, "AcDbLayerTableRecord", "0");
    o.Int(62, 7);
    o.Pair(6, "Continuous");
    o.Int(370, -3);
    o.Pair(0, "ENDTAB");
    table("STYLE", 0x9, 1);
    record("STYLE", 0xA, 0x9, "AcDbTextStyleTableRecord", "Standard");
    o.Real(40, 0.0);
    o.Real(41, 1.0);
    o.Real(50, 0.0);
    o.Int(71, 0);
    o.Real(42, 2.5);
    o.Pair(3, "txt");
    o.Pair(4, "");
    o.Pair(0, "ENDTAB");
    table("VIEW", 0xB, 0);
    o.Pair(0, "ENDTAB");
    table("UCS", 0xC, 0);
    o.Pair(0, "ENDTAB");
    table("APPID", 0xD, 1);
    record("APPID", 0xE, 0xD, "AcDbRegAppTableRecord", "ACAD");
    o.Pair(0, "ENDTAB");
    table("DIMSTYLE", 0xF, 1);
    o.Pair(100, "AcDbDimStyleTable");
    record("DIMSTYLE", 0x10, 0xF, "AcDbDimStyleTableRecord", "Standard", 105);
    o.Pair(0, "ENDTAB");
    table("BLOCK_RECORD", 0x11, 2);
    record("BLOCK_RECORD", 0x12, 0x11, "AcDbBlockTableRecord", "*Model_Space");
    record("BLOCK_RECORD", 0x13, 0x11, "AcDbBlockTableRecord", "*Paper_Space");
    o.Pair(0, "ENDTAB");
    o.Pair(0, "ENDSEC");
    section("BLOCKS");
    for (auto [name, owner, begin] : {std::tuple{"*Model_Space", 0x12, 0x14}, std::tuple{"*Paper_Space", 0x13, 0x16}}) {
        for (const char* type : {"BLOCK", "ENDBLK"}) {
            const bool head = type[0] == 'B';
            o.Pair(0, type);
            o.Handle(5, begin + (head ? 0 : 1));
            o.Handle(330, owner);
            o.Pair(100, "AcDbEntity");
            if (owner == 0x13)
                o.Int(67, 1);
            o.Pair(8, "0");
            if (!head) {
                o.Pair(100, "AcDbBlockEnd");
                continue;
            }
            o.Pair(100, "AcDbBlockBegin");
            o.Pair(2, name);
            o.Int(70, 0);
            o.Point(10, {});
            o.Pair(3, name);
            o.Pair(1, "");
        }
    }
    o.Pair(0, "ENDSEC");
    section("ENTITIES");
    o.Pair(0, "ENDSEC");
    section("OBJECTS");
    o.Pair(0, "DICTIONARY");
    o.Handle(5, 0x18);
    o.Pair(330, "0");
    o.Pair(100, "AcDbDictionary");
    o.Int(281, 1);
    o.Pair(3, "ACAD_GROUP");
    o.Handle(350, 0x19);
    o.Pair(0, "DICTIONARY");
    o.Handle(5, 0x19);
    o.Handle(330, 0x18);
    o.Pair(100, "AcDbDictionary");
    o.Int(281, 1);
    o.Pair(0, "ENDSEC");
    o.Pair(0, "EOF");
    return text;
}

std::shared_ptr<const DxfDocument> NewDrawingDocument()
{
    DxfDocument::Parsed parsed = DxfDocument::Parse(NewDrawingText());
    if (!parsed.document)
        throw std::logic_error("the new-drawing template is no sound DXF: " + parsed.error);
    return parsed.document;
}

struct NewGroup {
    const DrawingGroup* group;
    uint64_t handle = 0;
};

struct NewLineType {
    std::string name;
    const DrawingLineStyle* style;
};

class DocumentWriter {
  public:
    // source: the file the drawing was read from, whose entities a results file copies.
    DocumentWriter(const InMemoryDrawing& drawing, const DxfDocument& doc, bool resultsOnly,
                   std::optional<NamedGroupHandle> only, const DxfDocument* source)
        : m_drawing(drawing), m_doc(doc), m_r12(doc.IsR12()), m_codePage(doc.CodePage()), m_resultsOnly(resultsOnly)
    {
        const DxfTagList tags = doc.Tags();
        uint64_t seed = 0;
        if (auto v = doc.HeaderVariable("$HANDSEED"))
            seed = HandleValue(tags[*v].value);
        m_handles = !m_r12 || doc.HeaderVariable("$HANDSEED").has_value();
        m_next = std::max(seed, doc.MaxHandle() + 1);
        m_seed = seed;
        m_firstFree = m_next;
        if (const DxfTableRecord* ms = doc.FindRecord("BLOCK_RECORD", "*Model_Space"))
            m_modelSpace = ms->handle;

        // Which entities and groups of the file are still in the drawing.
        std::vector<bool> present(doc.Entities().size(), false);
        std::set<uint64_t> chosen;
        for (const DrawingGroup& g : drawing.Groups())
            if (!only || g.handle == *only)
                for (const ElementId& id : g.members)
                    chosen.insert(id.Value());
        drawing.ForEachModelElement([&](const DrawingElement& element) {
            const DrawingElement* e = &element;
            if (!resultsOnly && e->dxfEntity >= 0) {
                if (static_cast<size_t>(e->dxfEntity) < present.size())
                    present[static_cast<size_t>(e->dxfEntity)] = true;
                if (e->editedAttributes != 0)
                    m_editedElements.push_back(e);
                return;
            }
            if (resultsOnly && !chosen.count(e->id.Value()))
                return;
            if (e->kind == ElementKind::Shown) {
                if (resultsOnly)
                    m_shownMembers.push_back(e); // copied from its file's tags below
                return; // a kept entity whose document is gone cannot be written again
            }
            m_newElements.push_back(e);
        });
        const std::vector<DxfEntityRef>& entities = doc.Entities();
        m_keep.assign(entities.size(), true);
        for (size_t i = 0; i < entities.size(); ++i)
            if (entities[i].imported && !present[i]) {
                m_keep[i] = false;
                if (const std::string_view handle = doc.EntityHandle(entities[i]); !handle.empty())
                    m_omitted.insert(UpperAscii(handle));
            }
        std::set<std::string> keptGroups;
        for (const DrawingGroup& g : drawing.Groups()) {
            if (resultsOnly && only && g.handle != *only)
                continue;
            if (!resultsOnly && !g.dxfHandle.empty())
                keptGroups.insert(UpperAscii(g.dxfHandle));
            else
                m_newGroups.push_back({&g, 0});
        }
        for (const DxfObjectRef& o : doc.Objects())
            if (o.type == "GROUP" && !keptGroups.count(UpperAscii(o.handle)))
                m_omitted.insert(UpperAscii(o.handle));

        // Handles: groups first, so an entity's reactors are known when it is written.
        if (!m_r12)
            for (NewGroup& g : m_newGroups) {
                g.handle = m_next++;
                for (const ElementId& id : g.group->members)
                    m_reactors[id.Value()].push_back(g.handle);
            }
        for (const DrawingElement* e : m_newElements)
            m_elementHandles[e->id.Value()] = m_handles ? m_next++ : 0;
        CopyShownMembers(source);

        // Layers and line types the file lacks.
        std::set<uint64_t> usedLevels;
        for (const DrawingElement* e : m_newElements)
            usedLevels.insert(e->level.id);
        for (const DrawingElement* e : m_shownMembers)
            if (m_elementHandles.count(e->id.Value()))
                usedLevels.insert(e->level.id); // the level the user may have moved it to
        if (m_copy)
            for (const std::string& name : m_copy->Layers())
                if (auto level = drawing.FindLevelByName(name))
                    usedLevels.insert(level->id);
        for (const DrawingLevel& level : drawing.LevelTable()) {
            if (resultsOnly && !usedLevels.count(level.handle.id))
                continue;
            if (!HasRecord("LAYER", level.name))
                m_newLevels.push_back(&level);
        }
        for (const DrawingLevel* level : m_newLevels)
            LineTypeName(level->lineStyle);
        for (const DrawingElement* e : m_newElements)
            LineTypeName(e->lineStyle);
        for (const DrawingElement* e : m_editedElements)
            if (DxfCommonEdit edit = EditOf(*e, m_doc); !edit.Empty())
                m_edits[e->dxfEntity] = std::move(edit);
        m_groupWarning = m_r12 && std::any_of(m_newGroups.begin(), m_newGroups.end(), [](const NewGroup& g) {
                             return !g.group->members.empty();
                         });
    }

    // With a sink the text goes there as it is made and the result is empty.
    std::string Run(DxfWriteNotes& notes, std::ostream* sink = nullptr)
    {
        std::string text;
        if (!sink)
            text.reserve(m_doc.Raw(0, m_doc.Tags().size()).size() + 256 * m_newElements.size() + 4096);
        DxfOut out = sink ? DxfOut(text, m_doc.LineEnd(), *sink) : DxfOut(text, m_doc.LineEnd());
        const std::vector<DxfSection>& sections = m_doc.Sections();
        // For the handles of the new tables, layers and line types: all are given out before the
        // header is written, whose $HANDSEED must pass them.
        for (size_t i = 0; i < m_newLevels.size(); ++i)
            m_levelHandles.push_back(m_handles ? m_next++ : 0);
        for (size_t i = 0; i < m_newLineTypes.size(); ++i)
            m_lineTypeHandles.push_back(m_handles ? m_next++ : 0);
        const bool needGroupDictionary = !m_r12 && !m_newGroups.empty() && GroupDictionary().empty();
        if (needGroupDictionary)
            m_newGroupDictionary = m_next++;
        const bool needObjects = !m_r12 && !m_newGroups.empty() && !m_doc.FindSection("OBJECTS");
        if (needObjects)
            m_newRoot = m_next++;
        // New entities take the handles of their vertices as they are written: written first.
        DxfOut entityOut(m_newEntityText, m_doc.LineEnd());
        NewEntities(entityOut);

        size_t at = 0;
        bool wroteEntities = false;
        for (const DxfSection& s : sections) {
            out.Raw(m_doc.Raw(at, s.begin));
            if ((s.name == "OBJECTS") && !m_doc.FindSection("ENTITIES")) {
                NewEntitiesSection(out);
                wroteEntities = true;
            }
            if (s.name == "HEADER")
                Header(out, s);
            else if (s.name == "TABLES")
                Tables(out, s);
            else if (s.name == "ENTITIES")
                Entities(out, s);
            else if (s.name == "OBJECTS")
                Objects(out, s);
            else if (s.name == "BLOCKS" && m_copy) {
                out.Raw(m_doc.Raw(s.begin, s.end));
                m_copy->WriteBlocks(out);
                out.Raw(m_doc.Raw(s.end, s.end + 1));
            } else
                out.Raw(m_doc.Raw(s.begin, s.end + 1));
            at = s.end + 1;
        }
        if (!m_doc.FindSection("ENTITIES") && !wroteEntities)
            NewEntitiesSection(out);
        if (needObjects)
            NewObjectsSection(out);
        out.Raw(m_doc.Raw(at, m_doc.Tags().size()));
        out.Flush();
        if (m_groupWarning)
            notes.warnings.push_back(kR12GroupWarning);
        if (!m_leftOut.empty())
            notes.warnings.push_back(ResultsLeftOutWarning(m_leftOut));
        return text;
    }

  private:
    // Members kept from the file as they were read (block references, hatches ...) have no form
    // the drawing could write; a results file copies their own tags, or says which it could not.
    void CopyShownMembers(const DxfDocument* source)
    {
        if (m_shownMembers.empty())
            return;
        if (source && !m_r12)
            m_copy.emplace(*source, m_codePage, [this](std::string_view table, std::string_view name) {
                const DxfTableRecord* r = m_doc.FindRecord(table, name);
                return r ? r->handle : std::string();
            });
        for (const DrawingElement* e : m_shownMembers) {
            uint64_t handle = 0;
            std::vector<uint64_t> reactors;
            if (auto r = m_reactors.find(e->id.Value()); r != m_reactors.end())
                reactors = r->second;
            const bool inFile = source && e->dxfEntity >= 0 && static_cast<size_t>(e->dxfEntity) < source->Entities().size();
            if (m_copy && inFile &&
                m_copy->Add(source->Entities()[static_cast<size_t>(e->dxfEntity)], reactors, EditOf(*e, *source),
                            m_next, handle))
                m_elementHandles[e->id.Value()] = handle;
            else
                ++m_leftOut[e->extras->dxfKind.empty() ? std::string("?") : e->extras->dxfKind];
        }
    }

    std::string Encode(const std::string& utf8) const { return EncodeDxfText(utf8, m_codePage); }

    // The name an element or level's style is written under, adding the line type when the file lacks it.
    std::string LineTypeName(std::optional<LineStyleHandle> style)
    {
        if (!style)
            return {};
        const DrawingLineStyle& s = m_drawing.LineStyle(*style);
        const std::string name = Encode(DxfLineTypeName(s));
        if (!HasRecord("LTYPE", DxfLineTypeName(s)) && m_doc.FindTable("LTYPE") &&
            std::none_of(m_newLineTypes.begin(), m_newLineTypes.end(),
                         [&](const NewLineType& t) { return SameIgnoringCase(t.name, name); }) &&
            !(m_copy && m_copy->Copies("LTYPE", name)))
            m_newLineTypes.push_back({name, &s});
        return name;
    }

    // Whether the file's table has a record of that (UTF-8) name; names compare as the file
    // decodes them, so a code-page name matches its UTF-8 form.
    bool HasRecord(std::string_view table, const std::string& utf8) const
    {
        if (const DxfTable* t = m_doc.FindTable(table))
            for (const DxfTableRecord& r : t->records)
                if (SameIgnoringCase(DecodeDxfText(r.name, m_codePage), utf8))
                    return true;
        return false;
    }

    std::string GroupDictionary() const
    {
        for (const DxfObjectRef& o : m_doc.Objects()) {
            if (o.type != "DICTIONARY")
                continue;
            // The root dictionary is the first object; its ACAD_GROUP entry names the dictionary.
            bool next = false;
            for (const DxfTag& t : m_doc.Span(o.tags)) {
                if (t.code == 3)
                    next = TrimTagValue(t.value) == "ACAD_GROUP";
                else if (next && (t.code == 350 || t.code == 360))
                    return std::string(TrimTagValue(t.value));
            }
            break;
        }
        return {};
    }

    void Header(DxfOut& out, const DxfSection& s)
    {
        const auto seed = m_doc.HeaderVariable("$HANDSEED");
        const std::string fresh = HandleText(m_next);
        for (size_t i = s.begin; i <= s.end; ++i) {
            const std::string_view raw = m_doc.Raw(i, i + 1);
            if (seed && i == *seed && m_next != m_firstFree) {
                const DxfTag tag = m_doc.Tags()[i];
                if (tag.code == 5) {
                    out.Raw(raw.substr(0, tag.value.data() - raw.data()));
                    out.Raw(fresh);
                    out.Raw(out.Eol());
                } else {
                    // A handle under another group code (a real, say) would be read back as a
                    // number that is none: the seed is written as the handle it is.
                    out.Pair(5, fresh);
                }
            } else
                out.Raw(raw);
        }
    }

    void Tables(DxfOut& out, const DxfSection& s)
    {
        size_t at = s.begin;
        for (const DxfTable& t : m_doc.Tables()) {
            if (t.head.begin < s.begin || t.head.begin > s.end)
                continue;
            const bool layers = SameIgnoringCase(t.name, "LAYER"), lineTypes = SameIgnoringCase(t.name, "LTYPE");
            const size_t added = (layers ? m_newLevels.size() : lineTypes ? m_newLineTypes.size() : 0) +
                                 (m_copy ? m_copy->RecordCount(t.name) : 0);
            out.Raw(m_doc.Raw(at, t.head.begin));
            std::string tableHandle;
            for (size_t i = t.head.begin; i < t.head.end; ++i) {
                const DxfTag& tag = m_doc.Tags()[i];
                if (tag.code == 5 && tableHandle.empty())
                    tableHandle = std::string(TrimTagValue(tag.value));
                if (tag.code == 70 && added > 0) {
                    const std::string_view raw = m_doc.Raw(i, i + 1);
                    out.Raw(raw.substr(0, tag.value.data() - raw.data()));
                    out.Raw(std::to_string(t.records.size() + added));
                    out.Raw(out.Eol());
                } else
                    out.Raw(m_doc.Raw(i, i + 1));
            }
            out.Raw(m_doc.Raw(t.head.end, t.endTab));
            if (m_copy)
                m_copy->WriteRecords(out, t.name, tableHandle);
            if (lineTypes)
                for (size_t k = 0; k < m_newLineTypes.size(); ++k)
                    WriteNewLineType(out, m_r12, m_lineTypeHandles[k], tableHandle, m_newLineTypes[k].name,
                                     Encode(m_newLineTypes[k].style->description), m_newLineTypes[k].style->dashes);
            if (layers)
                for (size_t k = 0; k < m_newLevels.size(); ++k) {
                    const DrawingLevel& level = *m_newLevels[k];
                    int aci = HostColorToAci(level.color);
                    if (aci == kAciByLayer)
                        aci = level.dxfColor > 0 ? level.dxfColor : 7; // a layer needs a real colour
                    std::string lineType = LineTypeName(level.lineStyle);
                    WriteNewLayer(out, m_r12, m_levelHandles[k], tableHandle, Encode(level.name), aci,
                                  lineType.empty() ? kDxfContinuous : lineType, WeightToLineweight(level.weight));
                }
            at = t.endTab;
        }
        out.Raw(m_doc.Raw(at, s.end + 1));
    }

    // What an element read from the file and edited since must change in its entity's tags:
    // only the attributes whose value is no longer the one the file gives.
    // file: the document the element was read from (the one written, unless a results file).
    DxfCommonEdit EditOf(const DrawingElement& e, const DxfDocument& file_)
    {
        DxfCommonEdit edit;
        if (e.editedAttributes == 0)
            return edit;
        const DxfEntityRef& ref = file_.Entities()[static_cast<size_t>(e.dxfEntity)];
        const std::span<const DxfTagRange> subs = file_.EntitySubs(ref);
        const DxfTagRange main{ref.begin, subs.empty() ? ref.end : subs.front().begin};
        const DxfCommonTags file = CommonTagsOf(file_, main);
        if (e.editedAttributes & kEditedLevel) {
            const std::string name = m_drawing.LevelName(e.level);
            const std::string read =
                file.layer.empty() ? kDefaultLevelName : DecodeDxfText(file.layer, file_.CodePage());
            if (!SameNameIgnoringCase(read, name))
                edit.layer = Encode(name);
        }
        if (e.editedAttributes & kEditedColor) {
            int color = 0, dxfColor = 0;
            HostColorOfEntityAci(file.aci, color, dxfColor);
            if (color != e.color || dxfColor != e.dxfColor)
                edit.aci = e.color == kColorByLevel && e.dxfColor > 0 ? e.dxfColor : HostColorToAci(e.color);
        }
        if (e.editedAttributes & kEditedLineStyle) {
            const std::string name = LineTypeName(e.lineStyle);
            const bool fileByLayer = file.lineType.empty() || SameIgnoringCase(file.lineType, "BYLAYER");
            if (name.empty() ? !fileByLayer : !SameIgnoringCase(name, file.lineType))
                edit.lineType = name;
        }
        if ((e.editedAttributes & kEditedWeight) && !m_r12 && LineweightToWeight(file.lineweight) != e.weight)
            edit.lineweight = WeightToLineweight(e.weight);
        return edit;
    }

    // An entity's tags, leaving out the reactors that point to groups no longer written, with the
    // attributes the user changed.
    void Entity(DxfOut& out, const DxfEntityRef& e, const DxfCommonEdit* edit)
    {
        const DxfTagList tags = m_doc.Tags();
        const std::span<const DxfTagRange> subs = m_doc.EntitySubs(e);
        const size_t mainEnd = subs.empty() ? e.end : subs.front().begin;
        bool filter = false, inReactors = false;
        for (size_t i = e.begin; i < mainEnd && !filter; ++i) {
            if (tags[i].code == 102)
                inReactors = TrimTagValue(tags[i].value) == "{ACAD_REACTORS";
            else if (inReactors && tags[i].code == 330 && m_omitted.count(UpperAscii(TrimTagValue(tags[i].value))))
                filter = true;
        }
        if (!filter && !edit) {
            out.Raw(m_doc.Raw(e.Tags()));
            return;
        }
        std::vector<bool> skip(mainEnd - e.begin, false);
        for (size_t i = e.begin; filter && i < mainEnd; ++i) {
            if (tags[i].code == 102 && TrimTagValue(tags[i].value) == "{ACAD_REACTORS") {
                size_t close = i + 1;
                size_t kept = 0;
                for (; close < mainEnd && tags[close].code != 102; ++close) {
                    if (tags[close].code == 330 && m_omitted.count(UpperAscii(TrimTagValue(tags[close].value))))
                        skip[close - e.begin] = true;
                    else
                        ++kept;
                }
                if (kept == 0) {
                    skip[i - e.begin] = true;
                    if (close < mainEnd)
                        skip[close - e.begin] = true;
                }
                i = close;
            }
        }
        WriteEditedEntityTags(out, m_doc, {e.begin, mainEnd}, edit ? *edit : DxfCommonEdit{}, skip);
        out.Raw(m_doc.Raw(mainEnd, e.end));
    }

    void NewEntities(DxfOut& out)
    {
        for (const DrawingElement* e : m_newElements) {
            DxfEntityForm f;
            f.r12 = m_r12;
            f.handles = m_handles;
            f.handle = m_elementHandles[e->id.Value()];
            f.owner = m_modelSpace;
            if (auto r = m_reactors.find(e->id.Value()); r != m_reactors.end())
                f.reactors = r->second;
            f.layer = Encode(m_drawing.LevelName(e->level));
            f.lineType = LineTypeName(e->lineStyle);
            f.aci = e->color == kColorByLevel && e->dxfColor > 0 ? e->dxfColor : HostColorToAci(e->color);
            f.lineweight = WeightToLineweight(e->weight);
            if (e->kind == ElementKind::Text)
                f.text = Encode(e->extras->text.text);
            WriteNewEntity(out, *e, f, m_next);
        }
        if (m_copy)
            m_copy->WriteEntities(out, m_modelSpace);
    }

    void Entities(DxfOut& out, const DxfSection& s)
    {
        const std::vector<DxfEntityRef>& entities = m_doc.Entities();
        size_t at = s.begin;
        for (size_t i = 0; i < entities.size(); ++i) {
            const DxfEntityRef& e = entities[i];
            if (e.begin < s.begin || e.begin > s.end)
                continue;
            out.Raw(m_doc.Raw(at, e.begin));
            if (m_keep[i]) {
                auto edit = m_edits.find(static_cast<long>(i));
                Entity(out, e, edit == m_edits.end() ? nullptr : &edit->second);
            }
            at = e.end;
        }
        out.Raw(m_doc.Raw(at, s.end));
        if (&s == m_doc.FindSection("ENTITIES"))
            out.Raw(m_newEntityText);
        out.Raw(m_doc.Raw(s.end, s.end + 1));
    }

    void NewEntitiesSection(DxfOut& out)
    {
        if (m_newElements.empty())
            return;
        out.Pair(0, "SECTION");
        out.Pair(2, "ENTITIES");
        out.Raw(m_newEntityText);
        out.Pair(0, "ENDSEC");
    }

    std::vector<std::string> MemberHandles(const DrawingGroup& g) const
    {
        std::vector<std::string> members;
        for (const ElementId& id : g.members) {
            if (auto h = m_elementHandles.find(id.Value()); h != m_elementHandles.end()) {
                members.push_back(HandleText(h->second));
                continue;
            }
            const DrawingElement& e = m_drawing.Element({id.Value()});
            if (const std::string_view handle = m_drawing.DxfHandle(e);
                !m_resultsOnly && !handle.empty() && e.dxfEntity >= 0)
                members.push_back(std::string(handle));
        }
        return members;
    }

    void NewGroupEntries(DxfOut& out)
    {
        for (const NewGroup& g : m_newGroups) {
            out.Pair(3, Encode(g.group->name));
            out.Handle(350, g.handle);
        }
    }

    void NewGroups(DxfOut& out, uint64_t dictionary)
    {
        for (const NewGroup& g : m_newGroups)
            WriteNewGroup(out, g.handle, dictionary, "Velrok sweep", MemberHandles(*g.group));
    }

    void Objects(DxfOut& out, const DxfSection& s)
    {
        const DxfTagList tags = m_doc.Tags();
        const std::string dictionary = UpperAscii(GroupDictionary());
        const bool addGroups = !m_r12 && !m_newGroups.empty();
        size_t at = s.begin;
        bool first = true;
        for (const DxfObjectRef& o : m_doc.Objects()) {
            if (o.tags.begin < s.begin || o.tags.begin > s.end)
                continue;
            out.Raw(m_doc.Raw(at, o.tags.begin));
            at = o.tags.end;
            const bool root = first && o.type == "DICTIONARY";
            first = false;
            const std::string handle = UpperAscii(o.handle);
            if (o.type == "GROUP" && m_omitted.count(handle))
                continue;
            if (o.type == "GROUP" || (o.type == "DICTIONARY" && handle == dictionary)) {
                // Members and entries that point to what is no longer written are left out.
                for (size_t i = o.tags.begin; i < o.tags.end; ++i) {
                    const DxfTag t = tags[i];
                    if (t.code == 340 && m_omitted.count(UpperAscii(TrimTagValue(t.value))))
                        continue;
                    if (t.code == 3 && i + 1 < o.tags.end && (tags[i + 1].code == 350 || tags[i + 1].code == 360) &&
                        m_omitted.count(UpperAscii(TrimTagValue(tags[i + 1].value)))) {
                        ++i;
                        continue;
                    }
                    out.Raw(m_doc.Raw(i, i + 1));
                }
                if (o.type == "DICTIONARY" && addGroups)
                    NewGroupEntries(out);
                continue;
            }
            out.Raw(m_doc.Raw(o.tags));
            if (root && m_newGroupDictionary != 0) {
                // The file had no group dictionary: the root dictionary gets one.
                out.Pair(3, "ACAD_GROUP");
                out.Handle(350, m_newGroupDictionary);
                out.Pair(0, "DICTIONARY");
                out.Handle(5, m_newGroupDictionary);
                out.Pair(330, o.handle);
                out.Pair(100, "AcDbDictionary");
                out.Int(281, 1);
                NewGroupEntries(out);
            }
        }
        out.Raw(m_doc.Raw(at, s.end));
        if (addGroups)
            NewGroups(out, m_newGroupDictionary != 0 ? m_newGroupDictionary : HandleValue(dictionary));
        out.Raw(m_doc.Raw(s.end, s.end + 1));
    }

    void NewObjectsSection(DxfOut& out)
    {
        out.Pair(0, "SECTION");
        out.Pair(2, "OBJECTS");
        out.Pair(0, "DICTIONARY");
        out.Handle(5, m_newRoot);
        out.Pair(330, "0");
        out.Pair(100, "AcDbDictionary");
        out.Int(281, 1);
        out.Pair(3, "ACAD_GROUP");
        out.Handle(350, m_newGroupDictionary);
        out.Pair(0, "DICTIONARY");
        out.Handle(5, m_newGroupDictionary);
        out.Handle(330, m_newRoot);
        out.Pair(100, "AcDbDictionary");
        out.Int(281, 1);
        NewGroupEntries(out);
        NewGroups(out, m_newGroupDictionary);
        out.Pair(0, "ENDSEC");
    }

    const InMemoryDrawing& m_drawing;
    const DxfDocument& m_doc;
    const bool m_r12, m_codePage, m_resultsOnly;
    std::vector<const DrawingElement*> m_shownMembers; // a results file's members kept from the file
    std::optional<DxfEntityCopy> m_copy;
    std::map<std::string, int> m_leftOut; // by entity type: members a results file could not copy
    bool m_handles = true;
    bool m_groupWarning = false;
    uint64_t m_next = 1, m_seed = 0, m_firstFree = 1, m_newGroupDictionary = 0, m_newRoot = 0;
    std::string m_modelSpace;
    std::string m_newEntityText;
    std::vector<const DrawingElement*> m_newElements;
    std::vector<const DrawingElement*> m_editedElements; // read from the file, attributes changed since
    std::map<long, DxfCommonEdit> m_edits;               // document entity -> what its tags must change
    std::vector<bool> m_keep;        // per document entity
    std::set<std::string> m_omitted; // upper-case handles of deleted entities and groups
    std::vector<NewGroup> m_newGroups;
    std::map<uint64_t, std::vector<uint64_t>> m_reactors; // element id -> its groups
    std::map<uint64_t, uint64_t> m_elementHandles;        // element id -> new entity handle
    std::vector<const DrawingLevel*> m_newLevels;
    std::vector<uint64_t> m_levelHandles;
    std::vector<NewLineType> m_newLineTypes;
    std::vector<uint64_t> m_lineTypeHandles;
};

std::string Write(const InMemoryDrawing& drawing, bool resultsOnly, std::optional<NamedGroupHandle> group,
                  DxfWriteNotes& notes, std::ostream* sink = nullptr)
{
    std::shared_ptr<const DxfDocument> doc = resultsOnly ? nullptr : drawing.Document();
    if (!doc)
        doc = NewDrawingDocument();
    return DocumentWriter(drawing, *doc, resultsOnly, group, drawing.Document().get()).Run(notes, sink);
}

// Writes to path through a temporary file in the same folder and a rename; a failure, or an
// exception from write, leaves the old file as it was.
bool ReplaceFile(const std::string& path, const std::function<void(std::ostream&)>& write, std::string& error)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path temp = target.parent_path() / ("." + target.filename().string() + ".velrok-" +
                                                  std::to_string(static_cast<long>(::getpid())) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        try {
            if (out)
                write(out);
        } catch (...) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw;
        }
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            error = "Cannot write DXF file \"" + path + "\"";
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        error = "Cannot write DXF file \"" + path + "\": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

std::string WriteDxfText(const InMemoryDrawing& drawing, DxfWriteNotes& notes)
{
    return Write(drawing, false, std::nullopt, notes);
}

std::string WriteDxfText(const InMemoryDrawing& drawing)
{
    DxfWriteNotes notes;
    return WriteDxfText(drawing, notes);
}

bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error)
{
    return ReplaceFile(
        path, [&](std::ostream& out) { out.write(text.data(), static_cast<std::streamsize>(text.size())); }, error);
}

bool WriteDxfFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error, DxfWriteNotes& notes)
{
    return ReplaceFile(
        path, [&](std::ostream& out) { Write(drawing, false, std::nullopt, notes, &out); }, error);
}

bool WriteDxfFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error)
{
    DxfWriteNotes notes;
    return WriteDxfFile(drawing, path, error, notes);
}

std::string WriteResultsDxfText(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group,
                                DxfWriteNotes& notes)
{
    if (group)
        drawing.Group(*group); // an unknown group is a caller's error, not an empty file
    return Write(drawing, true, group, notes);
}

std::string WriteResultsDxfText(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group)
{
    DxfWriteNotes notes;
    return WriteResultsDxfText(drawing, group, notes);
}

bool WriteResultsDxfFile(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group,
                         const std::string& path, std::string& error, DxfWriteNotes& notes)
{
    return WriteFileReplacing(path, WriteResultsDxfText(drawing, group, notes), error);
}

bool WriteResultsDxfFile(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group,
                         const std::string& path, std::string& error)
{
    DxfWriteNotes notes;
    return WriteResultsDxfFile(drawing, group, path, error, notes);
}

std::string ResultsLeftOutWarning(const std::map<std::string, int>& leftOutByType)
{
    int total = 0;
    std::string kinds;
    for (const auto& [type, count] : leftOutByType) {
        total += count;
        kinds += (kinds.empty() ? "" : ", ") + type + " " + std::to_string(count);
    }
    return std::to_string(total) + (total == 1 ? " element" : " elements") + " of the group " +
           (total == 1 ? "is" : "are") + " not in the results file: " + (total == 1 ? "it" : "they") +
           " could not be copied from " + (total == 1 ? "its" : "their") + " file (" + kinds + ").";
}

} // namespace velrok::host
