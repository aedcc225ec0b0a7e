// The direct-memory primitives: point sets of lines, circles and ellipses,
// spans, and the bounds that keep every write inside draw_surface.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "render/draw.h"
#include "render/pixels.h"
#include "render_fixture.h"

using namespace render_test;

namespace {

using point_set = std::set<std::pair<int, int>>;

class Pixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start(64, 48, 16));
        read_pixel(0, 0);
    }
    void TearDown() override { release_display(); }

    // The points of draw_surface that are not 0, relative to (cx, cy).
    static point_set drawn(int cx = 0, int cy = 0)
    {
        point_set out;
        for (int y = 0; y < draw_surface->height; ++y)
            for (int x = 0; x < draw_surface->width; ++x)
                if (pixel(draw_surface, x, y) != 0)
                    out.insert({x - cx, y - cy});
        return out;
    }

    static void clear() { fill_box(0, 0, screen_width, screen_height, 0); }
};

// Every point of the set except isolated ones touches another (8-neighbour).
bool connected(const point_set& points)
{
    for (auto [x, y] : points) {
        bool touches = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && points.count({x + dx, y + dy}))
                    touches = true;
        if (!touches)
            return false;
    }
    return true;
}

}  // namespace

TEST_F(Pixels, LinesPlotBothEndPoints)
{
    struct Case {
        int x0, y0, x1, y1;
        point_set want;
    } cases[] = {
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {5, 2, 5, 2, {{5, 2}}},
        {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {4, 2, 0, 0, {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},
        {0, 0, 1, 3, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
        {10, 5, 6, 5, {{10, 5}, {9, 5}, {8, 5}, {7, 5}, {6, 5}}},
    };
    for (const Case& c : cases) {
        clear();
        draw_line(c.x0, c.y0, c.x1, c.y1, 0xFFFF);
        EXPECT_EQ(drawn(), c.want) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
}

TEST_F(Pixels, SmallCirclesHaveTheirExactPoints)
{
    struct Case {
        int r;
        point_set want;
    } cases[] = {
        {0, {{0, 0}}},
        {1, {{0, 1}, {0, -1}, {1, 0}, {-1, 0}}},
        {2, {{0, 2}, {0, -2}, {2, 0}, {-2, 0}, {1, 2}, {2, 1}, {2, -1}, {1, -2},
             {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}},
        {3, {{0, 3}, {0, -3}, {3, 0}, {-3, 0}, {1, 3}, {3, 1}, {3, -1}, {1, -3},
             {-1, -3}, {-3, -1}, {-3, 1}, {-1, 3}, {2, 2}, {2, -2}, {-2, -2}, {-2, 2}}},
    };
    for (const Case& c : cases) {
        clear();
        draw_circle(30, 20, c.r, 0xFFFF);
        EXPECT_EQ(drawn(30, 20), c.want) << "r " << c.r;
    }
}

TEST_F(Pixels, LargerCirclesLieOnTheirRadiusAndClose)
{
    for (int r = 4; r <= 20; ++r) {
        clear();
        draw_circle(32, 24, r, 0xFFFF);
        point_set points = drawn(32, 24);
        for (auto [x, y] : points) {
            ASSERT_LT(std::fabs(std::hypot(x, y) - r), 1.0) << "r " << r << " at " << x << "," << y;
            ASSERT_TRUE(points.count({y, x}) && points.count({-x, y}) && points.count({x, -y}));
        }
        EXPECT_TRUE(connected(points)) << "r " << r;
    }
}

TEST_F(Pixels, EllipsesHaveTheirPointsAndStayOnTheOutline)
{
    clear();
    draw_ellipse(30, 20, 4, 2, 0xFFFF);
    EXPECT_EQ(drawn(30, 20), (point_set {{0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}, {2, 0}, {-2, 0}}));
    clear();
    draw_ellipse(30, 20, 0, 0, 0xFFFF);
    EXPECT_EQ(drawn(30, 20), (point_set {{0, 0}}));
    // Negative sizes take the absolute halves.
    clear();
    draw_ellipse(30, 20, -4, -2, 0xFFFF);
    EXPECT_EQ(drawn(30, 20).size(), 8u);

    struct { int w, h; } shapes[] = {{20, 10}, {10, 20}, {40, 30}, {16, 16}, {30, 4}};
    for (auto [w, h] : shapes) {
        clear();
        draw_ellipse(32, 24, w, h, 0xFFFF);
        point_set points = drawn(32, 24);
        double a = w / 2, b = h / 2;
        for (auto [x, y] : points) {
            // Within a pixel of the true outline along the nearer axis.
            double rx = std::sqrt(std::max(0.0, 1 - (y * y) / (b * b))) * a;
            double ry = std::sqrt(std::max(0.0, 1 - (x * x) / (a * a))) * b;
            bool near = std::fabs(std::fabs(x) - rx) <= 1.0 || std::fabs(std::fabs(y) - ry) <= 1.0;
            ASSERT_TRUE(near) << w << "x" << h << " at " << x << "," << y;
        }
        EXPECT_TRUE(points.count({w / 2, 0}) && points.count({0, h / 2})) << w << "x" << h;
        EXPECT_TRUE(connected(points)) << w << "x" << h;
    }
}

TEST_F(Pixels, SpansAreCutToTheScreen)
{
    hline16(-5, 3, 10, 0x1111);  // columns 0..4
    hline16(60, 4, 10, 0x2222);  // columns 60..63
    hline16(0, 48, 10, 0x3333);  // below the screen: nothing
    hline16(0, 5, 0, 0x3333);    // empty
    vline16(2, 45, 10, 0x4444);  // rows 45..47
    fill_rect16(62, 10, 5, 2, 0x5555);
    point_set want;
    for (int x = 0; x < 5; ++x) want.insert({x, 3});
    for (int x = 60; x < 64; ++x) want.insert({x, 4});
    for (int y = 45; y < 48; ++y) want.insert({2, y});
    for (int y = 10; y < 12; ++y) { want.insert({62, y}); want.insert({63, y}); }
    EXPECT_EQ(drawn(), want);
    EXPECT_EQ(read_pixel(2, 46), 0x4444u);
    EXPECT_EQ(read_pixel(63, 11), 0x5555u);
}

TEST_F(Pixels, PointsOffTheScreenAreNotWritten)
{
    // The last pixel of the surface is followed by nothing we own.
    put_pixel16(64, 47, 0xFFFF);
    put_pixel16(0, 48, 0xFFFF);
    put_pixel16(-1, 0, 0xFFFF);
    put_pixel32(63, 47, 0x12345678);  // a 32-bit write at depth 16 stays in memory
    draw_line(-10, -10, 100, 100, 0xFFFF);
    draw_circle(0, 0, 200, 0xFFFF);
    EXPECT_EQ(read_pixel(64, 0), 0u);
    EXPECT_EQ(read_pixel(-1, -1), 0u);
    EXPECT_EQ(read_pixel(10, 10), 0xFFFFu);  // the visible part of the line
}

TEST_F(Pixels, NothingIsWrittenBeforeReadPixel)
{
    screen_pixels = nullptr;
    put_pixel16(1, 1, 0xFFFF);
    hline16(0, 0, 10, 0xFFFF);
    EXPECT_TRUE(drawn().empty());
    EXPECT_EQ(read_pixel(1, 1), 0u);
    EXPECT_EQ(screen_pixels, draw_surface->pixels);
}

TEST(Pixels8, EightBitPrimitivesClipAtTheScreen)
{
    ASSERT_TRUE(start(16, 8, 8));
    read_pixel(0, 0);
    put_pixel8(16, 0, 7);  // x = screen_width: nothing
    put_pixel8(15, 7, 7);
    rect8(1, 1, 4, 3, 9);
    fill_rect8(10, 5, 3, 2, 4);
    EXPECT_EQ(read_pixel(15, 7), 7u);
    EXPECT_EQ(read_pixel(0, 1), 0u);
    for (int x = 1; x <= 4; ++x) {
        EXPECT_EQ(read_pixel(x, 1), 9u);
        EXPECT_EQ(read_pixel(x, 3), 9u);
    }
    EXPECT_EQ(read_pixel(1, 2), 9u);
    EXPECT_EQ(read_pixel(4, 2), 9u);
    EXPECT_EQ(read_pixel(2, 2), 0u);
    EXPECT_EQ(read_pixel(12, 6), 4u);
    // put_pixel writes nothing at depth 8.
    put_pixel(0, 0, 0xFF);
    EXPECT_EQ(read_pixel(0, 0), 0u);
    release_display();
}

TEST(Pixels32, ReadPixelAndPutPixelAtDepth32)
{
    ASSERT_TRUE(start(16, 8, 32));
    read_pixel(0, 0);
    put_pixel(3, 2, 0x00ABCDEF);
    EXPECT_EQ(read_pixel(3, 2), 0x00ABCDEFu);
    release_display();
    EXPECT_EQ(read_pixel(3, 2), 0u);  // no display, nothing to read
}
