// Variant equality and ordering.
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/VariantImpl.h"

using namespace variant_detail;

namespace {

// Unordered: not equal and with no order (NaN, two different objects).
enum class Order { Less, Equal, Greater, Unordered };

template <typename T>
Order CompareValues(const T& a, const T& b) {
  if (a < b) return Order::Less;
  if (b < a) return Order::Greater;
  if (a == b) return Order::Equal;
  return Order::Unordered;
}

Order FromSign(int c) { return c < 0 ? Order::Less : (c > 0 ? Order::Greater : Order::Equal); }

bool IsIntegral(uint16_t t) { return IsSignedType(t) || IsUnsignedType(t) || t == varBoolean; }

bool IsNumber(uint16_t t) { return IsIntegral(t) || IsFloatType(t) || t == varCurrency; }

Int128 ScaledCurrency(const Variant& v) {
  if (v.VarType() == varCurrency) return v.AsCurrency().Raw();
  return ToInt128(v, varCurrency) * Currency::Scale;
}

Order CompareNumbers(const Variant& a, const Variant& b) {
  uint16_t ta = a.VarType(), tb = b.VarType();
  if (IsIntegral(ta) && IsIntegral(tb)) return CompareValues(ToInt128(a, ta), ToInt128(b, tb));
  bool exactA = IsIntegral(ta) || ta == varCurrency;
  bool exactB = IsIntegral(tb) || tb == varCurrency;
  if (exactA && exactB) return CompareValues(ScaledCurrency(a), ScaledCurrency(b));
  // Currency against a floating value compares as doubles, so that 0.1 equals 0.1.
  if (ta == varCurrency || tb == varCurrency) return CompareValues(a.AsDouble(), b.AsDouble());
  // Extended precision holds every 64-bit integer and every double exactly.
  return CompareValues(ToExtended(a, varDouble), ToExtended(b, varDouble));
}

// A text against a value of another kind: the text is converted to that kind.
Order CompareTextWith(const Variant& text, const Variant& other) {
  uint16_t t = other.VarType();
  if (t == varBoolean) return CompareValues(text.AsBoolean(), other.AsBoolean());
  if (t == varDate) return CompareValues(text.AsDateTime(), other.AsDateTime());
  if (!IsNumber(t)) RaiseInvalidOp();
  int64_t integer;
  if (IsIntegral(t) && TryStrToInt64(TextOf(text), integer))
    return CompareValues(Int128{integer}, ToInt128(other, t));
  return CompareNumbers(VarAsType(text, varDouble), other);
}

Order CompareNonNull(const Variant& a, const Variant& b, bool ordering) {
  uint16_t ta = a.VarType(), tb = b.VarType();
  if (a.IsArray() || b.IsArray()) RaiseInvalidOp();
  if (ta == varObject || tb == varObject) {
    if (ordering) RaiseInvalidOp();
    return ta == tb && a.AsObject() == b.AsObject() ? Order::Equal : Order::Unordered;
  }
  if (ta == varEmpty && tb == varEmpty) return Order::Equal;
  // Empty is the other side's zero: 0, "", False, day 0.
  if (ta == varEmpty) return CompareNonNull(VarAsType(a, tb), b, ordering);
  if (tb == varEmpty) return CompareNonNull(a, VarAsType(b, ta), ordering);
  if (ta == varFMTBcd || tb == varFMTBcd) return FromSign(BcdCompare(a.AsBcd(), b.AsBcd()));
  if (ta == varSQLTimeStamp || tb == varSQLTimeStamp)
    return FromSign(CompareSQLTimeStamp(a.AsSQLTimeStamp(), b.AsSQLTimeStamp()));
  bool textA = IsTextType(ta), textB = IsTextType(tb);
  if (textA && textB) return FromSign(AnsiCompareStr(TextOf(a), TextOf(b)));
  if (textA) return CompareTextWith(a, b);
  if (textB) {
    Order reversed = CompareTextWith(b, a);
    if (reversed == Order::Less) return Order::Greater;
    if (reversed == Order::Greater) return Order::Less;
    return reversed;
  }
  if (ta == varBoolean && tb == varBoolean) return CompareValues(a.AsBoolean(), b.AsBoolean());
  if (IsNumber(ta) && IsNumber(tb)) return CompareNumbers(a, b);
  RaiseInvalidOp();
}

}  // namespace

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  return CompareNonNull(a, b, false) == Order::Equal;
}

bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

bool operator<(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && !b.IsNull();
  return CompareNonNull(a, b, true) == Order::Less;
}

bool operator<=(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull();
  Order order = CompareNonNull(a, b, true);
  return order == Order::Less || order == Order::Equal;
}

bool operator>(const Variant& a, const Variant& b) { return b < a; }

bool operator>=(const Variant& a, const Variant& b) { return b <= a; }

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  for (uint16_t special : {varEmpty, varNull}) {
    if (a.VarType() == special) return b.VarType() == special ? vrEqual : vrNotEqual;
  }
  if (b.IsEmpty() || b.IsNull()) return vrNotEqual;
  switch (CompareNonNull(a, b, false)) {
    case Order::Less: return vrLessThan;
    case Order::Equal: return vrEqual;
    case Order::Greater: return vrGreaterThan;
    case Order::Unordered: break;
  }
  return vrNotEqual;
}

bool VarSameValue(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }
