// Entities of one file written into another from their own tags.
#include "host/DxfEntityCopy.h"

#include "host/DxfEntityEdit.h"
#include "host/DxfText.h"

#include <algorithm>
#include <initializer_list>

namespace velrok::host {

namespace {

bool OneOf(std::string_view v, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return SameIgnoringCase(v, n); });
}

bool IsPointer(int code)
{
    return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481;
}

// Pointers a copy can do without: material, visual style and plot style fall back to the defaults.
bool Droppable(int code)
{
    return code == 347 || code == 348 || code == 390;
}

// Groups of back-pointers a copy does without: its new groups, no extension dictionary, and no
// list of the block's references, which the reading program rebuilds.
bool DroppedGroup(std::string_view opening)
{
    return opening == "{ACAD_REACTORS" || opening == "{ACAD_XDICTIONARY" || opening == "{BLKREFS";
}

bool IsText(int code)
{
    return (code >= 1 && code <= 4) || (code >= 6 && code <= 9) || code == 100 || (code >= 300 && code <= 309) ||
           (code >= 410 && code <= 419) || (code >= 430 && code <= 439) || (code >= 470 && code <= 479) ||
           code == 999 || code == 1000 || code == 1001 || code == 1003;
}

std::string OwnHandle(const DxfDocument& doc, DxfTagRange r)
{
    for (size_t i = r.begin + 1; i < r.end; ++i) {
        const DxfTag t = doc.Tag(i);
        if (t.code == 5 || t.code == 105)
            return UpperAscii(TrimTagValue(t.value));
        if (t.code == 100)
            break;
    }
    return {};
}

} // namespace

DxfEntityCopy::DxfEntityCopy(const DxfDocument& from, bool toCodePage,
                             std::function<std::string(std::string_view, std::string_view)> target)
    : m_from(from), m_recode(!from.CodePage() && toCodePage), m_target(std::move(target))
{
}

std::vector<DxfEntityCopy::Record> DxfEntityCopy::Split(DxfTagRange range) const
{
    std::vector<Record> records;
    for (size_t i = range.begin; i < range.end; ++i) {
        if (m_from.Tag(i).code == 0)
            records.push_back({{i, i + 1}});
        else if (!records.empty())
            records.back().tags.end = i + 1;
    }
    return records;
}

bool DxfEntityCopy::Known(const Plan& plan, const std::string& handle) const
{
    return plan.old.count(handle) || plan.remap.count(handle) || m_done.old.count(handle) ||
           m_done.remap.count(handle);
}

void DxfEntityCopy::Remember(Plan& plan, const std::vector<Record>& records) const
{
    for (const Record& r : records)
        if (std::string h = OwnHandle(m_from, r.tags); !h.empty())
            plan.old.insert(std::move(h));
}

void DxfEntityCopy::Scan(Plan& plan, std::vector<Record> records, std::string_view type) const
{
    if (records.empty())
        return;
    const DxfTagRange main = records.front().tags;
    for (size_t i = main.begin + 1; i < main.end; ++i) {
        const DxfTag t = m_from.Tag(i);
        if (t.code == 1001)
            break;
        if (t.code == 2 && OneOf(type, {"INSERT", "DIMENSION"})) {
            NeedBlock(plan, TrimTagValue(t.value));
            break;
        }
    }
    for (size_t i = main.begin + 1; i < main.end; ++i) {
        const DxfTag t = m_from.Tag(i);
        if (t.code == 1001)
            break;
        if (t.code == 3 && OneOf(type, {"DIMENSION", "LEADER", "TOLERANCE"})) {
            NeedRecord(plan, "DIMSTYLE", TrimTagValue(t.value));
            break;
        }
    }
    for (const Record& r : records) {
        const std::string_view rtype = TrimTagValue(m_from.Tag(r.tags.begin).value);
        const DxfTagRange group = CommonGroup(m_from, r.tags);
        bool xdata = false;
        for (size_t i = r.tags.begin + 1; i < r.tags.end; ++i) {
            const DxfTag t = m_from.Tag(i);
            const std::string_view v = TrimTagValue(t.value);
            xdata = xdata || t.code == 1001;
            if (t.code == 1001)
                NeedRecord(plan, "APPID", v);
            else if (xdata)
                continue;
            else if (t.code == 6 && i >= group.begin && i < group.end && !OneOf(v, {"BYLAYER", "BYBLOCK"}))
                NeedRecord(plan, "LTYPE", v);
            else if (t.code == 7 && OneOf(rtype, {"TEXT", "MTEXT", "ATTRIB", "ATTDEF"}))
                NeedRecord(plan, "STYLE", v);
        }
    }
}

