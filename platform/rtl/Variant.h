// Variant: a value that carries its own type, with the toolchain's type codes and its rules for
// conversion, comparison and equality. A Variant is a plain copyable value; copying an array is
// cheap and the copies never see each other's changes.
//
// Conversions (AsInteger, VarAsType, ...):
// - Null converts to nothing (EVariantTypeCastError) except through VarToStr, which gives "".
// - Empty converts to 0, "", False, day 0.
// - Text converts to numbers through the locale's StrToInt64/StrToFloat, to currency through
//   StrToCurr, to dates through StrToDateTime, to Boolean from "True"/"False" in any letter case
//   or from a number (non-zero is True). Text that does not convert raises EVariantTypeCastError.
// - True is -1 as a number and "True" as text.
// - Doubles, currency and decimals become integers rounded half to even; a value outside the
//   target's range raises EVariantOverflowError.
// - Dates become text through DateTimeToStr, doubles through FloatToStr, currency through
//   CurrToStr.
// Comparisons (==, <, VarCompareValue, ...):
// - Null equals only Null and orders before every other value; Empty compares as 0, "" or False.
// - Two texts compare as texts (the locale's case-sensitive collation); a text against a number
//   is converted to a number, against a date to a date, against a Boolean to a Boolean.
// - Numbers compare by value across types (1 == 1.0, an integer against a currency exactly).
// - Arrays and object references cannot be ordered (EVariantInvalidOpError); object references
//   are equal when they point to the same object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <variant>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Types.h"

enum : uint16_t {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varDispatch = 0x0009,
  varError = 0x000A,
  varBoolean = 0x000B,
  varVariant = 0x000C,
  varUnknown = 0x000D,
  varShortInt = 0x0010,
  varByte = 0x0011,
  varWord = 0x0012,
  varLongWord = 0x0013,
  varInt64 = 0x0014,
  varUInt64 = 0x0015,
  varString = 0x0100,   // 8-bit text (AnsiString)
  varUString = 0x0102,  // UTF-16 text (String)
  // The decimal and SQL time-stamp types that the record store hands out.
  varFMTBcd = 0x0110,
  varSQLTimeStamp = 0x0111,
  varTypeMask = 0x0FFF,
  varArray = 0x2000,
  varByRef = 0x4000,
  // An object held by reference: the by-reference flag with no base type and a non-owning
  // pointer as the value, the form in which parameters carry blobs.
  varObject = varByRef,
};

DECLARE_EXCEPTION(EVariantError, Exception)
// "Could not convert variant of type (%s) into type (%s)"
DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError)
// "Invalid variant operation"
DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError)
// "Overflow while converting variant of type (%s) into type (%s)"
DECLARE_EXCEPTION(EVariantOverflowError, EVariantError)
// "Variant or safe array index out of bounds"
DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError)
// "Error creating variant or safe array"
DECLARE_EXCEPTION(EVariantArrayCreateError, EVariantError)
// "Variant is not an array"
DECLARE_EXCEPTION(EVariantNotAnArrayError, EVariantError)
// "Invalid variant type"
DECLARE_EXCEPTION(EVariantBadVarTypeError, EVariantError)

