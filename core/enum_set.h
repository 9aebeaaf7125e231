#pragma once

#include <cstdint>
#include <initializer_list>

namespace kv {

// A small set over an enumeration whose members are numbered from 0 (at most 32 of them).
template <typename E> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items)
            bits_ |= bit(e);
    }
    static constexpr EnumSet fromBits(std::uint32_t bits) {
        EnumSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr std::uint32_t bits() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr EnumSet with(E e) const { return fromBits(bits_ | bit(e)); }
    constexpr EnumSet without(E e) const { return fromBits(bits_ & ~bit(e)); }
    constexpr bool operator==(const EnumSet& o) const { return bits_ == o.bits_; }
    constexpr bool operator!=(const EnumSet& o) const { return bits_ != o.bits_; }

private:
    static constexpr std::uint32_t bit(E e) { return std::uint32_t(1) << unsigned(e); }

    std::uint32_t bits_ = 0;
};

} // namespace kv
