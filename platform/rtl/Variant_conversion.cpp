// Variant conversions: the As* accessors, VarAsType and the text functions.
#include <cfloat>
#include <cmath>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/VariantImpl.h"

using namespace variant_detail;

namespace {

template <typename T>
const T& Get(const Variant& v) {
  return std::get<T>(VariantAccess::Value(v));
}

Currency CurrencyOf(const Variant& v) { return Currency::FromRaw(Get<int64_t>(v)); }

// A double rounded half to even; NaN, infinities and values far beyond any integer type overflow.
Int128 RoundToInteger(long double value, uint16_t from, uint16_t target) {
  if (!std::isfinite(value) || std::fabs(value) > 1e30L) RaiseOverflowError(from, target);
  return static_cast<Int128>(std::nearbyint(value));
}

Int128 CheckRange(Int128 value, uint16_t from, uint16_t target) {
  Int128 low = 0, high = 0;
  switch (target) {
    case varShortInt: low = INT8_MIN; high = INT8_MAX; break;
    case varSmallint: low = INT16_MIN; high = INT16_MAX; break;
    case varInteger: low = INT32_MIN; high = INT32_MAX; break;
    case varInt64: low = INT64_MIN; high = INT64_MAX; break;
    case varByte: high = UINT8_MAX; break;
    case varWord: high = UINT16_MAX; break;
    case varLongWord: high = UINT32_MAX; break;
    case varUInt64: high = UINT64_MAX; break;
  }
  if (value < low || value > high) RaiseOverflowError(from, target);
  return value;
}

// "True" or "False" in any letter case, or a number (non-zero is True).
bool TryTextToBoolean(const String& text, bool& result) {
  double number;
  if (TryStrToFloat(text, number)) {
    result = number != 0;
    return true;
  }
  if (SameText(text, u"True")) {
    result = true;
    return true;
  }
  if (SameText(text, u"False")) {
    result = false;
    return true;
  }
  return false;
}

Int128 TextToInteger(const String& text, uint16_t from, uint16_t target) {
  int64_t integer;
  if (TryStrToInt64(text, integer)) return integer;
  // The top half of the unsigned range has no signed form.
  if (target == varUInt64 && !text.empty() && text.find_first_not_of(u"0123456789") == String::npos &&
      text.size() <= 20) {
    Int128 value = 0;
    for (char16_t c : text) value = value * 10 + (c - u'0');
    return value;
  }
  double number;
  if (TryStrToFloat(text, number)) return RoundToInteger(number, from, target);
  RaiseCastError(from, target);
}

String ToText(const Variant& v, uint16_t target) {
  uint16_t t = v.VarType();
  if (t == varEmpty) return String();
  if (IsTextType(t)) return TextOf(v);
  if (IsSignedType(t)) return IntToStr(Get<int64_t>(v));
  if (IsUnsignedType(t)) return UIntToStr(Get<uint64_t>(v));
  switch (t) {
    case varSingle: return FloatToStrF(Get<double>(v), ffGeneral, 7, 0);
    case varDouble: return FloatToStr(Get<double>(v));
    case varDate: return DateTimeToStr(Get<double>(v));
    case varCurrency: return CurrToStr(CurrencyOf(v));
    case varBoolean: return Get<bool>(v) ? u"True" : u"False";
    case varFMTBcd: return BcdToStr(Get<TBcd>(v));
    case varSQLTimeStamp: return SQLTimeStampToStr(String(), Get<TSQLTimeStamp>(v));
  }
  RaiseCastError(t, target);
}

Variant ConvertArray(const Variant& v, uint16_t type) {
  uint16_t elementType = type & varTypeMask;
  if (!v.IsArray() || !CanBeArrayElement(elementType) || (type & varByRef))
    RaiseCastError(v.VarType(), type);
  const auto& source = *Get<std::shared_ptr<VarArrayData>>(v);
  auto data = std::make_shared<VarArrayData>();
  data->ElementType = elementType;
  data->Bounds = source.Bounds;
  size_t count = source.ElementType == varByte ? source.Bytes.size() : source.Items.size();
  for (size_t i = 0; i < count; ++i) {
    Variant element = source.ElementType == varByte ? Variant(source.Bytes[i]) : source.Items[i];
    Variant converted = elementType == varVariant ? element : VarAsType(element, elementType);
    if (elementType == varByte)
      data->Bytes.push_back(static_cast<uint8_t>(Get<uint64_t>(converted)));
    else
      data->Items.push_back(std::move(converted));
  }
  return VariantAccess::Make(type, std::move(data));
}

}  // namespace

