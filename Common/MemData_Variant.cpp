// Field values as Variants: the Variant form of each type code and the conversions it accepts.
#include <cstring>
#include <string>

#include "Common/MemData.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

template <typename T>
T Load(const uint8_t* data) {
  T v;
  std::memcpy(&v, data, sizeof v);
  return v;
}

template <typename T>
void Store(uint8_t* data, const T& v) {
  std::memcpy(data, &v, sizeof v);
}

[[noreturn]] void CannotConvert() { throw EConvertError(u"Cannot convert type"); }

bool IsIntegerType(uint16_t vt) {
  switch (vt) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}

bool IsFloatType(uint16_t vt) { return vt == varSingle || vt == varDouble || vt == varCurrency; }

bool IsText(uint16_t vt) { return vt == varString || vt == varUString || vt == varOleStr; }

// An integer checked against the range of the field's type.
int64_t InRange(int64_t value, int64_t low, int64_t high) {
  if (value < low || value > high) CannotConvert();
  return value;
}

// At most limit bytes of UTF-8 text, never ending inside a character.
size_t WholeCharsWithin(const AnsiString& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t n = limit;
  while (n > 0 && (static_cast<uint8_t>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

TBytes BytesOf(const uint8_t* data, size_t n) { return TBytes(data, data + n); }

}  // namespace

Variant TData::GetFieldAsVariant(int fieldNo, uint8_t* recBuf) {
  TFieldDesc* field = FieldOf(fieldNo);
  if (GetNull(fieldNo, recBuf)) return Variant::Null();
  RTL_ASSERT(!field->HasParent(), u"Sub-field " + field->Name() + u" has no object type");
  uint8_t* data = FieldData(field, recBuf);
  switch (field->DataType()) {
    case dtString: case dtGuid: {
      const auto* text = reinterpret_cast<const char*>(data);
      size_t n = strnlen(text, static_cast<size_t>(field->Size()));
      if (field->DataType() == dtString && TrimsText(field))
        while (n > 0 && text[n - 1] == ' ') --n;
      return Variant(AnsiString(text, n));
    }
    case dtInt8: return Variant(Load<int8_t>(data));
    case dtSmallint: return Variant(Load<int16_t>(data));
    case dtInteger: return Variant(Load<int32_t>(data));
    case dtFloat: case dtCurrency: return Variant(Load<double>(data));
    case dtDate: case dtTime: case dtDateTime: return Variant::FromDate(Load<double>(data));
    case dtWord: return Variant(Load<uint16_t>(data));
    case dtBoolean: return Variant(Load<int16_t>(data) != 0);
    case dtLargeint: return Variant(Load<int64_t>(data));
    case dtMemo: return Variant(GetBlob(fieldNo, recBuf)->GetAsAnsiString());
    case dtWideMemo: return Variant(GetBlob(fieldNo, recBuf)->GetAsWideString());
    case dtVariant: return Load<TVariantObject*>(data)->Value();
    case dtExtString: {
      const char* text = Load<const char*>(data);
      return Variant(AnsiString(text ? text : ""));
    }
    case dtBytes: return Variant(BytesOf(data, field->Length()));
    case dtVarBytes: return Variant(BytesOf(data + 2, Load<uint16_t>(data)));
    case dtExtVarBytes: {
      const uint8_t* buf = Load<const uint8_t*>(data);
      return Variant(buf ? BytesOf(buf + 2, Load<uint16_t>(buf)) : TBytes());
    }
    case dtUInt32: return Variant(Load<uint32_t>(data));
    case dtWideString: {
      const auto* text = reinterpret_cast<const char16_t*>(data);
      size_t n = 0;
      const size_t max = static_cast<size_t>(field->Size()) / 2;
      while (n < max && text[n] != 0) ++n;
      if (TrimsText(field))
        while (n > 0 && text[n - 1] == u' ') --n;
      return Variant(String(text, n));
    }
    case dtExtWideString: {
      const char16_t* text = Load<const char16_t*>(data);
      return Variant(String(text ? text : u""));
    }
    case dtBCD: return Variant(Currency::FromRaw(Load<int64_t>(data)));
    case dtFMTBCD: return Variant(Load<TBcd>(data));
    case dtSQLTimeStamp: return Variant(Load<TSQLTimeStamp>(data));
    default:
      throw EConvertError(u"Cannot convert type " +
                          UTF8ToString(std::to_string(field->DataType())));
  }
}

void TData::PutFieldAsVariant(int fieldNo, uint8_t* recBuf, const Variant& value, bool exact) {
  try {
    StoreVariant(fieldNo, recBuf, value, exact);
  } catch (const EVariantError& e) {
    // A value the Variant rules cannot convert is the record store's conversion error.
    throw EConvertError(e.Message());
  }
}

// Writes one non-null variant into a field's bytes. Each step takes the field types of one kind
// and answers whether the field was one of them.
struct TData::TVariantWriter {
  TData& Data;
  int FieldNo;
  uint8_t* RecBuf;
  TFieldDesc* Field;
  uint8_t* Dest;
  const Variant& Value;
  uint16_t Vt;
  bool Exact;

  // Texts within the record and on the string heap.
  bool StoreText() {
    switch (Field->DataType()) {
      case dtString: case dtGuid: {
        const AnsiString text = Value.AsAnsiString();
        const size_t n = WholeCharsWithin(text, static_cast<size_t>(Field->Size()) - 1);
        std::memcpy(Dest, text.data(), n);
        Dest[n] = 0;
        return true;
      }
      case dtWideString: {
        String text = Value.AsString();
        size_t n = std::min(text.size(), static_cast<size_t>(Field->Size()) / 2 - 1);
        if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
        std::memcpy(Dest, text.data(), n * 2);
        Store(Dest + n * 2, char16_t(0));
        return true;
      }
      case dtExtString: {
        const AnsiString text = Value.AsAnsiString();
        Data.FStringHeap.DisposeBuf(Load<uint8_t*>(Dest));
        Store(Dest,
              Data.FStringHeap.AllocStr(text.c_str(), false, static_cast<int32_t>(text.size())));
        return true;
      }
      case dtExtWideString: {
        const String text = Value.AsString();
        Data.FStringHeap.DisposeBuf(Load<uint8_t*>(Dest));
        Store(Dest, Data.FStringHeap.AllocWideStr(text.c_str(), false,
                                                  static_cast<int32_t>(text.size())));
        return true;
      }
      default: return false;
    }
  }

  // Integers, each within its column's range, and the logical type.
  bool StoreInteger() {
    switch (Field->DataType()) {
      case dtInt8: {
        const int64_t v = Value.AsInt64();
        if (Field->Size() == 1) {
          Store(Dest, static_cast<int8_t>(InRange(v, INT8_MIN, INT8_MAX)));
        } else {
          RTL_ASSERT(Field->Size() == 2, u"Invalid size of a short integer field");
          Store(Dest, static_cast<int16_t>(InRange(v, INT16_MIN, INT16_MAX)));
        }
        return true;
      }
      case dtSmallint:
        if (!IsIntegerType(Vt)) CannotConvert();
        Store(Dest, static_cast<int16_t>(InRange(Value.AsInt64(), INT16_MIN, INT16_MAX)));
        return true;
      case dtWord:
        if (!IsIntegerType(Vt)) CannotConvert();
        Store(Dest, static_cast<uint16_t>(InRange(Value.AsInt64(), 0, UINT16_MAX)));
        return true;
      case dtInteger: {
        int64_t v;
        if (IsText(Vt)) {
          if (!TryStrToInt64(Value.AsString(), v)) CannotConvert();
        } else if (IsIntegerType(Vt) || IsFloatType(Vt)) {
          v = Value.AsInt64();
        } else {
          CannotConvert();
        }
        Store(Dest, static_cast<int32_t>(InRange(v, INT32_MIN, INT32_MAX)));
        return true;
      }
      case dtBoolean:
        if (Vt != varBoolean) CannotConvert();
        Store(Dest, static_cast<int16_t>(Value.AsBoolean() ? 1 : 0));
        return true;
      case dtLargeint:
        if (Vt != varInt64) CannotConvert();
        Store(Dest, Value.AsInt64());
        return true;
      case dtUInt32:
        if (Vt != varLongWord) CannotConvert();
        Store(Dest, Value.AsLongWord());
        return true;
      default: return false;
    }
  }

  // Floating and decimal numbers, dates and times.
  bool StoreReal() {
    switch (Field->DataType()) {
      case dtFloat: case dtCurrency: {
        double v;
        if (IsIntegerType(Vt)) {
          v = static_cast<double>(Value.AsInt64());
        } else if (IsFloatType(Vt) || IsText(Vt)) {
          v = Value.AsDouble();
          // Rounded to the field's scale through the external form's rule.
          if (!Exact) {
            Data.PutFieldData(Field, Dest, false, &v);
            return true;
          }
        } else {
          CannotConvert();
        }
        Store(Dest, v);
        return true;
      }
      case dtDate: case dtTime: case dtDateTime: Store(Dest, Value.AsDateTime()); return true;
      case dtBCD: Store(Dest, Value.AsCurrency().Raw()); return true;
      case dtFMTBCD: Store(Dest, Value.AsBcd()); return true;
      case dtSQLTimeStamp: Store(Dest, Value.AsSQLTimeStamp()); return true;
      default: return false;
    }
  }

  // Blobs, memos and variant objects, which the record points to.
  bool StoreObject() {
    switch (Field->DataType()) {
      case dtBlob:
        if (IsByteArray(Value)) {
          Data.GetBlob(FieldNo, RecBuf)->SetAsBytes(Value.AsBytes());
          return true;
        }
        [[fallthrough]];
      case dtMemo:
        Data.GetBlob(FieldNo, RecBuf)->SetAsAnsiString(Value.AsAnsiString());
        return true;
      case dtWideMemo:
        Data.GetBlob(FieldNo, RecBuf)->SetAsWideString(Value.AsString());
        return true;
      case dtVariant: Load<TVariantObject*>(Dest)->SetValue(Value); return true;
      default: return false;
    }
  }

  // Byte strings: fixed, with a length prefix, or with the prefix on the string heap.
  bool StoreBytes() {
    const TDataTypeCode code = Field->DataType();
    if (code != dtBytes && code != dtVarBytes && code != dtExtVarBytes) return false;
    RTL_ASSERT(IsByteArray(Value), u"Invalid VType");
    const TBytes bytes = Value.AsBytes();
    RTL_ASSERT(code == dtBytes ? bytes.size() == Field->Length()
                               : code == dtExtVarBytes || bytes.size() <= Field->Length(),
               u"Invalid data size");
    RTL_ASSERT(bytes.size() <= UINT16_MAX, u"Invalid data size");
    if (code == dtBytes) {
      std::memcpy(Dest, bytes.data(), bytes.size());
      return true;
    }
    uint8_t* target = Dest;
    if (code == dtExtVarBytes) {
      Data.FStringHeap.DisposeBuf(Load<uint8_t*>(Dest));
      target = Data.FStringHeap.NewBuf(static_cast<int32_t>(2 + bytes.size()));
      Store(Dest, target);
    }
    Store(target, static_cast<uint16_t>(bytes.size()));
    if (!bytes.empty()) std::memcpy(target + 2, bytes.data(), bytes.size());
    return true;
  }
};

void TData::StoreVariant(int fieldNo, uint8_t* recBuf, const Variant& value, bool exact) {
  TFieldDesc* field = FieldOf(fieldNo);
  if (value.IsNull() || value.IsEmpty()) {
    SetNull(fieldNo, recBuf, true);
    return;
  }
  RTL_ASSERT(!field->HasParent(), u"Sub-field " + field->Name() + u" is written by its object");
  TVariantWriter writer{*this, fieldNo, recBuf, field, FieldData(field, recBuf),
                        value, value.VarType(), exact};
  if (!writer.StoreText() && !writer.StoreInteger() && !writer.StoreReal() &&
      !writer.StoreObject() && !writer.StoreBytes())
    CannotConvert();
  recBuf[FDataSize + fieldNo - 1] = 0;
}
