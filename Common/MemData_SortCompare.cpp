// The comparison family of the in-memory store: texts by the locale or by bytes, byte strings,
// a value against a field of a record, and two records by the sort columns. Sorting and the
// dataset's locate compare through these.
#include <cmath>
#include <cstring>
#include <string>

#include "Common/MemData.h"
#include "Common/MemUtils.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Record values may sit at any offset: they are read by copying.
template <typename T>
T Load(const void* data) {
  T v;
  std::memcpy(&v, data, sizeof v);
  return v;
}

template <typename T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// A zero-terminated text of at most maxBytes bytes.
std::string_view TextIn(const void* data, size_t maxBytes) {
  const auto* text = static_cast<const char*>(data);
  return std::string_view(text, strnlen(text, maxBytes));
}

// A zero-terminated UTF-16 text of at most maxUnits units, copied unit by unit.
String WideTextIn(const void* data, size_t maxUnits) {
  String text;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < maxUnits; ++i) {
    char16_t c;
    std::memcpy(&c, bytes + i * 2, 2);
    if (c == 0) break;
    text += c;
  }
  return text;
}

constexpr size_t Unbounded = static_cast<size_t>(-1) / 4;

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::u16string_view TrimRight(std::u16string_view text) {
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

// The first n characters of a UTF-8 text.
std::string_view Utf8Prefix(std::string_view text, size_t n) {
  size_t i = 0;
  while (i < text.size() && n > 0) {
    ++i;
    while (i < text.size() && (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80) ++i;
    --n;
  }
  return text.substr(0, i);
}

size_t Utf8Length(std::string_view text) {
  size_t n = 0;
  for (char c : text)
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++n;
  return n;
}

// A UTF-8 text as UTF-16 for the locale's comparison. Sorting compares texts many times over,
// so short texts are decoded into a buffer of the object's own instead of a new string.
class TWideText {
 public:
  explicit TWideText(std::string_view text) {
    if (text.size() <= InlineUnits && DecodeInline(text)) return;
    FHeap = UTF8ToString(text);  // long texts and malformed sequences
    FView = FHeap;
  }
  std::u16string_view View() const { return FView; }

 private:
  static constexpr size_t InlineUnits = 128;

  // Well-formed sequences of up to three bytes only; anything else takes the general path.
  bool DecodeInline(std::string_view text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size();) {
      const auto b = static_cast<uint8_t>(text[i]);
      auto cont = [&](size_t k) {
        return i + k < text.size() && (static_cast<uint8_t>(text[i + k]) & 0xC0) == 0x80;
      };
      char32_t cp;
      if (b < 0x80) {
        cp = b;
        i += 1;
      } else if (b >= 0xC2 && b < 0xE0 && cont(1)) {
        cp = (char32_t(b & 0x1F) << 6) | (static_cast<uint8_t>(text[i + 1]) & 0x3F);
        i += 2;
      } else if (b >= 0xE0 && b < 0xF0 && cont(1) && cont(2)) {
        cp = (char32_t(b & 0x0F) << 12) |
             (char32_t(static_cast<uint8_t>(text[i + 1]) & 0x3F) << 6) |
             (static_cast<uint8_t>(text[i + 2]) & 0x3F);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += 3;
      } else {
        return false;
      }
      FInline[n++] = static_cast<char16_t>(cp);
    }
    FView = std::u16string_view(FInline, n);
    return true;
  }

  char16_t FInline[InlineUnits];
  String FHeap;
  std::u16string_view FView;
};

// Small integer to currency, short integer to 64-bit integer.
bool IsNumericType(uint16_t vt) {
  return (vt >= varSmallint && vt <= varCurrency) || (vt >= varShortInt && vt <= varInt64);
}

// The bytes of a length-prefixed value (16-bit length, then the bytes); nil is empty.
void LengthPrefixed(const uint8_t* buf, const uint8_t*& bytes, size_t& length) {
  if (!buf) {
    bytes = nullptr;
    length = 0;
    return;
  }
  length = Load<uint16_t>(buf);
  bytes = buf + 2;
}

// A field's bytes in the record, by its code.
void FieldBytes(TFieldDesc* field, uint8_t* data, const uint8_t*& bytes, size_t& length) {
  switch (field->DataType()) {
    case dtBytes:
      bytes = data;
      length = field->Length();
      break;
    case dtVarBytes:
      LengthPrefixed(data, bytes, length);
      break;
    case dtExtVarBytes:
      LengthPrefixed(Load<const uint8_t*>(data), bytes, length);
      break;
    default:
      throw EConvertError(u"Cannot convert type");
  }
}

}  // namespace