namespace variant_detail {

Int128 ToInt128(const Variant& v, uint16_t target) {
  uint16_t t = v.VarType();
  if (t == varEmpty) return 0;
  if (IsSignedType(t)) return Get<int64_t>(v);
  if (IsUnsignedType(t)) return Get<uint64_t>(v);
  if (IsFloatType(t)) return RoundToInteger(Get<double>(v), t, target);
  if (IsTextType(t)) return TextToInteger(TextOf(v), t, target);
  switch (t) {
    case varBoolean:
      return Get<bool>(v) ? -1 : 0;
    case varCurrency: {
      int64_t raw = Get<int64_t>(v);
      Int128 q = raw / Currency::Scale, r = raw % Currency::Scale;
      Int128 twice = (r < 0 ? -r : r) * 2;
      if (twice > Currency::Scale || (twice == Currency::Scale && q % 2 != 0)) q += raw < 0 ? -1 : 1;
      return q;
    }
    case varFMTBcd:
      try {
        return BcdToInt64(Get<TBcd>(v));
      } catch (const EBcdOverflowException&) {
        RaiseOverflowError(t, target);
      }
  }
  RaiseCastError(t, target);
}

long double ToExtended(const Variant& v, uint16_t target) {
  uint16_t t = v.VarType();
  if (t == varEmpty) return 0;
  if (IsSignedType(t)) return static_cast<long double>(Get<int64_t>(v));
  if (IsUnsignedType(t)) return static_cast<long double>(Get<uint64_t>(v));
  if (IsFloatType(t)) return Get<double>(v);
  if (IsTextType(t)) {
    String text = TextOf(v);
    double number;
    if (target == varDate ? TryStrToDateTime(text, number) : TryStrToFloat(text, number))
      return number;
    RaiseCastError(t, target);
  }
  switch (t) {
    case varBoolean: return Get<bool>(v) ? -1 : 0;
    case varCurrency: return CurrencyOf(v).ToExtended();
    case varFMTBcd: return BcdToDouble(Get<TBcd>(v));
    case varSQLTimeStamp: return SQLTimeStampToDateTime(Get<TSQLTimeStamp>(v));
  }
  RaiseCastError(t, target);
}

}  // namespace variant_detail

int32_t Variant::AsInteger() const {
  return static_cast<int32_t>(CheckRange(ToInt128(*this, varInteger), FType, varInteger));
}

int64_t Variant::AsInt64() const {
  return static_cast<int64_t>(CheckRange(ToInt128(*this, varInt64), FType, varInt64));
}

uint32_t Variant::AsLongWord() const {
  return static_cast<uint32_t>(CheckRange(ToInt128(*this, varLongWord), FType, varLongWord));
}

uint64_t Variant::AsUInt64() const {
  return static_cast<uint64_t>(CheckRange(ToInt128(*this, varUInt64), FType, varUInt64));
}

double Variant::AsDouble() const {
  return static_cast<double>(ToExtended(*this, varDouble));
}

TDateTime Variant::AsDateTime() const { return static_cast<double>(ToExtended(*this, varDate)); }

bool Variant::AsBoolean() const {
  if (IsSignedType(FType)) return Get<int64_t>(*this) != 0;
  if (IsUnsignedType(FType)) return Get<uint64_t>(*this) != 0;
  if (IsFloatType(FType)) return Get<double>(*this) != 0;
  switch (FType) {
    case varEmpty: return false;
    case varBoolean: return Get<bool>(*this);
    case varCurrency: return Get<int64_t>(*this) != 0;
    case varFMTBcd: return BcdCompare(Get<TBcd>(*this), NullBcd) != 0;
  }
  bool result;
  if (IsTextType(FType) && TryTextToBoolean(TextOf(*this), result)) return result;
  RaiseCastError(FType, varBoolean);
}

Currency Variant::AsCurrency() const {
  Currency result;
  if (IsSignedType(FType) || IsUnsignedType(FType) || FType == varBoolean) {
    Int128 scaled = ToInt128(*this, varCurrency) * Currency::Scale;
    if (scaled > INT64_MAX || scaled < INT64_MIN) RaiseOverflowError(FType, varCurrency);
    return Currency::FromRaw(static_cast<int64_t>(scaled));
  }
  switch (FType) {
    case varEmpty: return Currency();
    case varCurrency: return CurrencyOf(*this);
    case varSingle: case varDouble: case varDate:
      if (!TryFloatToCurr(Get<double>(*this), result)) RaiseOverflowError(FType, varCurrency);
      return result;
    case varFMTBcd:
      if (!BCDToCurr(Get<TBcd>(*this), result)) RaiseOverflowError(FType, varCurrency);
      return result;
  }
  if (IsTextType(FType)) {
    String text = TextOf(*this);
    if (TryStrToCurr(text, result)) return result;
    double number;
    if (TryStrToFloat(text, number)) RaiseOverflowError(FType, varCurrency);
  }
  RaiseCastError(FType, varCurrency);
}