bool DxfEntityCopy::Planned(const Plan& plan, std::string_view table, std::string_view name) const
{
    for (const Plan* p : {&plan, &m_done}) {
        if (table == "BLOCK_RECORD") {
            for (const Block& b : p->blocks)
                if (SameIgnoringCase(b.name, name))
                    return true;
            continue;
        }
        for (const TableCopy& t : p->records)
            if (t.table == table && SameIgnoringCase(t.name, name))
                return true;
    }
    return false;
}

void DxfEntityCopy::NeedBlock(Plan& plan, std::string_view name) const
{
    if (name.empty() || Planned(plan, "BLOCK_RECORD", name))
        return;
    const DxfBlock* block = nullptr;
    for (const DxfBlock& b : m_from.Blocks())
        if (SameIgnoringCase(b.name, name))
            block = &b;
    const DxfTableRecord* record = m_from.FindRecord("BLOCK_RECORD", name);
    if (!block || !record || OneOf(name, {"*Model_Space", "*Paper_Space"}) || !m_target("BLOCK_RECORD", name).empty()) {
        plan.sound = false; // a block the file lacks, a layout, or a name the new drawing has taken
        return;
    }
    Block b{std::string(name), {record->tags}, Split(block->tags)};
    Remember(plan, {b.blockRecord});
    Remember(plan, b.records);
    plan.blocks.push_back(b);
    Scan(plan, {b.records.front()}, "BLOCK");
    for (const DxfEntityRef& e : block->entities)
        Scan(plan, Split(e.Tags()), m_from.EntityType(e));
}

void DxfEntityCopy::NeedRecord(Plan& plan, std::string_view table, std::string_view name) const
{
    if (name.empty() || Planned(plan, table, name))
        return;
    const DxfTableRecord* record = m_from.FindRecord(table, name);
    if (const std::string there = m_target(table, name); !there.empty()) {
        // The new drawing has it: what pointed to the file's record points to that one.
        if (record && !record->handle.empty())
            plan.remap[UpperAscii(record->handle)] = HandleValue(there);
        return;
    }
    if (!record)
        return; // named but never defined in the file either: the name goes as it was
    TableCopy copy{std::string(table), std::string(name), {record->tags}};
    Remember(plan, {copy.record});
    plan.records.push_back(copy);
}

void DxfEntityCopy::NeedByHandle(Plan& plan, std::string_view handle) const
{
    for (const DxfTable& tab : m_from.Tables())
        for (const DxfTableRecord& rec : tab.records) {
            if (!SameIgnoringCase(rec.handle, handle))
                continue;
            const std::string table = UpperAscii(tab.name);
            if (table == "BLOCK_RECORD") {
                // An unusable block is no reason to refuse what only names it in its data.
                Plan trial = plan;
                NeedBlock(trial, rec.name);
                if (trial.sound)
                    plan = std::move(trial);
            } else if (OneOf(table, {"LTYPE", "STYLE", "DIMSTYLE", "APPID"}))
                NeedRecord(plan, table, rec.name);
            return;
        }
}

void DxfEntityCopy::ResolvePointers(Plan& plan, const std::vector<Record>& records) const
{
    for (const Record& r : records) {
        bool xdata = false, skip = false, marker = false, owner = false;
        for (size_t i = r.tags.begin + 1; i < r.tags.end && plan.sound; ++i) {
            const DxfTag t = m_from.Tag(i);
            const std::string_view v = TrimTagValue(t.value);
            xdata = xdata || t.code == 1001;
            if (xdata) {
                // A handle in the extended data (a dimension's arrow block) comes along where it
                // names a table record; where not, the data keeps it as it was.
                if (t.code == 1005 && !v.empty() && v != "0" && !Known(plan, UpperAscii(v)))
                    NeedByHandle(plan, v);
                continue;
            }
            if (t.code == 102) {
                if (DroppedGroup(v))
                    skip = true;
                else if (v == "}")
                    skip = false;
                continue;
            }
            marker = marker || t.code == 100;
            if (skip || (t.code == 330 && !marker && !owner)) {
                owner = owner || t.code == 330;
                continue;
            }
            if (!IsPointer(t.code) || v.empty() || v == "0" || Known(plan, UpperAscii(v)))
                continue;
            NeedByHandle(plan, v);
            if (!Known(plan, UpperAscii(v)) && !Droppable(t.code))
                plan.sound = false; // it points to what the new drawing will not have
        }
    }
}

bool DxfEntityCopy::Add(const DxfEntityRef& entity, std::vector<uint64_t> reactors, const DxfCommonEdit& edit,
                        uint64_t& next, uint64_t& handle)
{
    if (m_from.IsR12())
        return false; // R12 entities have another form than the new drawing's
    Plan plan;
    Entity e{Split(entity.Tags()), std::move(reactors), edit};
    if (e.records.empty())
        return false;
    Remember(plan, e.records);
    Scan(plan, e.records, m_from.EntityType(entity));
    ResolvePointers(plan, e.records);
    size_t blocks = 0, records = 0;
    while (plan.sound && (blocks < plan.blocks.size() || records < plan.records.size())) {
        if (blocks < plan.blocks.size()) {
            const Block b = plan.blocks[blocks++];
            ResolvePointers(plan, {b.blockRecord});
            ResolvePointers(plan, b.records);
        } else {
            const Record r = plan.records[records++].record;
            ResolvePointers(plan, {r});
        }
    }
    if (!plan.sound)
        return false;
    auto assign = [&](Record& r) {
        r.handle = next++;
        if (std::string old = OwnHandle(m_from, r.tags); !old.empty())
            plan.remap[old] = r.handle;
    };
    for (Record& r : e.records)
        assign(r);
    for (Block& b : plan.blocks) {
        assign(b.blockRecord);
        for (Record& r : b.records)
            assign(r);
    }
    for (TableCopy& t : plan.records)
        assign(t.record);
    handle = e.records.front().handle;
    m_entities.push_back(std::move(e));
    m_done.blocks.insert(m_done.blocks.end(), plan.blocks.begin(), plan.blocks.end());
    m_done.records.insert(m_done.records.end(), plan.records.begin(), plan.records.end());
    m_done.remap.merge(plan.remap);
    m_done.old.merge(plan.old);
    return true;
}

std::set<std::string> DxfEntityCopy::Layers() const
{
    std::set<std::string> layers;
    auto scan = [&](const Record& r) {
        for (size_t i = r.tags.begin + 1; i < r.tags.end; ++i) {
            const DxfTag t = m_from.Tag(i);
            if (t.code == 1001)
                break;
            if (t.code == 8)
                layers.insert(DecodeDxfText(TrimTagValue(t.value), m_from.CodePage()));
        }
    };
    for (const Entity& e : m_entities)
        std::for_each(e.records.begin(), e.records.end(), scan);
    for (const Block& b : m_done.blocks)
        std::for_each(b.records.begin(), b.records.end(), scan);
    return layers;
}

bool DxfEntityCopy::Copies(std::string_view table, std::string_view name) const
{
    for (const TableCopy& t : m_done.records)
        if (SameIgnoringCase(t.table, table) && SameIgnoringCase(t.name, name))
            return true;
    return false;
}

size_t DxfEntityCopy::RecordCount(std::string_view table) const
{
    if (SameIgnoringCase(table, "BLOCK_RECORD"))
        return m_done.blocks.size();
    return static_cast<size_t>(std::count_if(m_done.records.begin(), m_done.records.end(),
                                             [&](const TableCopy& t) { return SameIgnoringCase(t.table, table); }));
}

