#include "core/block_array.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kv {
namespace {

TEST(BlockStore, ElementsStayWhereTheyWereWrittenWhileTheArrayGrows) {
    BlockArray<double> a;
    std::vector<std::pair<int, const double*>> seen;
    for (int i = 0; i < 300000; ++i) {
        a.push_back(i * 0.5);
        if (i < 40 || i % 997 == 0)
            seen.emplace_back(i, &a[std::size_t(i)]);
    }
    for (const auto& [i, where] : seen) {
        ASSERT_EQ(&a[std::size_t(i)], where) << i;
        ASSERT_EQ(*where, i * 0.5) << i;
    }
    // The values, one partly filled block and the table of blocks.
    EXPECT_LE(a.storageBytes(), (300000 + BlockArray<double>::kBlock) * sizeof(double) + 512);
    a.clear();
    EXPECT_EQ(a.storageBytes(), 0u);
}

// Large elements make small blocks, so a few hundred of them span many blocks; the text
// lives on the heap, so a lost, doubled or stale element shows (also to the sanitizers).
struct alignas(2048) Item {
    std::string text;
};

TEST(BlockStore, InsertsAndErasesAcrossBlockEdgesMatchAPlainVector) {
    static_assert(BlockArray<Item>::kBlock == 32);
    BlockArray<Item> a;
    std::vector<std::string> model;
    std::mt19937 rng(3);
    for (int step = 0; step < 4000; ++step) {
        const std::size_t n = model.size();
        // Ends, block edges (1, 2, 4, ..., 32, 64) and anywhere.
        const std::size_t edges[] = {
            0, n, n ? n - 1 : 0, 1, 2, 3, 4, 31, 32, 33, 63, 64, std::size_t(rng()) % (n + 1)};
        const std::size_t at = std::min(n, edges[rng() % std::size(edges)]);
        if (n < 300 && (n == 0 || at == n || rng() % 5 < 3)) {
            const std::string text = "item " + std::to_string(step) + std::string(40, '.');
            a.insert(at, Item{text});
            model.insert(model.begin() + long(at), text);
        } else {
            const std::size_t gone = std::min(at, n - 1);
            a.erase(gone);
            model.erase(model.begin() + long(gone));
        }
        ASSERT_EQ(a.size(), model.size());
        for (std::size_t i = 0; i < model.size(); ++i)
            ASSERT_EQ(a[i].text, model[i]) << "step " << step << " index " << i;
    }
}

} // namespace
} // namespace kv
