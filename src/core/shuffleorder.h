#pragma once

#include <functional>
#include <random>
#include <vector>

// Shuffled play (ランダム再生): rows in a random order in which every row
// plays once before any plays again, a new order each round, never the
// same row twice in a row where one round meets the next. Previous goes
// back through the rows already played. Rows are numbered from 1.
class ShuffleOrder {
public:
    // random(n) gives a number below n; by default a seeded generator.
    explicit ShuffleOrder(std::function<int(int)> random = {});

    // The row to play after current (the row playing now) in a list of
    // count rows. A row chosen by hand starts a new round from it.
    int next(int current, int count);
    // The row next() will give for current, chosen now and kept for it.
    int upcoming(int current, int count);
    // The row played before current, while there is one; else 0.
    int previous(int current);

private:
    void startRound(int current, int count, bool currentPlayed);

    std::function<int(int)> random_;
    std::mt19937 generator_{std::random_device{}()};
    int count_ = 0;
    std::vector<int> remaining_; // this round's rows still to play, next last
    std::vector<int> played_;    // the rows played, oldest first
    size_t at_ = 0;              // where in played_ the current row is
};
