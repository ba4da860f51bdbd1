// The key-to-display times of the last kCapacity volume keys: bounded however
// long the session runs, and adding one is constant work. Portable.
#pragma once
#include <array>
#include <cstddef>
#include <vector>

namespace keyhost {

class LatencyRecord {
public:
    static constexpr std::size_t kCapacity = 1024;

    void add(double ms)
    {
        ring_[next_] = ms;
        next_ = (next_ + 1) % kCapacity;
        if (count_ < kCapacity)
            ++count_;
    }
    // Oldest first.
    std::vector<double> values() const
    {
        std::vector<double> out;
        out.reserve(count_);
        const std::size_t first = count_ < kCapacity ? 0 : next_;
        for (std::size_t i = 0; i < count_; ++i)
            out.push_back(ring_[(first + i) % kCapacity]);
        return out;
    }

private:
    std::array<double, kCapacity> ring_{};
    std::size_t next_ = 0;
    std::size_t count_ = 0;
};

} // namespace keyhost