String Variant::AsString() const { return ToText(*this, varUString); }

AnsiString Variant::AsAnsiString() const {
  if (FType == varString) return Get<AnsiString>(*this);
  return StringToAnsi(ToText(*this, varString));
}

TBcd Variant::AsBcd() const {
  if (IsSignedType(FType) || FType == varBoolean) return Int64ToBcd(static_cast<int64_t>(ToInt128(*this, varFMTBcd)));
  if (IsUnsignedType(FType)) return StrToBcd(UIntToStr(Get<uint64_t>(*this)));
  if (IsFloatType(FType)) return DoubleToBcd(Get<double>(*this));
  TBcd result;
  switch (FType) {
    case varEmpty: return IntegerToBcd(0);
    case varFMTBcd: return Get<TBcd>(*this);
    case varCurrency:
      CurrToBCD(CurrencyOf(*this), result);
      return result;
  }
  if (IsTextType(FType) && TryStrToBcd(TextOf(*this), result)) return result;
  RaiseCastError(FType, varFMTBcd);
}

TSQLTimeStamp Variant::AsSQLTimeStamp() const {
  if (FType == varSQLTimeStamp) return Get<TSQLTimeStamp>(*this);
  if (IsTextType(FType)) {
    TSQLTimeStamp result;
    if (TryStrToSQLTimeStamp(TextOf(*this), result)) return result;
    RaiseCastError(FType, varSQLTimeStamp);
  }
  return DateTimeToSQLTimeStamp(static_cast<double>(ToExtended(*this, varSQLTimeStamp)));
}

void* Variant::AsObject() const {
  if (FType == varObject) return Get<void*>(*this);
  if (FType == varEmpty) return nullptr;
  RaiseCastError(FType, varObject);
}

Variant VarAsType(const Variant& v, uint16_t type) {
  uint16_t from = v.VarType();
  if (from == type) return v;
  if (type & varArray) return ConvertArray(v, type);
  auto integer = [&](uint16_t target) { return CheckRange(ToInt128(v, target), from, target); };
  switch (type) {
    case varEmpty: return Variant();
    case varNull: return Variant::Null();
    case varShortInt: return Variant(static_cast<int8_t>(integer(type)));
    case varSmallint: return Variant(static_cast<int16_t>(integer(type)));
    case varInteger: return Variant(static_cast<int32_t>(integer(type)));
    case varInt64: return Variant(static_cast<int64_t>(integer(type)));
    case varByte: return Variant(static_cast<uint8_t>(integer(type)));
    case varWord: return Variant(static_cast<uint16_t>(integer(type)));
    case varLongWord: return Variant(static_cast<uint32_t>(integer(type)));
    case varUInt64: return Variant(static_cast<uint64_t>(integer(type)));
    case varSingle: {
      long double value = ToExtended(v, type);
      if (std::isfinite(value) && std::fabs(value) > FLT_MAX) RaiseOverflowError(from, type);
      return Variant(static_cast<float>(value));
    }
    case varDouble: return Variant(v.AsDouble());
    case varDate: return Variant::FromDate(v.AsDateTime());
    case varCurrency: return Variant(v.AsCurrency());
    case varBoolean: return Variant(v.AsBoolean());
    case varOleStr: return Variant::FromOleStr(ToText(v, varOleStr));
    case varUString: return Variant(v.AsString());
    case varString: return Variant(v.AsAnsiString());
    case varFMTBcd: return Variant(v.AsBcd());
    case varSQLTimeStamp: return Variant(v.AsSQLTimeStamp());
    case varObject: return Variant::FromObject(v.AsObject());
    case varVariant: return v;
    case varDispatch: case varError: case varUnknown: RaiseCastError(from, type);
  }
  throw EVariantBadVarTypeError(u"Invalid variant type");
}

String VarToStr(const Variant& v) { return v.IsNull() ? String() : v.AsString(); }

String VarToStrDef(const Variant& v, const String& nullText) {
  return v.IsNull() ? nullText : v.AsString();
}

String VarToWideStr(const Variant& v) { return VarToStr(v); }

TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }
