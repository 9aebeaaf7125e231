// The per-column reduction on its own. Every expectation is worked out by hand from the
// point-by-point line, whose segments leave out their end pixel.
#include "chart/column_reducer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace kv {

using V = ColumnReducer::Vertex;
using S = ColumnReducer::Span;

std::ostream& operator<<(std::ostream& o, const V& v) {
    return o << "(" << v.x << "," << v.y << ")";
}
std::ostream& operator<<(std::ostream& o, const S& s) {
    return o << "[" << s.left << "," << s.top << " " << s.right << "," << s.bottom << ")";
}

namespace {

std::vector<std::vector<V>> polylinesOf(const ColumnReducer& r) {
    std::vector<std::vector<V>> out;
    for (const ColumnReducer::Polyline& p : r.polylines())
        out.emplace_back(r.path().begin() + long(p.begin), r.path().begin() + long(p.end));
    return out;
}

// Feeds points and ends the line; a point at x == kBreak ends the line there instead.
constexpr int kBreak = 1 << 30;
ColumnReducer reduce(const std::vector<V>& points) {
    ColumnReducer r;
    for (const V& p : points) {
        if (p.x == kBreak)
            r.endLine();
        else
            r.addPoint(p.x, p.y);
    }
    r.endLine();
    return r;
}

TEST(ColumnReduction, ASinglePointDrawsNothingUnlessTheLineEntersFromOutside) {
    ColumnReducer r = reduce({{5, 7}});
    EXPECT_TRUE(r.polylines().empty());
    EXPECT_TRUE(r.fills().empty());

    r.clear();
    r.enterFrom(5, 2); // on the point's own column
    r.addPoint(5, 7);
    r.endLine();
    EXPECT_EQ(polylinesOf(r), (std::vector<std::vector<V>>{{{5, 2}, {5, 7}}}));
    EXPECT_TRUE(r.fills().empty());
}

TEST(ColumnReduction, OneColumnCoversItsRowsButAnExtremeReachedOnlyAtTheEnd) {
    // 10 -> 3 -> 8 -> 6: rows 3..10 (the last point, 6, lies between).
    ColumnReducer r = reduce({{5, 10}, {5, 3}, {5, 8}, {5, 6}});
    EXPECT_EQ(polylinesOf(r), (std::vector<std::vector<V>>{{{5, 10}, {5, 6}}}));
    EXPECT_EQ(r.fills(), (std::vector<S>{{5, 3, 6, 11}}));

    // 4 -> 6 -> 9: row 9 is reached only by the end pixel, so it stays blank.
    r = reduce({{5, 4}, {5, 6}, {5, 9}});
    EXPECT_EQ(r.fills(), (std::vector<S>{{5, 4, 6, 9}}));
    // 9 -> 4 -> 9: row 9 was the start of a segment, so it is drawn.
    r = reduce({{5, 9}, {5, 4}, {5, 9}});
    EXPECT_TRUE(r.polylines().empty()); // first and last point coincide
    EXPECT_EQ(r.fills(), (std::vector<S>{{5, 4, 6, 10}}));
    // 6 -> 2 -> 2: the bottom row reached and never left; 6 -> 2 -> 3 -> 2: left and back.
    EXPECT_EQ(reduce({{5, 6}, {5, 2}, {5, 2}}).fills(), (std::vector<S>{{5, 3, 6, 7}}));
    EXPECT_EQ(reduce({{5, 6}, {5, 2}, {5, 3}, {5, 2}}).fills(), (std::vector<S>{{5, 2, 6, 7}}));
}

TEST(ColumnReduction, ANullPointInsideAColumnEndsOneLineAndStartsAnother) {
    ColumnReducer r = reduce({{5, 2}, {5, 8}, {kBreak, 0}, {5, 20}, {5, 14}, {6, 14}});
    // 2 -> 8 ends on its top row (8 left blank); 20 -> 14 goes on to the next column.
    EXPECT_EQ(polylinesOf(r),
              (std::vector<std::vector<V>>{{{5, 2}, {5, 8}}, {{5, 20}, {5, 14}, {6, 14}}}));
    EXPECT_EQ(r.fills(), (std::vector<S>{{5, 2, 6, 8}, {5, 14, 6, 21}}));
}

TEST(ColumnReduction, LinesGoOnAcrossColumnsAndEqualSpansShareOneFill) {
    ColumnReducer r = reduce({{0, 0}, {0, 5}, {1, 0}, {1, 5}, {2, 3}, {2, 1}, {3, 1}});
    EXPECT_EQ(polylinesOf(r), (std::vector<std::vector<V>>{
                                  {{0, 0}, {0, 5}, {1, 0}, {1, 5}, {2, 3}, {2, 1}, {3, 1}}}));
    EXPECT_EQ(r.fills(), (std::vector<S>{{0, 0, 2, 6}, {2, 1, 3, 4}}));

    // A run longer than twelve rows is left to the span: the polyline starts over at the
    // column's last point instead of drawing it again.
    r = reduce({{3, 0}, {3, 30}, {4, 30}});
    EXPECT_EQ(polylinesOf(r), (std::vector<std::vector<V>>{{{3, 30}, {4, 30}}}));
    EXPECT_EQ(r.fills(), (std::vector<S>{{3, 0, 4, 31}}));
}

TEST(ColumnReduction, ColumnsAtThePixelLimitsCountAndPointsBeyondThemArePassedOver) {
    const int lim = ColumnReducer::kPixelLimit;
    ColumnReducer r = reduce({{-lim, 0},
                              {-lim - 1, 4}, // beyond: neither ends nor starts a segment
                              {-lim, 10},
                              {lim, 10},
                              {lim + 1, 5},
                              {lim, -lim - 1},
                              {lim, 0}});
    EXPECT_EQ(polylinesOf(r),
              (std::vector<std::vector<V>>{{{-lim, 0}, {-lim, 10}, {lim, 10}, {lim, 0}}}));
    EXPECT_EQ(r.fills(), (std::vector<S>{{-lim, 0, -lim + 1, 11}, {lim, 1, lim + 1, 11}}));
}

TEST(ColumnReduction, UnorderedColumnsAreTakenInLineOrder) {
    // Back to column 3, to 5 again and on to 4: every visit is a column of its own, and a
    // span joins only the one just left of it.
    ColumnReducer r = reduce({{5, 0}, {5, 6}, {3, 6}, {3, 2}, {5, 2}, {5, 4}, {4, 7}, {4, 2}});
    EXPECT_EQ(polylinesOf(r),
              (std::vector<std::vector<V>>{
                  {{5, 0}, {5, 6}, {3, 6}, {3, 2}, {5, 2}, {5, 4}, {4, 7}, {4, 2}}}));
    EXPECT_EQ(r.fills(), (std::vector<S>{{5, 0, 6, 7}, {3, 2, 4, 7}, {5, 2, 6, 5}, {4, 3, 5, 8}}));
}

TEST(ColumnReduction, SummarisedColumnsAskOnlyAboutTheRowTheLineEndsOn) {
    std::vector<int> asked;
    for (bool left : {true, false}) {
        ColumnReducer r;
        r.addColumn({6, 4, 4, 0, 9});
        r.addColumn({7, 3, 9, 1, 9});
        r.endLine([&](int row) {
            asked.push_back(row);
            return left;
        });
        EXPECT_EQ(r.fills(), (std::vector<S>{{6, 0, 7, 10}, {7, 1, 8, left ? 10 : 9}}));
    }
    EXPECT_EQ(asked, (std::vector<int>{9, 9}));

    ColumnReducer r; // the last point between the extremes: nothing to ask
    r.addColumn({7, 3, 5, 1, 9});
    r.endLine([&](int) {
        ADD_FAILURE() << "asked about a column that ends between its extremes";
        return false;
    });
    EXPECT_EQ(r.fills(), (std::vector<S>{{7, 1, 8, 10}}));
}

} // namespace
} // namespace kv
