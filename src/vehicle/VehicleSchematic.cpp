// The show/hide rule of the optional controls beside the schematic.
#include "vehicle/VehicleSchematic.h"

#include "vehicle/VehicleType.h"

namespace velrok {

namespace {

constexpr std::string_view kAlwaysFields[] = {"txt_Front", "txt_Wheelbase", "txt_Back", "txt_WheelWidth",
                                              "txt_VeichleWidth"};
constexpr int kAlwaysLabels[] = {0, 1, 3};

void AddGroup(ShownControls& c, int group)
{
    // Label1 indices of F, WB, B per group #2..#4, and the group's field names.
    static constexpr int labels[3][3] = {{5, 6, 7}, {9, 10, 11}, {14, 13, 12}};
    static constexpr std::string_view fields[3][5] = {
        {"txt_Front2", "txt_Wheelbase2", "txt_Back2", "txt_WheelWidth_2", "txt_VeichleWidth_2"},
        {"txt_Front3", "txt_Wheelbase3", "txt_Back3", "txt_WheelWidth_3", "txt_VeichleWidth_3"},
        {"txt_Front4", "txt_Wheelbase4", "txt_Back4", "txt_WheelWidth_4", "txt_VeichleWidth_4"}};
    const int g = group - 2;
    c.headings.push_back(kGroupHeadingNames[static_cast<size_t>(group - 1)]);
    for (int l : labels[g])
        c.dimensionLabels.push_back(l);
    for (std::string_view f : fields[g])
        c.fields.push_back(f);
}

void AddHitch(ShownControls& c, int label, std::string_view field)
{
    c.dimensionLabels.push_back(label);
    c.fields.push_back(field);
}

} // namespace

const ShownControls& OptionalControls()
{
    static const ShownControls all = [] {
        ShownControls c;
        AddHitch(c, 2, "txtHitch");
        AddHitch(c, 4, "txtHitch2");
        AddHitch(c, 8, "txtHitch3");
        AddHitch(c, 15, "txtHitch4");
        for (int g = 2; g <= 4; ++g)
            AddGroup(c, g);
        return c;
    }();
    return all;
}

ShownControls ShowTypeFields(int code)
{
    ShownControls c;
    c.dimensionLabels.assign(std::begin(kAlwaysLabels), std::end(kAlwaysLabels));
    c.fields.assign(std::begin(kAlwaysFields), std::end(kAlwaysFields));
    const int k = CanonicalVehicleType(code);
    if (k == 0 || k == 1)
        return c;
    AddGroup(c, 2);
    AddHitch(c, 2, "txtHitch");
    if (k == 2)
        return c;
    AddHitch(c, 4, "txtHitch2");
    if (k == 3)
        return c;
    AddGroup(c, 3);
    if (k == 9 || k == 10)
        AddHitch(c, 8, "txtHitch3");
    if (k == 10) {
        AddGroup(c, 4);
        AddHitch(c, 15, "txtHitch4");
    }
    return c;
}

std::string_view PictureKey(int code)
{
    return IsVehicleType(code) ? VehicleTypeOf(code).key : std::string_view{};
}

} // namespace velrok
