#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace QV {
namespace {

std::vector<RegionRect> RectsOf(const RectRegion& region) {
    std::vector<RegionRect> rects;
    for (const RectRegionNode* node = region.GetHead(); node != nullptr; node = node->next) {
        rects.push_back(*node);
    }
    return rects;
}

std::vector<RegionRect> Sorted(std::vector<RegionRect> rects) {
    std::sort(rects.begin(), rects.end(), [](const RegionRect& a, const RegionRect& b) {
        return std::tie(a.top, a.left, a.bottom, a.right) < std::tie(b.top, b.left, b.bottom, b.right);
    });
    return rects;
}

std::string DescribeRegion(const std::vector<RegionRect>& rects) {
    std::string text;
    for (const RegionRect& r : rects) {
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
                "," + std::to_string(r.bottom) + ")";
    }
    return text;
}

// The covered set of a 64 x 64 area, one flag per pixel.
constexpr int kGrid = 64;
using Cells = std::array<bool, kGrid * kGrid>;

void Fill(Cells& cells, const RegionRect& r, bool value) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, kGrid); ++y) {
        for (int x = std::max(r.left, 0); x < std::min(r.right, kGrid); ++x) {
            cells[y * kGrid + x] = value;
        }
    }
}

// The banded form of a covered set: the runs of each row, stacked with the identical runs of
// the rows below.
std::vector<RegionRect> NormalForm(const Cells& cells) {
    std::vector<RegionRect> done;
    std::vector<RegionRect> open;
    for (int y = 0; y <= kGrid; ++y) {
        std::vector<RegionRect> runs;
        for (int x = 0; y < kGrid && x < kGrid;) {
            if (!cells[y * kGrid + x]) {
                ++x;
                continue;
            }
            const int left = x;
            while (x < kGrid && cells[y * kGrid + x]) {
                ++x;
            }
            runs.push_back({left, y, x, y + 1});
        }
        std::vector<RegionRect> stillOpen;
        for (RegionRect& run : runs) {
            auto above = std::find_if(open.begin(), open.end(), [&](const RegionRect& r) {
                return r.left == run.left && r.right == run.right;
            });
            if (above != open.end()) {
                run.top = above->top;
                open.erase(above);
            }
            stillOpen.push_back(run);
        }
        done.insert(done.end(), open.begin(), open.end());
        open = stillOpen;
    }
    return Sorted(done);
}

// Every rectangle is non-empty and inside the grid; no pixel is covered twice; the covered set
// is the oracle's.
void ExpectCovers(const RectRegion& region, const Cells& oracle, const std::string& step) {
    std::array<int, kGrid * kGrid> counts{};
    for (const RegionRect& r : RectsOf(region)) {
        ASSERT_LT(r.left, r.right) << step;
        ASSERT_LT(r.top, r.bottom) << step;
        ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= kGrid && r.bottom <= kGrid) << step;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                ++counts[y * kGrid + x];
            }
        }
    }
    for (int i = 0; i < kGrid * kGrid; ++i) {
        ASSERT_LE(counts[i], 1) << step << ": overlap at " << i % kGrid << "," << i / kGrid;
        ASSERT_EQ(counts[i] == 1, oracle[i]) << step << ": pixel " << i % kGrid << "," << i / kGrid;
    }
}

bool OracleIntersects(const Cells& oracle, const RegionRect& r) {
    Cells probe{};
    Fill(probe, r, true);
    for (int i = 0; i < kGrid * kGrid; ++i) {
        if (probe[i] && oracle[i]) {
            return true;
        }
    }
    return false;
}

RegionRect RandomRect(std::mt19937& random) {
    std::uniform_int_distribution<int> coordinate(0, kGrid);
    std::uniform_int_distribution<int> size(0, 20);
    const int left = coordinate(random);
    const int top = coordinate(random);
    return {left, top, std::min(kGrid, left + size(random)), std::min(kGrid, top + size(random))};
}

