// The document's index over its tags: sections, header variables, tables, blocks, entities and
// objects, found in one walk after the tag reader has checked the file.
#include "host/DxfDocument.h"

#include "host/DxfTagReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <cstdio>

namespace velrok::host {

std::string UpperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view TrimTagValue(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

uint64_t HandleValue(std::string_view handle)
{
    handle = TrimTagValue(handle);
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(handle.data(), handle.data() + handle.size(), value, 16);
    if (handle.empty() || ec != std::errc() || end != handle.data() + handle.size())
        return 0;
    return value;
}

std::string HandleText(uint64_t handle)
{
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(handle));
    return buffer;
}

DxfDocument::Parsed DxfDocument::Parse(std::string text)
{
    Parsed result;
    std::shared_ptr<DxfDocument> doc(new DxfDocument());
    doc->m_text = std::move(text);
    DxfTagStream stream = ReadDxfTags(doc->m_text);
    if (!stream.error.empty()) {
        result.error = std::move(stream.error);
        return result;
    }
    doc->m_codeStart = std::move(stream.codeStart);
    doc->m_maxHandle = stream.maxHandle;
    doc->m_entityZeros = stream.entityZeros;
    doc->m_crlf = stream.crlf;
    result.error = doc->Index();
    if (result.error.empty())
        result.document = std::move(doc);
    return result;
}

std::string_view DxfDocument::Raw(size_t begin, size_t end) const
{
    if (begin >= end)
        return {};
    return std::string_view(m_text).substr(m_codeStart[begin], m_codeStart[end] - m_codeStart[begin]);
}

DxfTag DxfTagList::operator[](size_t i) const
{
    return m_doc.Tag(i);
}

size_t DxfTagList::size() const
{
    return m_doc.TagCount();
}

int DxfTagList::Code(size_t i) const
{
    return m_doc.TagCode(i);
}

// The reader checked every code line, so it holds an integer between blanks.
int DxfDocument::TagCode(size_t i) const
{
    // The text ends in a NUL, so the scan stops at the latest there.
    const char* p = m_text.c_str() + m_codeStart[i];
    while (*p == ' ' || *p == '\t')
        ++p;
    int code = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        code = code * 10 + (*p - '0');
    return code;
}

DxfTag DxfDocument::Tag(size_t i) const
{
    // The value line starts after the code line's line feed.
    const size_t lineStart = m_codeStart[i], next = m_codeStart[i + 1];
    const void* nl = std::memchr(m_text.data() + lineStart, '\n', next - lineStart);
    const size_t begin = nl ? static_cast<size_t>(static_cast<const char*>(nl) - m_text.data()) + 1 : next;
    size_t end = std::max(begin, next);
    if (end > begin && m_text[end - 1] == '\n')
        --end;
    if (end > begin && m_text[end - 1] == '\r')
        --end;
    return {TagCode(i), std::string_view(m_text).substr(begin, end - begin)};
}

std::string_view DxfDocument::EntityType(const DxfEntityRef& entity) const
{
    return TrimTagValue(Tag(entity.begin).value);
}

std::string_view DxfDocument::EntityHandle(const DxfEntityRef& entity) const
{
    return entity.handleTag == 0 ? std::string_view() : TrimTagValue(Tag(entity.handleTag).value);
}

std::string_view DxfDocument::EntityLayer(const DxfEntityRef& entity) const
{
    return entity.layerTag == 0 ? std::string_view() : TrimTagValue(Tag(entity.layerTag).value);
}

std::span<const DxfTagRange> DxfDocument::EntitySubs(const DxfEntityRef& entity) const
{
    return std::span<const DxfTagRange>(m_subs).subspan(entity.firstSub, entity.subCount);
}

std::vector<DxfTag> DxfDocument::Span(DxfTagRange range) const
{
    std::vector<DxfTag> tags;
    tags.reserve(range.end - range.begin);
    for (size_t i = range.begin; i < range.end; ++i)
        tags.push_back(Tag(i));
    return tags;
}

DxfEntityTags DxfDocument::EntityTags(const DxfEntityRef& entity, std::vector<DxfTag>& storage) const
{
    // Copied once, so the spans below do not move; storage may already hold other entities.
    const size_t base = storage.size();
    for (size_t i = entity.begin; i < entity.end; ++i)
        storage.push_back(Tag(i));
    auto span = [&](DxfTagRange r) {
        return DxfTagSpan(storage.data() + base + (r.begin - entity.begin), r.end - r.begin);
    };
    DxfEntityTags view;
    const std::span<const DxfTagRange> subs = EntitySubs(entity);
    const size_t mainEnd = subs.empty() ? entity.end : subs.front().begin;
    size_t end = mainEnd;
    // A SEQEND closing the entity is not part of its own tags.
    if (subs.empty())
        for (size_t i = entity.begin + 1; i < entity.end; ++i)
            if (storage[base + (i - entity.begin)].code == 0) {
                end = i;
                break;
            }
    view.main = span({entity.begin, end});
    for (const DxfTagRange& sub : subs)
        view.subs.push_back(span(sub));
    return view;
}

const DxfSection* DxfDocument::FindSection(std::string_view name) const
{
    for (const DxfSection& s : m_sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

std::optional<size_t> DxfDocument::HeaderVariable(std::string_view name) const
{
    auto it = m_header.find(name);
    if (it == m_header.end())
        return std::nullopt;
    return it->second;
}

const DxfTable* DxfDocument::FindTable(std::string_view name) const
{
    for (const DxfTable& t : m_tables)
        if (SameIgnoringCase(t.name, name))
            return &t;
    return nullptr;
}

const DxfTableRecord* DxfDocument::FindRecord(std::string_view table, std::string_view name) const
{
    if (const DxfTable* t = FindTable(table))
        for (const DxfTableRecord& r : t->records)
            if (SameIgnoringCase(r.name, name))
                return &r;
    return nullptr;
}

const DxfBlockDef* DxfDocument::FindBlock(std::string_view name) const
{
    auto it = m_blockByName.find(UpperAscii(name));
    return it == m_blockByName.end() ? nullptr : &m_blockDefs[it->second];
}

namespace {

// The tags from `begin` up to the next 0 tag (or `limit`).
size_t NextZero(const DxfTagList& tags, size_t begin, size_t limit)
{
    size_t i = begin + 1;
    while (i < limit && tags.Code(i) != 0)
        ++i;
    return i;
}

bool IsSubEntity(std::string_view owner, std::string_view type)
{
    return (owner == "POLYLINE" && type == "VERTEX") || (owner == "INSERT" && type == "ATTRIB");
}

} // namespace

// Entities from `begin` to `limit`, where the 0 tag at `limit` (ENDSEC or ENDBLK) ends them.
// POLYLINE and INSERT take the VERTEX or ATTRIB entities after them and their SEQEND.
void DxfDocument::IndexEntities(size_t begin, size_t limit, std::vector<DxfEntityRef>& entities)
{
    const DxfTagList tags = Tags();
    size_t i = begin;
    while (i < limit) {
        DxfEntityRef e;
        const std::string_view type = TrimTagValue(tags[i].value);
        size_t end = NextZero(tags, i, limit);
        for (size_t k = i + 1; k < end; ++k) {
            const int code = TagCode(k);
            if (code != 5 && code != 8 && code != 67)
                continue;
            const std::string_view value = TrimTagValue(tags[k].value);
            if (code == 5 && e.handleTag == 0 && !value.empty())
                e.handleTag = static_cast<uint32_t>(k);
            else if (code == 8 && e.layerTag == 0 && !value.empty())
                e.layerTag = static_cast<uint32_t>(k);
            else if (code == 67)
                e.paperSpace = value == "1";
        }
        e.firstSub = static_cast<uint32_t>(m_subs.size());
        while (end < limit && IsSubEntity(type, TrimTagValue(tags[end].value))) {
            const size_t subEnd = NextZero(tags, end, limit);
            m_subs.push_back({end, subEnd});
            end = subEnd;
        }
        e.subCount = static_cast<uint32_t>(m_subs.size() - e.firstSub);
        if (e.subCount != 0 && end < limit && TrimTagValue(tags[end].value) == "SEQEND")
            end = NextZero(tags, end, limit);
        e.begin = static_cast<uint32_t>(i);
        e.end = static_cast<uint32_t>(end);
        entities.push_back(e);
        i = end;
    }
}

std::string DxfDocument::Index()
{
    const DxfTagList tags = Tags();
    const size_t n = tags.size();
    for (size_t i = 0; i < n; ++i) {
        if (tags.Code(i) != 0 || TrimTagValue(tags[i].value) != "SECTION")
            continue;
        DxfSection s;
        s.begin = i;
        s.name = std::string(TrimTagValue(tags[i + 1].value));
        size_t j = i + 2;
        while (j < n && !(tags.Code(j) == 0 && TrimTagValue(tags[j].value) == "ENDSEC"))
            ++j;
        s.end = j;
        m_sections.push_back(s);
        i = j;
    }


    // Block views point into one copy of the BLOCKS tags, sized once so it never moves.
    size_t blockTags = 0;
    for (const DxfSection& s : m_sections)
        if (s.name == "BLOCKS")
            blockTags += s.end - s.begin;
    m_blockTags.reserve(blockTags);

    for (const DxfSection& s : m_sections) {
        const size_t first = s.begin + 2;
        if (s.name == "HEADER") {
            for (size_t i = first; i + 1 < s.end; ++i)
                if (tags[i].code == 9)
                    m_header.emplace(std::string(TrimTagValue(tags[i].value)), i + 1);
        } else if (s.name == "TABLES") {
            size_t i = first;
            while (i < s.end) {
                if (tags[i].code != 0 || TrimTagValue(tags[i].value) != "TABLE") {
                    i = NextZero(tags, i, s.end);
                    continue;
                }
                DxfTable t;
                const size_t headEnd = NextZero(tags, i, s.end);
                t.head = {i, headEnd};
                for (size_t k = i + 1; k < headEnd; ++k)
                    if (tags[k].code == 2) {
                        t.name = std::string(TrimTagValue(tags[k].value));
                        break;
                    }
                i = headEnd;
                while (i < s.end && TrimTagValue(tags[i].value) != "ENDTAB") {
                    DxfTableRecord r;
                    r.type = std::string(TrimTagValue(tags[i].value));
                    const size_t end = NextZero(tags, i, s.end);
                    for (size_t k = i + 1; k < end; ++k) {
                        if (tags[k].code == 2 && r.name.empty())
                            r.name = std::string(TrimTagValue(tags[k].value));
                        else if ((tags[k].code == 5 || tags[k].code == 105) && r.handle.empty())
                            r.handle = std::string(TrimTagValue(tags[k].value));
                    }
                    r.tags = {i, end};
                    t.records.push_back(std::move(r));
                    i = end;
                }
                if (i >= s.end)
                    return "line " + std::to_string(LineOf(t.head.begin)) + ": table " + t.name +
                           " is not closed by ENDTAB";
                t.endTab = i;
                m_tables.push_back(std::move(t));
                i = NextZero(tags, i, s.end);
            }
        } else if (s.name == "BLOCKS") {
            size_t i = first;
            while (i < s.end) {
                if (TrimTagValue(tags[i].value) != "BLOCK") {
                    i = NextZero(tags, i, s.end);
                    continue;
                }
                DxfBlock b;
                DxfBlockDef def;
                const size_t headEnd = NextZero(tags, i, s.end);
                for (size_t k = i + 1; k < headEnd; ++k) {
                    const std::string_view v = TrimTagValue(tags[k].value);
                    double d = 0.0;
                    if (tags[k].code >= 10 && tags[k].code <= 30 && tags[k].code % 10 == 0)
                        std::from_chars(v.data() + (!v.empty() && v.front() == '+'), v.data() + v.size(), d);
                    if (tags[k].code == 2 && b.name.empty())
                        b.name = std::string(v);
                    else if (tags[k].code == 10)
                        def.basePoint.x = d;
                    else if (tags[k].code == 20)
                        def.basePoint.y = d;
                    else if (tags[k].code == 30)
                        def.basePoint.z = d;
                }
                size_t endBlk = headEnd;
                while (endBlk < s.end && TrimTagValue(tags[endBlk].value) != "ENDBLK")
                    endBlk = NextZero(tags, endBlk, s.end);
                if (endBlk >= s.end)
                    return "line " + std::to_string(LineOf(i)) + ": block " + b.name + " is not closed by ENDBLK";
                IndexEntities(headEnd, endBlk, b.entities);
                b.tags = {i, NextZero(tags, endBlk, s.end)};
                def.name = b.name;
                for (const DxfEntityRef& e : b.entities)
                    def.entities.push_back(EntityTags(e, m_blockTags));
                m_blockByName.emplace(UpperAscii(b.name), m_blockDefs.size());
                m_blockDefs.push_back(std::move(def));
                i = b.tags.end;
                m_blocks.push_back(std::move(b));
            }
        } else if (s.name == "ENTITIES") {
            // Sized once: at most one entity per 0 tag.
            m_entities.reserve(m_entityZeros);
            IndexEntities(first, s.end, m_entities);
        } else if (s.name == "OBJECTS") {
            size_t i = first;
            while (i < s.end) {
                DxfObjectRef o;
                o.type = std::string(TrimTagValue(tags[i].value));
                const size_t end = NextZero(tags, i, s.end);
                for (size_t k = i + 1; k < end; ++k)
                    if (tags[k].code == 5) {
                        o.handle = std::string(TrimTagValue(tags[k].value));
                        break;
                    }
                o.tags = {i, end};
                m_objects.push_back(std::move(o));
                i = end;
            }
        }
    }
    if (auto v = HeaderVariable("$ACADVER"))
        m_version = std::string(TrimTagValue(tags[*v].value));
    return {};
}

} // namespace velrok::host
