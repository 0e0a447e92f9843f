// The toolchain's sets over an enumeration: a small bit set indexed by the enumeration's values.
// `csLoading in State` reads State.Contains(csLoading); `Include(State, x)` reads State.Include(x)
// or State << x.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// N is the number of bits: every value of E must be below it (a value past it raises
// std::out_of_range, as std::bitset does).
template <typename E, std::size_t N = 64>
class TSet {
 public:
  TSet() = default;
  TSet(std::initializer_list<E> items) {
    for (E item : items) Include(item);
  }

  bool Contains(E item) const { return FBits.test(Bit(item)); }
  TSet& Include(E item) {
    FBits.set(Bit(item));
    return *this;
  }
  TSet& Exclude(E item) {
    FBits.reset(Bit(item));
    return *this;
  }
  TSet& operator<<(E item) { return Include(item); }
  TSet& operator>>(E item) { return Exclude(item); }

  bool Empty() const { return FBits.none(); }
  int Count() const { return static_cast<int>(FBits.count()); }
  void Clear() { FBits.reset(); }

  // Union, difference and intersection.
  TSet operator+(const TSet& other) const { return TSet(FBits | other.FBits); }
  TSet operator-(const TSet& other) const { return TSet(FBits & ~other.FBits); }
  TSet operator*(const TSet& other) const { return TSet(FBits & other.FBits); }
  TSet& operator+=(const TSet& other) { return *this = *this + other; }
  TSet& operator-=(const TSet& other) { return *this = *this - other; }
  TSet& operator*=(const TSet& other) { return *this = *this * other; }
  // Whether every member of this set is in the other.
  bool operator<=(const TSet& other) const { return (FBits & ~other.FBits).none(); }
  bool operator==(const TSet& other) const = default;

  // The set as the bit mask the toolchain stores (bit k = value k); for sets of at most 64 values.
  uint64_t ToBits() const { return FBits.to_ullong(); }
  static TSet FromBits(uint64_t bits) { return TSet(std::bitset<N>(bits)); }

 private:
  explicit TSet(std::bitset<N> bits) : FBits(bits) {}
  static std::size_t Bit(E item) { return static_cast<std::size_t>(item); }

  std::bitset<N> FBits;
};