TEST(RectRegionProperty, MatchesABitSetOracleThroughRandomOperations) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        RectRegion region;
        Cells oracle{};
        for (int step = 0; step < 400; ++step) {
            const int operation = std::uniform_int_distribution<int>(0, 9)(random);
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step) +
                                      " operation " + std::to_string(operation);
            RectRegion other;
            Cells otherCells{};
            for (int i = std::uniform_int_distribution<int>(0, 4)(random); i > 0; --i) {
                const RegionRect r = RandomRect(random);
                other.AddRect(r.left, r.top, r.right, r.bottom);
                Fill(otherCells, r, true);
            }
            const RegionRect r = RandomRect(random);
            switch (operation) {
                case 0:
                case 1:
                case 2:
                    region.AddRect(r.left, r.top, r.right, r.bottom);
                    Fill(oracle, r, true);
                    break;
                case 3:
                    region.SubtractRect(r);
                    Fill(oracle, r, false);
                    break;
                case 4: {
                    RectRegion removed;
                    region.SubtractRegion(other, &removed);
                    Cells removedCells{};
                    for (int i = 0; i < kGrid * kGrid; ++i) {
                        removedCells[i] = oracle[i] && otherCells[i];
                        oracle[i] = oracle[i] && !otherCells[i];
                    }
                    ExpectCovers(removed, removedCells, where + " removed parts");
                    break;
                }
                case 5:
                    region.Intersect(other);
                    for (int i = 0; i < kGrid * kGrid; ++i) {
                        oracle[i] = oracle[i] && otherCells[i];
                    }
                    break;
                case 6:
                    // What is not covered yet, so the appended copies overlap nothing.
                    other.SubtractRegion(region);
                    region.Append(other);
                    for (int i = 0; i < kGrid * kGrid; ++i) {
                        oracle[i] = oracle[i] || otherCells[i];
                    }
                    break;
                case 7: {
                    RegionRect bounds;
                    if (region.GetBounds(bounds)) {
                        const int dx =
                            std::uniform_int_distribution<int>(-bounds.left, kGrid - bounds.right)(random);
                        const int dy =
                            std::uniform_int_distribution<int>(-bounds.top, kGrid - bounds.bottom)(random);
                        region.Offset(dx, dy);
                        Cells moved{};
                        for (int y = 0; y < kGrid; ++y) {
                            for (int x = 0; x < kGrid; ++x) {
                                if (oracle[y * kGrid + x]) {
                                    moved[(y + dy) * kGrid + x + dx] = true;
                                }
                            }
                        }
                        oracle = moved;
                    }
                    break;
                }
                default:
                    region.Normalize();
                    ASSERT_EQ(DescribeRegion(NormalForm(oracle)), DescribeRegion(Sorted(RectsOf(region))))
                        << where;
                    break;
            }
            ExpectCovers(region, oracle, where);
            ASSERT_EQ(region.Intersects(r.left, r.top, r.right, r.bottom), OracleIntersects(oracle, r))
                << where;
        }
    }
}

struct RegionCase {
    const char* name;
    std::function<void(RectRegion&)> build;
    std::vector<RegionRect> expected;
};