struct VarArrayData;

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(const Variant&) = default;
  Variant(Variant&&) noexcept = default;
  // Only a named Variant can be assigned to, so that `v[0] = x` (a copy of the element) does not
  // compile.
  Variant& operator=(const Variant&) & = default;
  Variant& operator=(Variant&&) & noexcept = default;
  ~Variant() = default;
  Variant(int8_t v);    // varShortInt
  Variant(int16_t v);   // varSmallint
  Variant(int32_t v);   // varInteger
  Variant(int64_t v);   // varInt64
  Variant(uint8_t v);   // varByte
  Variant(uint16_t v);  // varWord
  Variant(uint32_t v);  // varLongWord
  Variant(uint64_t v);  // varUInt64
  Variant(float v);     // varSingle
  Variant(double v);    // varDouble
  Variant(bool v);      // varBoolean
  Variant(Currency v);  // varCurrency
  Variant(const String& v);      // varUString
  Variant(String&& v);           // varUString
  Variant(const char16_t* v);    // varUString; a null pointer is ""
  Variant(char16_t v);           // varUString of one character
  Variant(const AnsiString& v);  // varString
  Variant(const char* v);        // varString (UTF-8); a null pointer is ""
  Variant(const TBytes& v);      // varArray | varByte, indexes 0 .. size - 1, a copy
  Variant(const TBcd& v);        // varFMTBcd
  Variant(const TSQLTimeStamp& v);  // varSQLTimeStamp
  // No Variant from a stray pointer (it would become a Boolean) or a lone 8-bit char.
  Variant(const void*) = delete;
  Variant(std::nullptr_t) = delete;
  Variant(char) = delete;

  static Variant Null();
  static Variant FromDate(TDateTime v);  // varDate
  static Variant FromOleStr(const String& v);  // varOleStr: wide text as OLE strings carry it
  static Variant FromObject(void* object);  // varObject; the Variant does not own it

  uint16_t VarType() const { return FType; }
  bool IsNull() const { return FType == varNull; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsArray() const { return (FType & varArray) != 0; }

  int32_t AsInteger() const;
  int64_t AsInt64() const;
  uint32_t AsLongWord() const;
  uint64_t AsUInt64() const;
  double AsDouble() const;
  bool AsBoolean() const;
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;
  String AsString() const;
  AnsiString AsAnsiString() const;
  TBytes AsBytes() const;  // a byte array only (Empty gives no bytes)
  TBcd AsBcd() const;
  TSQLTimeStamp AsSQLTimeStamp() const;
  void* AsObject() const;  // a varObject only (Empty gives nullptr)

  // Arrays: dimensions are numbered from 1.
  int DimCount() const;  // 0 for a value that is not an array
  int LowBound(int dim) const;
  int HighBound(int dim) const;
  Variant GetElement(std::initializer_list<int> indices) const;
  // The value is converted to the array's element type.
  void PutElement(std::initializer_list<int> indices, const Variant& value);
  Variant operator[](int index) const { return GetElement({index}); }

 private:
  friend struct VariantAccess;
  using Payload = std::variant<std::monostate, int64_t, uint64_t, double, bool, void*, String,
                               AnsiString, TBcd, TSQLTimeStamp, std::shared_ptr<VarArrayData>>;
  Variant(uint16_t type, Payload value) : FType(type), FValue(std::move(value)) {}

  uint16_t FType = varEmpty;
  Payload FValue;
};

uint16_t VarType(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsClear(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsType(const Variant& v, uint16_t type);
bool VarIsStr(const Variant& v);      // varString, varUString, varOleStr
bool VarIsOrdinal(const Variant& v);  // the integer types and varBoolean
bool VarIsFloat(const Variant& v);    // varSingle, varDouble, varCurrency, varFMTBcd
bool VarIsNumeric(const Variant& v);  // ordinal or float
bool VarIsFMTBcd(const Variant& v);
bool VarIsSQLTimeStamp(const Variant& v);

// The value converted to the type; raises EVariantTypeCastError, EVariantOverflowError, or
// EVariantBadVarTypeError for a code that is no type.
Variant VarAsType(const Variant& v, uint16_t type);
String VarToStr(const Variant& v);                            // Null gives ""
String VarToStrDef(const Variant& v, const String& nullText);  // Null gives nullText
String VarToWideStr(const Variant& v);
TDateTime VarToDateTime(const Variant& v);
// The type's name as messages show it: "Integer", "UnicodeString", "Array Byte", ...
String VarTypeAsText(uint16_t type);
void VarClear(Variant& v);
Variant Unassigned();

// The decimal and time-stamp variants by their usual names.
Variant VarFMTBcdCreate(const TBcd& bcd);
TBcd VarToBcd(const Variant& v);
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& ts);
Variant VarSQLTimeStampCreate(TDateTime dt);
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v);

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };
// Empty and Null are each equal only to themselves and not equal to anything else; other values
// compare by the rules above.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
// Equal as VarCompareValue finds them, Empty to Empty and Null to Null.
bool VarSameValue(const Variant& a, const Variant& b);

bool operator==(const Variant& a, const Variant& b);
bool operator!=(const Variant& a, const Variant& b);
bool operator<(const Variant& a, const Variant& b);
bool operator<=(const Variant& a, const Variant& b);
bool operator>(const Variant& a, const Variant& b);
bool operator>=(const Variant& a, const Variant& b);

// Arrays. bounds holds low, high pairs, one pair per dimension; every element starts as the
// element type's zero (Empty for varVariant). An odd or empty list, a high bound below low - 1,
// or an element type that an array cannot hold raises EVariantArrayCreateError.
Variant VarArrayCreate(std::initializer_list<int> bounds, uint16_t elementType);
// A one-dimensional array of varVariant with indexes 0 .. count - 1.
Variant VarArrayOf(std::initializer_list<Variant> values);
int VarArrayDimCount(const Variant& v);
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
Variant VarArrayGet(const Variant& v, std::initializer_list<int> indices);
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<int> indices);
