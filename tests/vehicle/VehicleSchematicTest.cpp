// The show/hide rule of the optional controls, per configuration.
#include "vehicle/VehicleSchematic.h"
#include "vehicle/VehicleType.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace velrok {
namespace {

std::set<std::string> Captions(const ShownControls& c)
{
    std::set<std::string> out;
    for (int i : c.dimensionLabels)
        out.insert(std::string(kDimensionLabelCaptions.at(static_cast<size_t>(i))));
    return out;
}

struct ShowCase {
    int code;
    std::set<std::string> captions;
    size_t headings;
    size_t fields;
};

class ShowTypeFieldsCases : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowTypeFieldsCases, LabelsHeadingsAndFieldsOfTheCode)
{
    const ShownControls c = ShowTypeFields(GetParam().code);
    EXPECT_EQ(Captions(c), GetParam().captions) << "code " << GetParam().code;
    EXPECT_EQ(c.headings.size(), GetParam().headings);
    EXPECT_EQ(c.fields.size(), GetParam().fields);
    // A visible label always stands beside a visible field, and fields in use are exactly shown.
    std::vector<std::string_view> inUse = DimensionFieldsInUse(GetParam().code);
    std::vector<std::string_view> shown = c.fields;
    std::sort(inUse.begin(), inUse.end());
    std::sort(shown.begin(), shown.end());
    if (GetParam().code >= 1 && GetParam().code <= 13) {
        EXPECT_EQ(shown, inUse);
    }
}

const std::set<std::string> kBase = {"F=", "WB=", "B="};
std::set<std::string> Plus(std::set<std::string> s, std::initializer_list<const char*> more)
{
    s.insert(more.begin(), more.end());
    return s;
}
const std::set<std::string> kTwo = Plus(kBase, {"H=", "F2=", "WB2=", "B2="});
const std::set<std::string> kThree = Plus(kTwo, {"H2="});

INSTANTIATE_TEST_SUITE_P(
    Codes, ShowTypeFieldsCases,
    ::testing::Values(ShowCase{1, kBase, 0, 5}, ShowCase{6, kBase, 0, 5}, ShowCase{7, kBase, 0, 5},
                      ShowCase{2, kTwo, 1, 11}, ShowCase{4, kTwo, 1, 11}, ShowCase{5, kTwo, 1, 11},
                      ShowCase{8, kTwo, 1, 11}, ShowCase{3, kThree, 1, 12},
                      ShowCase{9, Plus(kThree, {"H3=", "F3=", "WB3=", "B3="}), 2, 18},
                      ShowCase{10, Plus(kThree, {"H3=", "F3=", "WB3=", "B3=", "H4=", "F4=", "WB4=", "B4="}),
                               3, 24},
                      ShowCase{11, Plus(kThree, {"F3=", "WB3=", "B3="}), 2, 17},
                      ShowCase{12, Plus(kThree, {"F3=", "WB3=", "B3="}), 2, 17},
                      ShowCase{13, Plus(kThree, {"F3=", "WB3=", "B3="}), 2, 17}, ShowCase{0, kBase, 0, 5}));

TEST(VehicleSchematicTest, OptionalControlsAreEverythingButTheAlwaysVisibleOnes)
{
    const ShownControls& all = OptionalControls();
    EXPECT_EQ(all.headings, (std::vector<std::string_view>{"Label12", "Label13", "Label14"}));
    std::vector<int> labels = all.dimensionLabels;
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<int>{2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(all.fields.size(), 19u);
    EXPECT_EQ(std::count(all.fields.begin(), all.fields.end(), "txt_Front"), 0);
}

TEST(VehicleSchematicTest, PictureKeysFollowTheCodes)
{
    EXPECT_EQ(PictureKey(5), "Ledbuss");
    EXPECT_EQ(PictureKey(13), "TandemTrailer");
    EXPECT_EQ(PictureKey(0), "");
    EXPECT_EQ(kDimensionLabelCaptions[12], "B4=");
    EXPECT_EQ(kDimensionLabelCaptions[15], "H4=");
}

} // namespace
} // namespace velrok