TEST(RectRegion, OperationsGiveTheirRectangles) {
    const RegionCase cases[] = {
        {"overlapping add keeps the older rectangle's outside parts",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.AddRect(5, 5, 15, 15);
         },
         {{0, 0, 10, 5}, {0, 5, 5, 10}, {5, 5, 15, 15}}},
        {"subtracting a hole leaves the parts above, below, left and right",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.SubtractRect({2, 2, 4, 4});
         },
         {{0, 0, 10, 2}, {0, 2, 2, 4}, {4, 2, 10, 4}, {0, 4, 10, 10}}},
        {"touching rectangles do not overlap",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.AddRect(10, 0, 20, 10);
         },
         {{0, 0, 10, 10}, {10, 0, 20, 10}}},
        {"normalize merges side by side",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.AddRect(10, 0, 20, 10);
             r.Normalize();
         },
         {{0, 0, 20, 10}}},
        {"normalize merges one above the other",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.AddRect(0, 10, 10, 20);
             r.Normalize();
         },
         {{0, 0, 10, 20}}},
        {"normalize cuts into bands",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 20);
             r.AddRect(20, 5, 30, 10);
             r.Normalize();
         },
         {{0, 0, 10, 20}, {20, 5, 30, 10}}},
        {"intersect keeps the common part",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             RectRegion other;
             other.AddRect(5, 5, 20, 20);
             r.Intersect(other);
         },
         {{5, 5, 10, 10}}},
        {"double rectangles round each value up from one half",
         [](RectRegion& r) {
             r.AddRect(RectT<double>{0.4, 0.5, 9.5, 9.4});
         },
         {{0, 1, 10, 10}}},
        {"an empty rectangle adds nothing",
         [](RectRegion& r) {
             EXPECT_EQ(r.AddRect(5, 0, 5, 10), nullptr);
             EXPECT_EQ(r.AddRect(0, 7, 10, 3), nullptr);
         },
         {}},
        {"subtracting a region from itself empties it",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.AddRect(20, 0, 30, 10);
             r.SubtractRegion(r);
         },
         {}},
        {"intersecting with itself changes nothing",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.Intersect(r);
         },
         {{0, 0, 10, 10}}},
        {"appending to itself doubles the list",
         [](RectRegion& r) {
             r.AddRect(0, 0, 10, 10);
             r.Append(r);
         },
         {{0, 0, 10, 10}, {0, 0, 10, 10}}},
        {"offset saturates and drops what is squeezed to nothing",
         [](RectRegion& r) {
             r.AddRect(INT32_MAX - 10, 0, INT32_MAX - 5, 5);
             r.AddRect(INT32_MAX - 20, 10, INT32_MAX - 5, 15);
             r.Offset(15, 1);
         },
         {{INT32_MAX - 5, 11, INT32_MAX, 16}}},
    };
    for (const RegionCase& c : cases) {
        const uint32_t inUse = RectRegionNodePool::GetInstance().GetInUseCount();
        {
            RectRegion region;
            c.build(region);
            EXPECT_EQ(DescribeRegion(Sorted(c.expected)), DescribeRegion(Sorted(RectsOf(region)))) << c.name;
            EXPECT_EQ(region.GetCount(), c.expected.size()) << c.name;
        }
        EXPECT_EQ(RectRegionNodePool::GetInstance().GetInUseCount(), inUse) << c.name;
    }
}

TEST(RectRegion, BoundsAndRectanglesAsArrays) {
    RectRegion region;
    RegionRect bounds{1, 2, 3, 4};
    EXPECT_FALSE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, (RegionRect{0, 0, 0, 0}));

    region.AddRect(10, 20, 30, 40);
    region.AddRect(-5, 25, 0, 26);
    EXPECT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, (RegionRect{-5, 20, 30, 40}));

    Array<RectT<int32_t>> rects;
    rects.Add({9, 9, 9, 9});
    region.ForEachRect(rects);
    ASSERT_EQ(rects.GetCount(), 2u);
    EXPECT_EQ(rects.GetAt(0), (RectT<int32_t>{-5, 25, 5, 1}));
    EXPECT_EQ(rects.GetAt(1), (RectT<int32_t>{10, 20, 20, 20}));
}

TEST(RectRegion, IntersectsUsesOpenIntervals) {
    RectRegion region;
    region.AddRect(10, 10, 20, 20);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        RectT<double> rect;
        PointT<double> offset;
        bool expected;
    } cases[] = {
        {{20, 10, 10, 10}, {0, 0}, false},     // touches the right edge
        {{19, 19, 6, 6}, {0, 0}, true},        // one pixel in common
        {{-5, -5, 15, 15}, {0, 0}, false},     // ends on the left and top edges
        {{-5, -5, 16, 16}, {0, 0}, true},      // one pixel past them
        {{5, 5, 5, 5}, {0.6, 0.6}, true},      // the offset edges round to 11
        {{5, 5, 5, 5}, {0.4, 0.4}, false},     // ... and to 10
        {{15, 15, 0.0, 2}, {0, 0}, false},     // no width
        {{nan, 15, 2, 2}, {0, 0}, false},      // no position
        {{15, 15, 2, 2}, {-1e300, 0}, false},  // far away
    };
    for (const Case& c : cases) {
        EXPECT_EQ(region.Intersects(c.rect, c.offset), c.expected)
            << c.rect.x << "," << c.rect.y << "," << c.rect.width << "," << c.rect.height << " + "
            << c.offset.x << "," << c.offset.y;
    }
    EXPECT_FALSE(RectRegion().Intersects(0, 0, 100, 100));
    // A rectangle of no width inside the region covers nothing of it.
    EXPECT_FALSE(region.Intersects(15, 10, 15, 20));
    EXPECT_FALSE(region.Intersects(10, 15, 20, 15));
}

