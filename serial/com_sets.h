// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small set of enumeration elements held in a fixed-width bit word (bit n =
// element n), so that event masks and error sets keep the layout the driver
// words are translated from.
#include <cstdint>
#include <initializer_list>

namespace serial {

template <typename E, typename Bits>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> items) {
        for (E item : items) bits_ = static_cast<Bits>(bits_ | Bit(item));
    }
    static constexpr TEnumSet FromBits(Bits bits) {
        TEnumSet set;
        set.bits_ = bits;
        return set;
    }

    constexpr Bits ToBits() const { return bits_; }
    constexpr bool Contains(E item) const { return (bits_ & Bit(item)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Include(E item) { bits_ = static_cast<Bits>(bits_ | Bit(item)); }
    constexpr void Exclude(E item) { bits_ = static_cast<Bits>(bits_ & ~Bit(item)); }

    constexpr TEnumSet operator+(TEnumSet other) const { return FromBits(static_cast<Bits>(bits_ | other.bits_)); }
    constexpr TEnumSet operator-(TEnumSet other) const { return FromBits(static_cast<Bits>(bits_ & ~other.bits_)); }
    constexpr TEnumSet operator*(TEnumSet other) const { return FromBits(static_cast<Bits>(bits_ & other.bits_)); }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.bits_ == b.bits_; }

private:
    static constexpr Bits Bit(E item) { return static_cast<Bits>(Bits{1} << static_cast<unsigned>(item)); }
    Bits bits_ = 0;
};

}  // namespace serial