void TMemData::GetRecordOptions(TSortColumn& column) {
  column.Descending = 0;
  column.SortKind = stCaseSensitive;
}

// ---- Texts ----

int TMemData::CompareStr(const char* a, const char* b, int flags) {
  return CompareAnsiStr(a ? std::string_view(a) : std::string_view(),
                        b ? std::string_view(b) : std::string_view(), flags);
}

int TMemData::CompareAnsiStr(std::string_view a, std::string_view b, int flags) {
  // char_traits<char> compares as unsigned bytes, which for UTF-8 is code-point order.
  if (flags & cfBinary) return Sign(a.compare(b));
  const TWideText wideA(a), wideB(b);
  return Sign(flags & cfCaseInsensitive ? AnsiCompareText(wideA.View(), wideB.View())
                                        : AnsiCompareStr(wideA.View(), wideB.View()));
}

int TMemData::CompareWideStr(std::u16string_view a, std::u16string_view b, int flags) {
  if (flags & cfBinary) return ::CompareStr(a, b);
  return flags & cfCaseInsensitive ? AnsiCompareTextW(a, b) : AnsiCompareStrW(a, b);
}

int TMemData::ComparePartialWideStr(std::u16string_view value, std::u16string_view field,
                                    int flags) {
  return CompareWideStr(value, field.substr(0, value.size()), flags);
}

int TMemData::CompareStrByOptions(std::string_view value, std::string_view field, int flags) {
  if (flags & cfContains) {
    if (flags & cfCaseInsensitive)
      return AnsiUpperCaseA(field).find(AnsiUpperCaseA(value)) != AnsiString::npos ? 0 : 1;
    return field.find(value) != std::string_view::npos ? 0 : 1;
  }
  if (flags & cfPartial) {
    // Counted in characters, so that a prefix never ends inside one.
    const size_t length = value.empty() ? Utf8Length(field) : Utf8Length(value);
    if (Utf8Length(field) < length) return 1;
    return CompareAnsiStr(value, Utf8Prefix(field, length), flags);
  }
  return CompareAnsiStr(value, field, flags);
}

int TMemData::CompareWideStrByOptions(std::u16string_view value, std::u16string_view field,
                                      int flags) {
  if (IsWin9x) return CompareStrByOptions(UTF8Encode(value), UTF8Encode(field), flags);
  if (flags & cfContains) {
    if (flags & cfCaseInsensitive)
      return AnsiUpperCase(field).find(AnsiUpperCase(value)) != String::npos ? 0 : 1;
    return field.find(value) != std::u16string_view::npos ? 0 : 1;
  }
  if (flags & cfPartial) {
    if (field.size() < value.size()) return 1;
    return ComparePartialWideStr(value, field, flags);
  }
  return CompareWideStr(value, field, flags);
}

int TMemData::CompareBytes(const uint8_t* value, size_t valueLength, const uint8_t* field,
                           size_t fieldLength, int flags) {
  if (flags & cfContains) {
    if (valueLength > fieldLength) return 1;
    if (valueLength == 0) return 0;
    for (size_t offset = 0; offset + valueLength <= fieldLength; ++offset)
      if (std::memcmp(field + offset, value, valueLength) == 0) return 0;
    return 1;
  }
  if (flags & cfPartial) {
    if (fieldLength < valueLength) return 1;
    return valueLength == 0 ? 0 : Sign(std::memcmp(value, field, valueLength));
  }
  const size_t common = valueLength < fieldLength ? valueLength : fieldLength;
  if (common > 0)
    if (int c = std::memcmp(value, field, common)) return Sign(c);
  return Order(valueLength, fieldLength);
}

namespace {

// The text of a field whose value is not itself a text: numbers, dates, variants, wide texts,
// decimals and blobs. Currency and decimal texts compare ignoring case (their exponent letters).
String FieldValueText(TData& data, TFieldDesc* field, uint8_t* recBuf, int& flags) {
  const uint8_t* value = recBuf + field->Offset();
  switch (field->DataType()) {
    case dtString: case dtGuid:
      return UTF8ToString(TextIn(value, static_cast<size_t>(field->Size())));
    case dtExtString: {
      const char* text = Load<const char*>(value);
      return UTF8ToString(text ? text : "");
    }
    case dtInt8:
      return IntToStr(field->Size() == 1 ? Load<int8_t>(value) : Load<int16_t>(value));
    case dtSmallint: return IntToStr(Load<int16_t>(value));
    case dtInteger: return IntToStr(Load<int32_t>(value));
    case dtWord: return IntToStr(Load<uint16_t>(value));
    case dtLargeint: return IntToStr(Load<int64_t>(value));
    case dtUInt32: return IntToStr(Load<uint32_t>(value));
    case dtFloat: case dtCurrency: return FloatToStr(Load<double>(value));
    case dtDate: return DateToStr(Load<double>(value));
    case dtTime: return TimeToStr(Load<double>(value));
    case dtDateTime: return DateTimeToStr(Load<double>(value));
    case dtVariant: return VarToStr(Load<TVariantObject*>(value)->Value());
    case dtWideString: return WideTextIn(value, static_cast<size_t>(field->Size()) / 2);
    case dtExtWideString: {
      const char16_t* text = Load<const char16_t*>(value);
      return text ? WideTextIn(text, Unbounded) : String();
    }
    case dtBCD:
      flags |= cfCaseInsensitive;
      return CurrToStr(Currency::FromRaw(Load<int64_t>(value)));
    case dtFMTBCD:
      flags |= cfCaseInsensitive;
      return BcdToStr(Load<TBcd>(value));
    case dtBlob: case dtMemo: case dtWideMemo:
      return data.GetBlob(field->FieldNo(), recBuf)->GetAsWideString();
    default:
      throw EConvertError(u"Cannot convert type");
  }
}

// Variants: byte arrays first, then texts, then values of one kind, then the type code.
int CompareVariants(TMemData& data, const Variant& value, const Variant& field, int flags) {
  if (IsByteArray(value) || IsByteArray(field)) {
    if (value.IsNull() || field.IsNull()) return Order(!value.IsNull(), !field.IsNull());
    if (IsByteArray(value) && IsByteArray(field)) {
      const TBytes a = value.AsBytes(), b = field.AsBytes();
      if (a.size() != b.size()) return Order(a.size(), b.size());
      return a.empty() ? 0 : Sign(std::memcmp(a.data(), b.data(), a.size()));
    }
  } else if (VarIsStr(value) || VarIsStr(field)) {
    return data.CompareStrByOptions(UTF8Encode(VarToStr(value)), UTF8Encode(VarToStr(field)),
                                    flags);
  } else if (value.VarType() == field.VarType() ||
             (IsNumericType(value.VarType()) && IsNumericType(field.VarType()))) {
    switch (VarCompareValue(value, field)) {
      case vrEqual: return 0;
      case vrLessThan: return -1;
      case vrGreaterThan: return 1;
      case vrNotEqual: break;
    }
  }
  return Order(value.VarType(), field.VarType());
}

}  // namespace

// ---- A value against a field ----

int TMemData::CompareFieldValue(const void* value, TDataTypeCode valueType, int flags,
                                uint8_t* recBuf, TFieldDesc* field) {
  uint8_t* data = FieldData(field, recBuf);
  switch (valueType) {
    case dtInt8:
      if (field->Size() == 1) return Order(Load<int8_t>(value), Load<int8_t>(data));
      return Order(Load<int16_t>(value), Load<int16_t>(data));
    case dtSmallint: return Order(Load<int16_t>(value), Load<int16_t>(data));
    case dtInteger: return Order(Load<int32_t>(value), Load<int32_t>(data));
    case dtWord: return Order(Load<uint16_t>(value), Load<uint16_t>(data));
    case dtUInt32: return Order(Load<uint32_t>(value), Load<uint32_t>(data));
    case dtLargeint: return Order(Load<int64_t>(value), Load<int64_t>(data));
    case dtFloat: case dtCurrency: case dtDate: case dtTime: case dtDateTime:
      return Order(Load<double>(value), Load<double>(data));
    case dtBoolean: return Order(Load<int16_t>(value) != 0, Load<int16_t>(data) != 0);
    case dtBCD:
      return Order(static_cast<int64_t>(std::llround(Load<double>(value) * 10000.0)),
                   Load<int64_t>(data));
    case dtFMTBCD: return Sign(BcdCompare(Load<TBcd>(value), Load<TBcd>(data)));
    case dtSQLTimeStamp:
      return Sign(CompareSQLTimeStamp(Load<TSQLTimeStamp>(value), Load<TSQLTimeStamp>(data)));
    case dtBytes: case dtVarBytes: case dtExtVarBytes: {
      const uint8_t *a, *b;
      size_t lengthA, lengthB;
      LengthPrefixed(static_cast<const uint8_t*>(value), a, lengthA);
      FieldBytes(field, data, b, lengthB);
      return CompareBytes(a, lengthA, b, lengthB, flags);
    }
    case dtVariant: {
      RTL_ASSERT(field->DataType() == dtVariant, u"A variant compares only with a variant");
      return CompareVariants(*this, Load<TVariantObject*>(value)->Value(),
                             Load<TVariantObject*>(data)->Value(), flags);
    }
    case dtString: case dtGuid: {
      const std::string_view text(static_cast<const char*>(value));
      const TDataTypeCode code = field->DataType();
      if (code == dtGuid) flags |= cfCaseInsensitive;
      // Texts of fixed or variable length lose their trailing blanks when trimming is on.
      const bool trims = (code == dtString || code == dtWideString) && TrimsText(field);
      if (code == dtString || code == dtGuid || code == dtExtString) {
        std::string_view fieldText;
        if (code == dtExtString) {
          const char* heap = Load<const char*>(data);
          fieldText = heap ? std::string_view(heap) : std::string_view();
        } else {
          fieldText = TextIn(data, static_cast<size_t>(field->Size()));
        }
        if (trims) return CompareStrByOptions(TrimRight(text), TrimRight(fieldText), flags);
        if (!(flags & (cfPartial | cfContains))) return CompareAnsiStr(text, fieldText, flags);
        return CompareStrByOptions(text, fieldText, flags);
      }
      const AnsiString fieldText = code == dtMemo || code == dtBlob
                                       ? GetBlob(field->FieldNo(), recBuf)->GetAsAnsiString()
                                       : UTF8Encode(FieldValueText(*this, field, recBuf, flags));
      if (trims) return CompareStrByOptions(TrimRight(text), TrimRight(fieldText), flags);
      return CompareStrByOptions(text, fieldText, flags);
    }
    case dtWideString: {
      const String text = WideTextIn(value, Unbounded);
      const TDataTypeCode code = field->DataType();
      if (code == dtGuid) flags |= cfCaseInsensitive;
      const bool trims = (code == dtString || code == dtWideString) && TrimsText(field);
      const String fieldText = FieldValueText(*this, field, recBuf, flags);
      if (trims) return CompareWideStrByOptions(TrimRight(text), TrimRight(fieldText), flags);
      if ((code == dtWideString || code == dtExtWideString) && !(flags & (cfPartial | cfContains)))
        return CompareWideStr(text, fieldText, flags);
      return CompareWideStrByOptions(text, fieldText, flags);
    }
    default:
      RTL_ASSERT(false, u"Unknown ValueType = " + S(std::to_string(valueType)));
      return 0;
  }
}

// ---- Fields and records ----

int TMemData::CompareFields(uint8_t* recA, uint8_t* recB, int flags, TFieldDesc* field) {
  const bool nullA = GetNull(field->FieldNo(), recA);
  const bool nullB = GetNull(field->FieldNo(), recB);
  if (nullA && nullB) return 0;
  if (nullA) return (flags & cfNullsLast) ? 1 : -1;
  if (nullB) return (flags & cfNullsLast) ? -1 : 1;
  bool inPlace, isNull;
  TDataTypeCode valueType;
  const void* value = GetComparableValue(recA, field, inPlace, isNull, valueType);
  struct FreeValue {
    const void* value;
    bool inPlace;
    ~FreeValue() {
      if (!inPlace) FreeComparableValue(value);
    }
  } release{value, inPlace};
  return Sign(CompareFieldValue(value, valueType, flags, recB, field));
}

int TMemData::CompareRecordsByColumn(uint8_t* recA, uint8_t* recB, const TSortColumn& column) {
  int flags = 0;
  if (column.SortKind == stCaseInsensitive) flags = cfCaseInsensitive;
  if (column.SortKind == stBinary) flags = cfBinary;
  return CompareFields(recA, recB, flags, column.Field);
}

uint8_t* TMemData::CalculatedCopy(uint8_t* recBuf, std::vector<uint8_t>& scratch) {
  scratch.assign(static_cast<size_t>(FRecordSize + FCalcRecordSize), 0);
  std::memcpy(scratch.data(), recBuf, static_cast<size_t>(FRecordSize));
  if (OnGetCalcFields) OnGetCalcFields(scratch.data(), nullptr);
  return scratch.data();
}

int TMemData::CompareRecords(uint8_t* recA, uint8_t* recB) {
  bool calculated = false;
  for (const TSortColumn& column : FSortColumns) {
    if (column.Field->CalcKind() == 2 && !calculated) {
      // Fields of the calculated area compare on copies that carry them.
      recA = CalculatedCopy(recA, FSortScratchA);
      recB = CalculatedCopy(recB, FSortScratchB);
      calculated = true;
    }
    int result = CompareRecordsByColumn(recA, recB, column);
    if (column.Descending) result = -result;
    if (result != 0) return result;
  }
  return 0;
}
