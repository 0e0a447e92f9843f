// Variant construction, type queries, type names and the errors every Variant operation raises.
#include <cstdio>
#include <iterator>

#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/VariantImpl.h"

using namespace variant_detail;

Variant::Variant(int8_t v) : FType(varShortInt), FValue(int64_t{v}) {}
Variant::Variant(int16_t v) : FType(varSmallint), FValue(int64_t{v}) {}
Variant::Variant(int32_t v) : FType(varInteger), FValue(int64_t{v}) {}
Variant::Variant(int64_t v) : FType(varInt64), FValue(v) {}
Variant::Variant(uint8_t v) : FType(varByte), FValue(uint64_t{v}) {}
Variant::Variant(uint16_t v) : FType(varWord), FValue(uint64_t{v}) {}
Variant::Variant(uint32_t v) : FType(varLongWord), FValue(uint64_t{v}) {}
Variant::Variant(uint64_t v) : FType(varUInt64), FValue(v) {}
Variant::Variant(float v) : FType(varSingle), FValue(double{v}) {}
Variant::Variant(double v) : FType(varDouble), FValue(v) {}
Variant::Variant(bool v) : FType(varBoolean), FValue(v) {}
Variant::Variant(Currency v) : FType(varCurrency), FValue(v.Raw()) {}
Variant::Variant(const String& v) : FType(varUString), FValue(v) {}
Variant::Variant(String&& v) : FType(varUString), FValue(std::move(v)) {}
Variant::Variant(const char16_t* v) : FType(varUString), FValue(v ? String(v) : String()) {}
Variant::Variant(char16_t v) : FType(varUString), FValue(String(1, v)) {}
Variant::Variant(const AnsiString& v) : FType(varString), FValue(v) {}
Variant::Variant(const char* v) : FType(varString), FValue(v ? AnsiString(v) : AnsiString()) {}
Variant::Variant(const TBcd& v) : FType(varFMTBcd), FValue(v) {}
Variant::Variant(const TSQLTimeStamp& v) : FType(varSQLTimeStamp), FValue(v) {}

Variant::Variant(const TBytes& v) : FType(varArray | varByte) {
  // Array indexes are 32-bit.
  if (v.size() > static_cast<size_t>(INT32_MAX))
    throw EVariantArrayCreateError(u"Error creating variant or safe array");
  auto data = std::make_shared<VarArrayData>();
  data->ElementType = varByte;
  data->Bounds.emplace_back(0, static_cast<int>(v.size()) - 1);
  data->Bytes = v;
  FValue = std::move(data);
}

Variant Variant::Null() { return Variant(varNull, std::monostate{}); }
Variant Variant::FromDate(TDateTime v) { return Variant(varDate, v); }
Variant Variant::FromOleStr(const String& v) { return Variant(varOleStr, v); }
Variant Variant::FromObject(void* object) { return Variant(varObject, object); }

uint16_t VarType(const Variant& v) { return v.VarType(); }
bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsClear(const Variant& v) { return v.IsEmpty(); }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsType(const Variant& v, uint16_t type) { return v.VarType() == type; }
bool VarIsStr(const Variant& v) { return IsTextType(v.VarType()); }
bool VarIsOrdinal(const Variant& v) {
  uint16_t t = v.VarType();
  return IsSignedType(t) || IsUnsignedType(t) || t == varBoolean;
}
bool VarIsFloat(const Variant& v) {
  uint16_t t = v.VarType();
  return t == varSingle || t == varDouble || t == varCurrency || t == varFMTBcd;
}
bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
bool VarIsFMTBcd(const Variant& v) { return v.VarType() == varFMTBcd; }
bool VarIsSQLTimeStamp(const Variant& v) { return v.VarType() == varSQLTimeStamp; }

void VarClear(Variant& v) { v = Variant(); }
Variant Unassigned() { return Variant(); }

Variant VarFMTBcdCreate(const TBcd& bcd) { return Variant(bcd); }
TBcd VarToBcd(const Variant& v) { return v.AsBcd(); }
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& ts) { return Variant(ts); }
Variant VarSQLTimeStampCreate(TDateTime dt) { return Variant(DateTimeToSQLTimeStamp(dt)); }
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v) { return v.AsSQLTimeStamp(); }

String VarTypeAsText(uint16_t type) {
  if (type == varObject) return u"Object";
  static const char16_t* const simple[] = {
      u"Empty",   u"Null",     u"Smallint", u"Integer",  u"Single", u"Double",
      u"Currency", u"Date",    u"OleStr",   u"Dispatch", u"Error",  u"Boolean",
      u"Variant", u"Unknown",  u"Decimal",  nullptr,     u"ShortInt", u"Byte",
      u"Word",    u"LongWord", u"Int64",    u"UInt64"};
  uint16_t base = type & varTypeMask;
  String name;
  if (base < std::size(simple) && simple[base]) {
    name = simple[base];
  } else if (base == varString) {
    name = u"String";
  } else if (base == varUString) {
    name = u"UnicodeString";
  } else if (base == varFMTBcd) {
    name = u"FMTBcdVariantType";
  } else if (base == varSQLTimeStamp) {
    name = u"SQLTimeStampVariantType";
  } else {
    char hex[8];
    std::snprintf(hex, sizeof hex, "$%04X", static_cast<unsigned>(base));
    name = UTF8ToString(hex);
  }
  if (type & varArray) name = u"Array " + name;
  if (type & varByRef) name = u"Ref " + name;
  return name;
}

namespace variant_detail {

void RaiseCastError(uint16_t from, uint16_t to) {
  throw EVariantTypeCastError(u"Could not convert variant of type (" + VarTypeAsText(from) +
                              u") into type (" + VarTypeAsText(to) + u")");
}

void RaiseOverflowError(uint16_t from, uint16_t to) {
  throw EVariantOverflowError(u"Overflow while converting variant of type (" +
                              VarTypeAsText(from) + u") into type (" + VarTypeAsText(to) + u")");
}

void RaiseInvalidOp() { throw EVariantInvalidOpError(u"Invalid variant operation"); }

bool IsTextType(uint16_t type) {
  return type == varString || type == varUString || type == varOleStr;
}

bool IsSignedType(uint16_t type) {
  return type == varSmallint || type == varInteger || type == varShortInt || type == varInt64;
}

bool IsUnsignedType(uint16_t type) {
  return type == varByte || type == varWord || type == varLongWord || type == varUInt64;
}

bool IsFloatType(uint16_t type) {
  return type == varSingle || type == varDouble || type == varDate;
}

String TextOf(const Variant& v) {
  const auto& value = VariantAccess::Value(v);
  if (v.VarType() == varString) return AnsiToString(std::get<AnsiString>(value));
  return std::get<String>(value);
}

}  // namespace variant_detail