TEST(RectRegionNodePool, NodesPastTheBlockComeFromAndGoBackToTheHeap) {
    RectRegionNodePool pool;
    EXPECT_EQ(pool.GetCapacity(), 0u);
    std::vector<RectRegionNode*> nodes;
    for (uint32_t i = 0; i < RectRegionNodePool::kCapacity; ++i) {
        nodes.push_back(pool.Take());
        ASSERT_TRUE(pool.IsPoolNode(nodes.back())) << i;
    }
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    RectRegionNode* heap = pool.Take();
    EXPECT_FALSE(pool.IsPoolNode(heap));
    EXPECT_EQ(pool.GetInUseCount(), 513u);
    EXPECT_EQ(pool.GetPeakCount(), 513u);

    heap->left = 7;
    pool.Return(heap);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    EXPECT_EQ(pool.GetInUseCount(), 512u);

    // Returned slots join the end of the ring and are handed out in that order, zeroed.
    pool.Return(nodes[3]);
    pool.Return(nodes[1]);
    EXPECT_EQ(pool.GetFreeCount(), 2u);
    nodes[3]->right = 9;
    EXPECT_EQ(pool.Take(), nodes[3]);
    EXPECT_EQ(nodes[3]->right, 0);
    EXPECT_EQ(pool.Take(), nodes[1]);
    for (RectRegionNode* node : nodes) {
        pool.Return(node);
    }
    EXPECT_EQ(pool.GetFreeCount(), RectRegionNodePool::kCapacity);
    EXPECT_EQ(pool.GetInUseCount(), 0u);
    EXPECT_EQ(pool.GetPeakCount(), 513u);
}

TEST(RectRegionNodePool, WithoutABlockEveryNodeIsFromTheHeap) {
    RectRegionNodePool pool(0);
    RectRegionNode* a = pool.Take();
    RectRegionNode* b = pool.Take();
    EXPECT_FALSE(pool.IsPoolNode(a));
    EXPECT_EQ(pool.GetInUseCount(), 2u);
    pool.Return(a);
    pool.Return(b);
    EXPECT_EQ(pool.GetInUseCount(), 0u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
}

// Regions on several threads share the process-wide pool, in and past its block.
TEST(RectRegionPoolThreads, RegionsOnManyThreadsShareThePool) {
    RectRegionNodePool& pool = RectRegionNodePool::GetInstance();
    const uint32_t inUse = pool.GetInUseCount();
    std::vector<std::thread> threads;
    for (uint32_t t = 0; t < 6; ++t) {
        threads.emplace_back([t] {
            std::mt19937 random(t + 100);
            for (int round = 0; round < 40; ++round) {
                RectRegion region;
                for (int i = 0; i < 60; ++i) {
                    const RegionRect r = RandomRect(random);
                    region.AddRect(r.left, r.top, r.right, r.bottom);
                }
                RectRegion copy(region);
                copy.Offset(1, 1);
                region.SubtractRegion(copy);
                region.Normalize();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(pool.GetInUseCount(), inUse);
    EXPECT_GE(pool.GetPeakCount(), inUse);
    if (inUse == 0) {
        EXPECT_EQ(pool.GetFreeCount(), pool.GetCapacity());
    }
}

}  // namespace
}  // namespace QV