void DxfEntityCopy::Write(DxfOut& out, const Record& r, const std::string& owner,
                          const std::vector<uint64_t>& reactors, const DxfCommonEdit& edit) const
{
    auto remapped = [&](std::string_view v) -> std::string {
        auto it = m_done.remap.find(UpperAscii(v));
        return it == m_done.remap.end() ? std::string() : HandleText(it->second);
    };
    auto copy = [&](size_t i) {
        const DxfTag t = m_from.Tag(i);
        const std::string_view raw = m_from.Raw(i, i + 1);
        bool high = false;
        for (char c : t.value)
            high = high || static_cast<unsigned char>(c) >= 0x80;
        if (!(m_recode && high && IsText(t.code))) {
            out.Raw(raw);
            return;
        }
        out.Raw(raw.substr(0, static_cast<size_t>(t.value.data() - raw.data())));
        out.Raw(EncodeDxfText(DecodeDxfText(t.value, false), true));
        out.Raw(out.Eol());
    };
    const std::string_view type = TrimTagValue(m_from.Tag(r.tags.begin).value);
    bool xdata = false, skip = false, marker = false, ownerDone = false, ownSeen = false;
    auto emit = [&](size_t i) {
        if (i == r.tags.begin) {
            out.Raw(m_from.Raw(i, i + 1));
            out.Handle(type == "DIMSTYLE" ? 105 : 5, r.handle);
            if (!reactors.empty()) {
                out.Pair(102, "{ACAD_REACTORS");
                for (uint64_t g : reactors)
                    out.Handle(330, g);
                out.Pair(102, "}");
            }
            return;
        }
        const DxfTag t = m_from.Tag(i);
        const std::string_view v = TrimTagValue(t.value);
        xdata = xdata || t.code == 1001;
        if (xdata) {
            if (t.code == 1005 && !remapped(v).empty())
                out.Pair(1005, remapped(v));
            else
                copy(i);
            return;
        }
        if (t.code == 102) {
            if (DroppedGroup(v))
                skip = true;
            else if (skip && v == "}")
                skip = false;
            else if (!skip)
                copy(i);
            return;
        }
        if (skip)
            return;
        if ((t.code == 5 || t.code == 105) && !ownSeen && !marker) {
            ownSeen = true;
            return;
        }
        if (t.code == 100 && !marker) {
            marker = true;
            if (!ownerDone && !owner.empty())
                out.Pair(330, owner);
            ownerDone = true;
        }
        if (t.code == 330 && !marker && !ownerDone) {
            ownerDone = true;
            const std::string mapped = remapped(v);
            out.Pair(330, mapped.empty() ? owner : mapped);
            return;
        }
        if (IsPointer(t.code) && !v.empty() && v != "0") {
            if (const std::string mapped = remapped(v); !mapped.empty())
                out.Pair(t.code, mapped);
            else if (!Droppable(t.code))
                copy(i);
            return;
        }
        copy(i);
    };
    if (edit.Empty()) {
        for (size_t i = r.tags.begin; i < r.tags.end; ++i)
            emit(i);
    } else
        WriteEditedEntityTags(out, m_from, r.tags, edit, emit);
}

void DxfEntityCopy::WriteEntities(DxfOut& out, const std::string& modelSpace) const
{
    for (const Entity& e : m_entities)
        for (size_t k = 0; k < e.records.size(); ++k)
            Write(out, e.records[k], k == 0 ? modelSpace : HandleText(e.records.front().handle),
                  k == 0 ? e.reactors : std::vector<uint64_t>{}, k == 0 ? e.edit : DxfCommonEdit{});
}

void DxfEntityCopy::WriteBlocks(DxfOut& out) const
{
    for (const Block& b : m_done.blocks)
        for (const Record& r : b.records)
            Write(out, r, HandleText(b.blockRecord.handle), {});
}

void DxfEntityCopy::WriteRecords(DxfOut& out, std::string_view table, const std::string& tableHandle) const
{
    if (SameIgnoringCase(table, "BLOCK_RECORD")) {
        for (const Block& b : m_done.blocks)
            Write(out, b.blockRecord, tableHandle, {});
        return;
    }
    for (const TableCopy& t : m_done.records)
        if (SameIgnoringCase(t.table, table))
            Write(out, t.record, tableHandle, {});
}

} // namespace velrok::host
