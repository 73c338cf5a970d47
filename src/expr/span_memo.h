#pragma once

#include <cstdint>
#include <vector>

namespace nollard {

// Remembers, per piece of the expression text (begin, end), which recognition
// rules have been decided and how. Open addressing; grows at half load.
class SpanMemo
{
public:
    struct Entry
    {
        std::uint64_t key = 0;  // 0 = free
        std::uint16_t known = 0;
        std::uint16_t value = 0;
    };

    SpanMemo() : slots_(64) {}

    Entry &at(std::uint32_t begin, std::uint32_t end)
    {
        const std::uint64_t key = ((std::uint64_t(begin) << 32) | end) + 1;
        for (;;) {
            const std::size_t mask = slots_.size() - 1;
            std::size_t i = hash(key) & mask;
            while (slots_[i].key != 0 && slots_[i].key != key)
                i = (i + 1) & mask;
            if (slots_[i].key == key)
                return slots_[i];
            if ((used_ + 1) * 2 <= slots_.size()) {
                slots_[i].key = key;
                ++used_;
                return slots_[i];
            }
            grow();
        }
    }

private:
    static std::size_t hash(std::uint64_t key)
    {
        key *= 0x9E3779B97F4A7C15ULL;
        return static_cast<std::size_t>(key ^ (key >> 29));
    }

    void grow()
    {
        std::vector<Entry> old(slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Entry &e : old) {
            if (e.key == 0)
                continue;
            std::size_t i = hash(e.key) & mask;
            while (slots_[i].key != 0)
                i = (i + 1) & mask;
            slots_[i] = e;
        }
    }

    std::vector<Entry> slots_;
    std::size_t used_ = 0;
};

}  // namespace nollard
