// Internals shared by the Variant_*.cpp files; not for use outside them.
#pragma once

#include <utility>
#include <vector>

#include "platform/rtl/Variant.h"

// The elements of a variant array. A byte array keeps its elements as bytes, every other array
// keeps Variants of its element type. Elements are stored with the first index varying slowest.
struct VarArrayData {
  uint16_t ElementType = varVariant;
  std::vector<std::pair<int, int>> Bounds;  // low, high per dimension
  TBytes Bytes;
  std::vector<Variant> Items;

  size_t Offset(std::initializer_list<int> indices) const;  // raises EVariantBadIndexError
};

struct VariantAccess {
  static const Variant::Payload& Value(const Variant& v) { return v.FValue; }
  static Variant::Payload& Value(Variant& v) { return v.FValue; }
  static Variant Make(uint16_t type, Variant::Payload value) {
    return Variant(type, std::move(value));
  }
};

namespace variant_detail {

using Int128 = __int128;

[[noreturn]] void RaiseCastError(uint16_t from, uint16_t to);
[[noreturn]] void RaiseOverflowError(uint16_t from, uint16_t to);
[[noreturn]] void RaiseInvalidOp();

bool IsTextType(uint16_t type);
bool IsSignedType(uint16_t type);    // varSmallint, varInteger, varShortInt, varInt64
bool IsUnsignedType(uint16_t type);  // varByte, varWord, varLongWord, varUInt64
bool IsFloatType(uint16_t type);     // varSingle, varDouble, varDate
// The simple types an array may hold (no Empty, Null, decimal, time stamp or object).
bool CanBeArrayElement(uint16_t type);

// The Variant's text (varString, varUString, varOleStr) as UTF-16.
String TextOf(const Variant& v);
// Numbers as the conversions see them; `target` names the type in error messages.
Int128 ToInt128(const Variant& v, uint16_t target);  // rounded half to even
long double ToExtended(const Variant& v, uint16_t target);

}  // namespace variant_detail
