#include "core/shuffleorder.h"

#include <algorithm>

namespace {
// Rows remembered for Previous: enough for days of play.
constexpr size_t kMaxHistory = 100000;
} // namespace

ShuffleOrder::ShuffleOrder(std::function<int(int)> random) : random_(std::move(random))
{
    if (!random_)
        random_ = [this](int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator_); };
}

void ShuffleOrder::startRound(int current, int count, bool currentPlayed)
{
    count_ = count;
    remaining_.clear();
    for (int row = 1; row <= count; ++row)
        if (!(currentPlayed && row == current))
            remaining_.push_back(row);
    for (int i = int(remaining_.size()) - 1; i > 0; --i)
        std::swap(remaining_[i], remaining_[random_(i + 1)]);
    // The round's first row (taken from the back) is never the one just played.
    if (!currentPlayed && remaining_.size() > 1 && remaining_.back() == current)
        std::swap(remaining_.back(), remaining_[random_(int(remaining_.size()) - 1)]);
}

int ShuffleOrder::next(int current, int count)
{
    if (count <= 0)
        return 0;
    const bool followsOrder = count == count_ && at_ < played_.size() && played_[at_] == current;
    if (!followsOrder) {
        // A new list, or a row chosen by hand: a new round from it.
        startRound(current, count, true);
        played_ = {current};
        at_ = 0;
    } else if (at_ + 1 < played_.size()) {
        return played_[++at_]; // forward again through rows gone back over
    }
    if (remaining_.empty())
        startRound(current, count, false);
    if (remaining_.empty())
        return current; // a list of one row
    played_.push_back(remaining_.back());
    remaining_.pop_back();
    if (played_.size() > kMaxHistory)
        played_.erase(played_.begin(), played_.begin() + played_.size() / 2);
    at_ = played_.size() - 1;
    return played_[at_];
}

int ShuffleOrder::upcoming(int current, int count)
{
    // Chosen as next() chooses, then stepped back: next() goes forward
    // again through it.
    const int row = next(current, count);
    previous(row);
    return row;
}

int ShuffleOrder::previous(int current)
{
    if (at_ == 0 || at_ >= played_.size() || played_[at_] != current)
        return 0;
    return played_[--at_];
}
