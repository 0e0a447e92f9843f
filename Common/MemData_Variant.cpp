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

bool IsByteArray(const Variant& v) { return v.VarType() == (varArray | varByte); }

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

void TData::StoreVariant(int fieldNo, uint8_t* recBuf, const Variant& value, bool exact) {
  TFieldDesc* field = FieldOf(fieldNo);
  if (value.IsNull() || value.IsEmpty()) {
    SetNull(fieldNo, recBuf, true);
    return;
  }
  RTL_ASSERT(!field->HasParent(), u"Sub-field " + field->Name() + u" is written by its object");
  uint8_t* data = FieldData(field, recBuf);
  const uint16_t vt = value.VarType();
  switch (field->DataType()) {
    case dtString: case dtGuid: {
      const AnsiString text = value.AsAnsiString();
      const size_t n = WholeCharsWithin(text, static_cast<size_t>(field->Size()) - 1);
      std::memcpy(data, text.data(), n);
      data[n] = 0;
      break;
    }
    case dtInt8: {
      const int64_t v = value.AsInt64();
      if (field->Size() == 1) {
        Store(data, static_cast<int8_t>(InRange(v, INT8_MIN, INT8_MAX)));
      } else {
        RTL_ASSERT(field->Size() == 2, u"Invalid size of a short integer field");
        Store(data, static_cast<int16_t>(InRange(v, INT16_MIN, INT16_MAX)));
      }
      break;
    }
    case dtSmallint:
      if (!IsIntegerType(vt)) CannotConvert();
      Store(data, static_cast<int16_t>(InRange(value.AsInt64(), INT16_MIN, INT16_MAX)));
      break;
    case dtWord:
      if (!IsIntegerType(vt)) CannotConvert();
      Store(data, static_cast<uint16_t>(InRange(value.AsInt64(), 0, UINT16_MAX)));
      break;
    case dtInteger: {
      int64_t v;
      if (IsText(vt)) {
        if (!TryStrToInt64(value.AsString(), v)) CannotConvert();
      } else if (IsIntegerType(vt) || IsFloatType(vt)) {
        v = value.AsInt64();
      } else {
        CannotConvert();
      }
      Store(data, static_cast<int32_t>(InRange(v, INT32_MIN, INT32_MAX)));
      break;
    }
    case dtFloat: case dtCurrency: {
      double v;
      if (IsIntegerType(vt)) {
        v = static_cast<double>(value.AsInt64());
      } else if (IsFloatType(vt) || IsText(vt)) {
        v = value.AsDouble();
        // Rounded to the field's scale through the external form's rule.
        if (!exact) {
          PutFieldData(field, data, false, &v);
          break;
        }
      } else {
        CannotConvert();
      }
      Store(data, v);
      break;
    }
    case dtDate: case dtTime: case dtDateTime:
      Store(data, value.AsDateTime());
      break;
    case dtBoolean:
      if (vt != varBoolean) CannotConvert();
      Store(data, static_cast<int16_t>(value.AsBoolean() ? 1 : 0));
      break;
    case dtLargeint:
      if (vt != varInt64) CannotConvert();
      Store(data, value.AsInt64());
      break;
    case dtUInt32:
      if (vt != varLongWord) CannotConvert();
      Store(data, value.AsLongWord());
      break;
    case dtBlob:
      if (IsByteArray(value)) {
        GetBlob(fieldNo, recBuf)->SetAsBytes(value.AsBytes());
        break;
      }
      [[fallthrough]];
    case dtMemo:
      GetBlob(fieldNo, recBuf)->SetAsAnsiString(value.AsAnsiString());
      break;
    case dtWideMemo:
      GetBlob(fieldNo, recBuf)->SetAsWideString(value.AsString());
      break;
    case dtVariant:
      Load<TVariantObject*>(data)->SetValue(value);
      break;
    case dtExtString: {
      const AnsiString text = value.AsAnsiString();
      FStringHeap.DisposeBuf(Load<uint8_t*>(data));
      Store(data, FStringHeap.AllocStr(text.c_str(), false, static_cast<int32_t>(text.size())));
      break;
    }
    case dtExtWideString: {
      const String text = value.AsString();
      FStringHeap.DisposeBuf(Load<uint8_t*>(data));
      Store(data,
            FStringHeap.AllocWideStr(text.c_str(), false, static_cast<int32_t>(text.size())));
      break;
    }
    case dtWideString: {
      String text = value.AsString();
      size_t n = std::min(text.size(), static_cast<size_t>(field->Size()) / 2 - 1);
      if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
      std::memcpy(data, text.data(), n * 2);
      Store(data + n * 2, char16_t(0));
      break;
    }
    case dtBytes: case dtVarBytes: case dtExtVarBytes: {
      RTL_ASSERT(IsByteArray(value), u"Invalid VType");
      const TBytes bytes = value.AsBytes();
      const TDataTypeCode code = field->DataType();
      RTL_ASSERT(code == dtBytes ? bytes.size() == field->Length()
                                 : code == dtExtVarBytes || bytes.size() <= field->Length(),
                 u"Invalid data size");
      RTL_ASSERT(bytes.size() <= UINT16_MAX, u"Invalid data size");
      if (code == dtBytes) {
        std::memcpy(data, bytes.data(), bytes.size());
        break;
      }
      uint8_t* target = data;
      if (code == dtExtVarBytes) {
        FStringHeap.DisposeBuf(Load<uint8_t*>(data));
        target = FStringHeap.NewBuf(static_cast<int32_t>(2 + bytes.size()));
        Store(data, target);
      }
      Store(target, static_cast<uint16_t>(bytes.size()));
      if (!bytes.empty()) std::memcpy(target + 2, bytes.data(), bytes.size());
      break;
    }
    case dtBCD:
      Store(data, value.AsCurrency().Raw());
      break;
    case dtFMTBCD:
      Store(data, value.AsBcd());
      break;
    case dtSQLTimeStamp:
      Store(data, value.AsSQLTimeStamp());
      break;
    default:
      CannotConvert();
  }
  recBuf[FDataSize + fieldNo - 1] = 0;
}
