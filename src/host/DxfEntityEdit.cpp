// An entity's tags with some of its common attributes changed.
#include "host/DxfEntityEdit.h"

#include "host/HostColors.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace velrok::host {

namespace {

long long IntegerValue(std::string_view v)
{
    v = TrimTagValue(v);
    long long n = 0;
    std::from_chars(v.data(), v.data() + v.size(), n);
    return n;
}

// The codes that may stand before each attribute in the common group: a missing attribute goes
// after the last of them, so the group keeps the order DXF writers use.
constexpr int kLayer = 8, kLineType = 6, kColor = 62, kTrueColor = 420, kLineweight = 370;

bool Precedes(int attribute, int code)
{
    auto in = [code](std::initializer_list<int> codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    switch (attribute) {
    case kLayer:
        return in({5, 67, 410});
    case kLineType:
        return in({5, 67, 410, kLayer});
    case kColor:
        return in({5, 67, 410, kLayer, kLineType});
    default: // line weight
        return in({5, 67, 410, kLayer, kLineType, kColor, kTrueColor, 430, 440});
    }
}

void Replaced(DxfOut& out, const DxfDocument& doc, size_t i, std::string_view value)
{
    const std::string_view raw = doc.Raw(i, i + 1);
    const std::string_view old = doc.Tag(i).value;
    out.Raw(raw.substr(0, static_cast<size_t>(old.data() - raw.data())));
    out.Raw(value);
    out.Raw(out.Eol());
}

} // namespace

DxfTagRange CommonGroup(const DxfDocument& doc, DxfTagRange main)
{
    size_t begin = main.begin + 1;
    for (size_t i = begin; i < main.end; ++i) {
        const DxfTag t = doc.Tag(i);
        if (t.code == 1001)
            break;
        if (t.code == 100 && TrimTagValue(t.value) == "AcDbEntity") {
            begin = i + 1;
            break;
        }
    }
    size_t end = begin;
    while (end < main.end) {
        const int code = doc.Tag(end).code;
        if (code == 100 || code == 1001)
            break;
        ++end;
    }
    return {begin, end};
}

DxfCommonTags CommonTagsOf(const DxfDocument& doc, DxfTagRange main)
{
    DxfCommonTags c;
    const DxfTagRange group = CommonGroup(doc, main);
    for (size_t i = group.begin; i < group.end; ++i) {
        const DxfTag t = doc.Tag(i);
        if (t.code == kLayer)
            c.layer = std::string(TrimTagValue(t.value));
        else if (t.code == kLineType)
            c.lineType = std::string(TrimTagValue(t.value));
        else if (t.code == kColor)
            c.aci = static_cast<int>(IntegerValue(t.value));
        else if (t.code == kLineweight)
            c.lineweight = static_cast<int>(IntegerValue(t.value));
    }
    return c;
}

void HostColorOfEntityAci(int aci, int& color, int& dxfColor)
{
    color = kColorByLevel;
    dxfColor = 0;
    if (aci == 0 || aci >= kAciByLayer || aci < 0)
        return; // by block, by layer and "off" all follow the level
    if (int host = AciToHostColor(aci); host >= 0)
        color = host;
    else
        dxfColor = aci;
}

void WriteEditedEntityTags(DxfOut& out, const DxfDocument& doc, DxfTagRange main, const DxfCommonEdit& edit,
                           const std::vector<bool>& skip)
{
    WriteEditedEntityTags(out, doc, main, edit, [&](size_t i) {
        if (skip.empty() || !skip[i - main.begin])
            out.Raw(doc.Raw(i, i + 1));
    });
}

void WriteEditedEntityTags(DxfOut& out, const DxfDocument& doc, DxfTagRange main, const DxfCommonEdit& edit,
                           const std::function<void(size_t tag)>& copy)
{
    const DxfTagRange group = CommonGroup(doc, main);
    struct Attribute {
        int code;
        std::optional<std::string> value; // none: by layer, no tag
        bool wanted;
        bool seen = false;
        size_t after = 0; // insert after this tag when missing; group.begin - 1 for "at the start"
    };
    auto text = [](const std::optional<int>& v, int byLayer) -> std::optional<std::string> {
        if (!v || *v == byLayer)
            return std::nullopt;
        return std::to_string(*v);
    };
    std::vector<Attribute> attributes = {
        {kLayer, edit.layer, edit.layer.has_value()},
        {kLineType,
         edit.lineType && !edit.lineType->empty() ? edit.lineType : std::optional<std::string>(),
         edit.lineType.has_value()},
        {kColor, text(edit.aci, kAciByLayer), edit.aci.has_value()},
        {kLineweight, text(edit.lineweight, kLineweightByLayer), edit.lineweight.has_value()},
    };
    for (Attribute& a : attributes) {
        a.after = group.begin - 1;
        for (size_t i = group.begin; i < group.end; ++i) {
            const int code = doc.Tag(i).code;
            if (code == a.code)
                a.seen = true;
            else if (Precedes(a.code, code))
                a.after = i;
        }
    }
    auto insertAfter = [&](size_t i) {
        for (const Attribute& a : attributes)
            if (a.wanted && !a.seen && a.value && a.after == i)
                out.Pair(a.code, *a.value);
    };
    for (size_t i = main.begin; i < main.end; ++i) {
        const bool inGroup = i >= group.begin && i < group.end;
        if (i == group.begin)
            insertAfter(group.begin - 1);
        const int code = doc.Tag(i).code;
        auto a = std::find_if(attributes.begin(), attributes.end(),
                              [&](const Attribute& x) { return x.wanted && x.code == code; });
        if (inGroup && code == kTrueColor && edit.aci) {
            // the true colour would override the new colour index
        } else if (inGroup && a != attributes.end()) {
            if (a->value)
                Replaced(out, doc, i, *a->value);
        } else
            copy(i);
        if (inGroup)
            insertAfter(i);
    }
    if (group.begin == group.end && group.begin == main.end)
        insertAfter(group.begin - 1);
}

} // namespace velrok::host
