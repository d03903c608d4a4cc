// Where a grid's lines stand, one axis at a time: what a scroll position shows first,
// what the client area reaches, where a line starts, and how much there is to scroll.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

#include "grid/GridGeometry.h"

namespace quillon::grid::geometry {
namespace {

// One header line of 20 pixels over 25-pixel rows, with one folded (height 0) row.
auto Rows(const std::vector<int>& sizes, int fixed = 1) {
    return Lines{[&sizes](int i) { return sizes[static_cast<std::size_t>(i)]; }, static_cast<int>(sizes.size()), fixed};
}

TEST(GridGeometry, ScrollPositionsClientAreasAndOriginsAlongOneAxis) {
    const std::vector<int> sizes = {20, 25, 25, 0, 25, 25, 25};
    const auto rows = Rows(sizes);
    EXPECT_EQ(FixedExtent(rows), 20);
    EXPECT_EQ(Extent(rows, 0, 99), 145) << "clipped to the axis";
    const struct {
        int scroll, first;
    } scrolled[] = {{-5, 1}, {0, 1}, {1, 2}, {25, 2}, {26, 3}, {50, 3}, {51, 5}, {1000, 6}};
    for (const auto& s : scrolled) EXPECT_EQ(FirstScrolled(rows, s.scroll), s.first) << "scrolled " << s.scroll;

    const struct {
        int first, client, last, end;
    } visible[] = {{1, 60, 2, 60}, {1, 70, 2, 70}, {1, 71, 4, 71}, {4, 1000, 6, 95}, {7, 100, 6, 20}};
    for (const auto& v : visible) {
        const VisibleEnd seen = LastVisible(rows, v.first, v.client);
        EXPECT_EQ(seen.last, v.last) << "from " << v.first << " in " << v.client;
        EXPECT_EQ(seen.end, v.end) << "from " << v.first << " in " << v.client;
    }
    EXPECT_EQ(Origin(rows, 0, 4), 0) << "a fixed line never scrolls";
    EXPECT_EQ(Origin(rows, 2, 4), std::nullopt) << "scrolled out above";
    EXPECT_EQ(Origin(rows, 4, 4), 20);
    EXPECT_EQ(Origin(rows, 6, 4), 70);

    const std::vector<int> huge(4, INT_MAX / 2);
    EXPECT_EQ(Extent(Rows(huge, 0), 0, 4), INT_MAX) << "sums never wrap round";
    EXPECT_EQ(Origin(Rows(huge, 0), 3, 0), INT_MAX);
}

TEST(GridGeometry, ScrollBarsAppearWhenTheirAxisOverflowsAndMakeRoomForEachOther) {
    // A 300 x 200 client without bars, a 40 x 20 fixed corner, bars 16 pixels thick.
    auto room = [](int virtualWidth, int virtualHeight) {
        return MeasureScrollRoom({300, 200, 40, 20, virtualWidth, virtualHeight, 16, 16});
    };
    const struct {
        const char* name;
        ScrollRoom got;
        bool horizontal, vertical;
        int visibleWidth, visibleHeight;
    } cases[] = {
        {"everything fits", room(300, 200), false, false, 260, 180},
        {"too tall", room(250, 500), false, true, 244, 180},
        {"too tall, and then too wide for what the bar leaves", room(290, 500), true, true, 244, 164},
        {"too wide", room(600, 150), true, false, 260, 164},
        {"too wide, and then too tall for what the bar leaves", room(600, 190), true, true, 244, 164},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.got.room);
        EXPECT_EQ(c.got.horizontal, c.horizontal);
        EXPECT_EQ(c.got.vertical, c.vertical);
        EXPECT_EQ(c.got.visibleWidth, c.visibleWidth);
        EXPECT_EQ(c.got.visibleHeight, c.visibleHeight);
    }
    EXPECT_EQ(room(600, 500).verticalMax, 479);
    EXPECT_EQ(room(600, 500).horizontalMax, 559);
    EXPECT_FALSE(MeasureScrollRoom({30, 200, 40, 20, 600, 500, 16, 16}).room) << "the fixed columns fill the width";
}

}  // namespace
}  // namespace quillon::grid::geometry
