// Host colour table and DXF mappings.
#include "host/HostColors.h"

#include <array>
#include <cstdio>

namespace velrok::host {

namespace {

// Every line weight a DXF file may carry, thinnest first.
constexpr std::array<int, 24> kDxfLineweights = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                                 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
constexpr int kMaxWeight = 31;

// Host colours 0..7 indexed by host number: aci and display colour. Host 6 has no DXF partner.
struct HostColour {
    int aci;
    const char* rgb;
};
constexpr std::array<HostColour, 8> kHostColours = {{
    {7, "#ffffff"}, // 0 white
    {5, "#0000ff"}, // 1 blue
    {3, "#00ff00"}, // 2 green
    {1, "#ff0000"}, // 3 red
    {2, "#ffff00"}, // 4 yellow
    {6, "#ff00ff"}, // 5 magenta
    {0, "#ff7f00"}, // 6 orange
    {4, "#00ffff"}, // 7 cyan
}};

} // namespace

int HostColorToAci(int hostColor)
{
    if (hostColor < 0 || hostColor >= static_cast<int>(kHostColours.size()) ||
        kHostColours[hostColor].aci == 0)
        return kAciByLayer;
    return kHostColours[hostColor].aci;
}

int AciToHostColor(int aci)
{
    for (size_t i = 0; i < kHostColours.size(); ++i)
        if (kHostColours[i].aci == aci && aci != 0)
            return static_cast<int>(i);
    return -1;
}

int WeightToLineweight(int weight)
{
    if (weight < 0)
        return kLineweightByLayer;
    if (weight > kMaxWeight)
        weight = kMaxWeight;
    const int last = static_cast<int>(kDxfLineweights.size()) - 1;
    return kDxfLineweights[(weight * last + kMaxWeight / 2) / kMaxWeight];
}

int LineweightToWeight(int lineweight)
{
    if (lineweight < 0)
        return -1;
    for (int w = 0; w <= kMaxWeight; ++w)
        if (WeightToLineweight(w) >= lineweight)
            return w;
    return kMaxWeight;
}

std::string HostColorRgb(int hostColor)
{
    if (hostColor >= 0 && hostColor < static_cast<int>(kHostColours.size()))
        return kHostColours[hostColor].rgb;
    return "#c0c0c0";
}

std::string AciRgb(int aci)
{
    const int host = AciToHostColor(aci);
    if (host >= 0)
        return HostColorRgb(host);
    // The grey ramp 250..255 and 8/9 as AutoCAD shows them; other indexes as light grey.
    int level = 192;
    if (aci == 8)
        level = 128;
    else if (aci >= 250 && aci <= 255)
        level = 51 + (aci - 250) * 40;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", level, level, level);
    return buffer;
}

} // namespace velrok::host
