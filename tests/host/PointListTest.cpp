#include "host/PointList.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using velrok::Point3d;
using velrok::host::PointList;

namespace {

std::vector<Point3d> Numbered(int count)
{
    std::vector<Point3d> out;
    for (int i = 0; i < count; ++i)
        out.push_back({double(i), double(-i), 0.5 * i});
    return out;
}

} // namespace

// A line's two points stay inside the element; a longer list moves out and back through copies,
// moves, inserts and erases with every point where it belongs.
TEST(PointList, KeepsItsPointsInlineAndOnTheHeap)
{
    PointList line{{1, 2, 3}, {4, 5, 6}};
    EXPECT_EQ(line.capacity(), PointList::kInline);
    PointList copy = line;
    EXPECT_EQ(copy, line);

    PointList grown;
    for (const Point3d& p : Numbered(9))
        grown.push_back(p);
    EXPECT_EQ(grown, Numbered(9));
    EXPECT_GT(grown.capacity(), PointList::kInline);

    PointList moved = std::move(grown);
    EXPECT_EQ(moved, Numbered(9));
    EXPECT_TRUE(grown.empty());
    grown = line; // a moved-from list is usable again
    EXPECT_EQ(grown, line);

    moved.insert(moved.begin() + 2, Point3d{9, 9, 9});
    EXPECT_EQ(moved[2], (Point3d{9, 9, 9}));
    EXPECT_EQ(moved[3], Numbered(9)[2]);
    EXPECT_EQ(moved.back(), Numbered(9)[8]);
    moved.erase(moved.begin() + 2);
    EXPECT_EQ(moved, Numbered(9));
    const std::vector<Point3d> more = Numbered(3);
    moved.insert(moved.begin(), more.begin(), more.end());
    EXPECT_EQ(moved.size(), 12u);
    EXPECT_EQ(moved[3], Numbered(9)[0]);
    moved.erase(moved.begin(), moved.begin() + 3);
    EXPECT_EQ(std::vector<Point3d>(moved), Numbered(9));

    copy = moved; // inline to heap
    EXPECT_EQ(copy, moved);
    copy = line; // and back, where the heap block is kept
    EXPECT_EQ(copy, line);
    moved = std::move(copy);
    EXPECT_EQ(moved, line);

    PointList two(2, Point3d{7, 7, 7});
    two.resize(5);
    EXPECT_EQ(two[1], (Point3d{7, 7, 7}));
    EXPECT_EQ(two[4], Point3d{});
    EXPECT_THROW(two.at(5), std::out_of_range);

    // An empty vector has no storage to copy from (the sanitizers hold memcpy to that).
    PointList none = std::vector<Point3d>{};
    EXPECT_TRUE(none.empty());
    two = std::vector<Point3d>{};
    EXPECT_TRUE(two.empty());
}
