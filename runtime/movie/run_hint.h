// Where the previous lookup in a sorted list ended, so that a walk that moves
// forward (a reader taking one sample after another) finds its next answer in
// constant time instead of by binary search. The hint is only a guess: every
// lookup checks it against the list before it uses it, so a stale hint, or
// one another thread has just moved, costs a search and never a wrong answer.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qtrt {

class run_hint {
public:
    run_hint() = default;
    // noexcept, so that a vector of tables moves them when it grows.
    run_hint(const run_hint& other) noexcept : m_at(other.get()) {}
    run_hint& operator=(const run_hint& other) noexcept {
        set(other.get());
        return *this;
    }

    size_t get() const { return m_at.load(std::memory_order_relaxed); }
    void set(size_t at) const { m_at.store(uint32_t(at), std::memory_order_relaxed); }

private:
    mutable std::atomic<uint32_t> m_at{0};
};

// The index of the last item whose key is at or below value, in items sorted
// by key whose first key is at or below every value asked: the hinted item or
// the one after it when either answers, otherwise by binary search.
template <typename Items, typename Key, typename KeyOf>
size_t last_at_or_below(const Items& items, Key value, KeyOf key, const run_hint& hint) {
    const size_t n = items.size();
    auto answers = [&](size_t i) {
        return i < n && !(value < key(items[i])) && (i + 1 == n || value < key(items[i + 1]));
    };
    size_t at = hint.get();
    if (answers(at)) return at;
    if (answers(at + 1)) {
        hint.set(at + 1);
        return at + 1;
    }
    size_t lo = 0, hi = n;
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        if (!(value < key(items[mid])))
            lo = mid;
        else
            hi = mid;
    }
    hint.set(lo);
    return lo;
}

}  // namespace qtrt
