#include "grid/gridgeometry.h"

#include <gtest/gtest.h>

using namespace GridGeometry;

TEST(GridGeometry, HeightAndScrollRangeFollowTheRowCount)
{
    const struct { int rows; int height; int maximum; bool enabled; } cases[] = {
        {40, 8780, -40, false}, {41, 8990, 170, true}, {196, 41540, 32720, true},
        {197, 41750, 32767, true}, {300, 63380, 32767, true}, {0, 8780, -8440, false},
    };
    for (const auto &c : cases) {
        ListScroll scroll;
        scroll.position = 12;
        refill(scroll, c.rows);
        EXPECT_EQ(scroll.height, c.height) << c.rows;
        EXPECT_EQ(scroll.maximum, c.maximum) << c.rows;
        EXPECT_EQ(scroll.enabled, c.enabled) << c.rows;
        EXPECT_EQ(scroll.position, 12) << "a refill keeps the position";
    }
}

TEST(GridGeometry, ScrollingMovesTheListInProportion)
{
    EXPECT_FLOAT_EQ(listTop(0, scrollScale(41, 170)), 165);
    EXPECT_FLOAT_EQ(listTop(170, scrollScale(41, 170)), -5) << "the last row ends just above the bottom strip";
    const double scale = scrollScale(300, 32767);
    EXPECT_NEAR(scale, 1.665, 0.001);
    EXPECT_NEAR(165 - listTop(32767, scale), 54560, 0.01);

    ListScroll scroll;
    refill(scroll, 40);
    grow(scroll, 41);
    EXPECT_TRUE(scroll.enabled);
    EXPECT_EQ(scroll.maximum, 170);
    EXPECT_EQ(scroll.position, 70);
    EXPECT_EQ(scroll.height, 8990);
}

TEST(GridGeometry, ExpertLayoutHitZones)
{
    const Widths w = layout(true);
    EXPECT_DOUBLE_EQ(w[0], 4565);
    EXPECT_DOUBLE_EQ(w[1], 1359);
    EXPECT_DOUBLE_EQ(w[2], 1359);
    EXPECT_DOUBLE_EQ(w[3], 901);
    EXPECT_DOUBLE_EQ(w[4], 458);
    EXPECT_DOUBLE_EQ(w[6], 458);
    EXPECT_DOUBLE_EQ(w[5], 650);
    const struct { double x; int edit; double left; } cases[] = {
        {650, 0, 0}, {651, 1, 650}, {5215, 1, 650}, {5216, 2, 5215}, {6574, 2, 5215}, {6575, 3, 6574},
        {9292, 5, 8834}, {9293, 6, 9292}, {20000, 6, 9292},
    };
    for (const auto &c : cases) {
        const Hit hit = hitTest(w, c.x);
        EXPECT_EQ(hit.editColumn, c.edit) << c.x;
        if (c.edit) {
            EXPECT_DOUBLE_EQ(hit.left, c.left) << c.x;
        }
    }
}

TEST(GridGeometry, NormalLayoutSendsEverythingRightOfValueToFile)
{
    const Widths w = layout(false);
    EXPECT_DOUBLE_EQ(w[0], 5886);
    EXPECT_DOUBLE_EQ(w[1], 3204);
    const double valueEnd = 650 + 5886 + 3204;
    EXPECT_EQ(hitTest(w, valueEnd).editColumn, 2);
    for (double x : {valueEnd + 1, valueEnd + 500, 20000.0}) {
        const Hit hit = hitTest(w, x);
        EXPECT_EQ(hit.editColumn, 6) << x;
        EXPECT_DOUBLE_EQ(hit.width, 0);
    }
}

TEST(GridGeometry, ABiggerGridMovesTheListLessAndWidensIt)
{
    EXPECT_DOUBLE_EQ(bandHeight(ClientHeight), 8820);
    EXPECT_DOUBLE_EQ(bottomStripTop(ClientHeight), BottomStripTop);
    for (int rows : {41, 100, 196})
        EXPECT_EQ(travel(rows, bandHeight(ClientHeight)), scrollMaximum(rows)) << rows;
    EXPECT_EQ(travel(40, bandHeight(ClientHeight)), 0);
    EXPECT_EQ(travel(300, bandHeight(ClientHeight)), 54560) << "no cap: the view scrolls in twips";
    EXPECT_EQ(travel(41, bandHeight(ClientHeight + 170)), 0) << "41 rows fit a grid 170 twips taller";
    EXPECT_EQ(travel(30, bandHeight(5000)), 30 * 210 + 380 - (5000 - 480 - 180)) << "a small grid scrolls 30 rows";
    EXPECT_DOUBLE_EQ(listWidth(ClientWidth), ListWidth);
    EXPECT_DOUBLE_EQ(listWidth(ClientWidth + 1000), ListWidth + 1000);
    EXPECT_DOUBLE_EQ(listWidth(5000), ListWidth) << "never narrower than the classic list";

    for (bool expert : {true, false}) {
        const Widths classic = layout(expert);
        EXPECT_EQ(widenedLayout(expert, ListWidth), classic);
        const Widths wide = widenedLayout(expert, ListWidth + 3000);
        EXPECT_DOUBLE_EQ(wide[0], classic[0] + 3000) << "Description takes the extra width";
        for (size_t c = 1; c < wide.size(); ++c)
            EXPECT_DOUBLE_EQ(wide[c], classic[c]) << c;
    }
}
