// The gap buffer and the lazily stepped prefix sums, checked against plain
// vectors over random operation sequences.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/Partitioning.h"
#include "editor/SplitVector.h"

using editor::Partitioning;
using editor::SplitVector;

TEST(SplitVector, RandomInsertEraseMatchesVector) {
    std::mt19937 rng(7);
    SplitVector<int> sv;
    std::vector<int> model;
    for (int step = 0; step < 20000; ++step) {
        int op = static_cast<int>(rng() % 10);
        if (op < 5 || model.empty()) {
            size_t pos = rng() % (model.size() + 1);
            size_t count = 1 + rng() % 4;
            sv.InsertZeroed(pos, count);
            model.insert(model.begin() + static_cast<long>(pos), count, 0);
            for (size_t k = 0; k < count; ++k) {
                sv[pos + k] = step * 10 + static_cast<int>(k);
                model[pos + k] = step * 10 + static_cast<int>(k);
            }
        } else if (op < 9) {
            size_t pos = rng() % model.size();
            size_t count = 1 + rng() % std::min<size_t>(3, model.size() - pos);
            sv.Erase(pos, count);
            model.erase(model.begin() + static_cast<long>(pos), model.begin() + static_cast<long>(pos + count));
        } else {
            sv.SetCapacity(model.size() + rng() % 5);
        }
        ASSERT_EQ(sv.size(), model.size());
        if (step % 97 == 0) {
            for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(sv[i], model[i]) << "step " << step;
        }
    }
    int* flat = sv.Contiguous();
    for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(flat[i], model[i]);
}

TEST(SplitVector, ExactCapacityAndMove) {
    SplitVector<int> sv;
    sv.SetCapacity(5);
    for (int i = 0; i < 5; ++i) sv.PushBack(i);
    EXPECT_EQ(sv.capacity(), 5u);
    sv.Insert(2, 99);  // full: grows
    EXPECT_GE(sv.capacity(), 6u);
    SplitVector<int> moved = std::move(sv);
    EXPECT_EQ(moved.size(), 6u);
    EXPECT_EQ(moved[2], 99);
    EXPECT_EQ(moved[5], 4);
    EXPECT_EQ(sv.size(), 0u);
}

namespace {
struct Model {
    std::vector<int64_t> lengths;
    int64_t Start(size_t i) const {
        int64_t s = 0;
        for (size_t k = 0; k < i; ++k) s += lengths[k];
        return s;
    }
    size_t PartOf(int64_t off) const {
        int64_t s = 0;
        for (size_t k = 0; k < lengths.size(); ++k) {
            s += lengths[k];
            if (s > off) return k;
        }
        return lengths.size();
    }
};

void ExpectSame(const Partitioning& p, const Model& m, int step) {
    ASSERT_EQ(p.Parts(), m.lengths.size()) << "step " << step;
    int64_t s = 0;
    for (size_t i = 0; i < m.lengths.size(); ++i) {
        ASSERT_EQ(p.Start(i), s) << "part " << i << " step " << step;
        s += m.lengths[i];
    }
    ASSERT_EQ(p.Total(), s);
}
}  // namespace

TEST(Partitioning, RandomEditsMatchPrefixSums) {
    std::mt19937 rng(11);
    Partitioning p;
    Model m;
    for (int step = 0; step < 6000; ++step) {
        int op = static_cast<int>(rng() % 12);
        if (op < 3 || m.lengths.empty()) {
            size_t i = rng() % (m.lengths.size() + 1);
            int64_t len = static_cast<int64_t>(rng() % 5);  // zero lengths happen (wrap joints)
            p.InsertPart(i, len);
            m.lengths.insert(m.lengths.begin() + static_cast<long>(i), len);
        } else if (op < 5) {
            size_t i = rng() % (m.lengths.size() + 1);
            size_t count = rng() % 4;
            int64_t len = static_cast<int64_t>(rng() % 3);
            p.InsertUniformParts(i, count, len);
            m.lengths.insert(m.lengths.begin() + static_cast<long>(i), count, len);
        } else if (op < 7) {
            size_t i = rng() % m.lengths.size();
            size_t count = 1 + rng() % std::min<size_t>(3, m.lengths.size() - i);
            p.RemoveParts(i, count);
            m.lengths.erase(m.lengths.begin() + static_cast<long>(i), m.lengths.begin() + static_cast<long>(i + count));
        } else {
            size_t i = rng() % m.lengths.size();
            int64_t delta = static_cast<int64_t>(rng() % 9) - 4;
            if (m.lengths[i] + delta < 0) delta = -m.lengths[i];
            p.ChangeLength(i, delta);
            m.lengths[i] += delta;
        }
        ExpectSame(p, m, step);
        int64_t total = p.Total();
        for (int q = 0; q < 4; ++q) {
            int64_t off = total > 0 ? static_cast<int64_t>(rng() % static_cast<uint64_t>(total + 2)) : 0;
            ASSERT_EQ(p.PartOfOffset(off), m.PartOf(off)) << "offset " << off << " step " << step;
        }
    }
}

TEST(Partitioning, AssignThenEditFarApart) {
    Partitioning p;
    p.Assign(1000, [](size_t i) { return static_cast<int64_t>(i % 7); });
    Model m;
    for (size_t i = 0; i < 1000; ++i) m.lengths.push_back(static_cast<int64_t>(i % 7));
    // Alternate edits at both ends so the pending step moves back and forth.
    for (int k = 0; k < 50; ++k) {
        size_t i = k % 2 ? 3 : 990;
        p.ChangeLength(i, 5);
        m.lengths[i] += 5;
    }
    ExpectSame(p, m, 0);
    EXPECT_EQ(p.PartOfOffset(-5), 0u);
    EXPECT_EQ(p.PartOfOffset(p.Total()), 1000u);
}
