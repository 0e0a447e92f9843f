#include "MySql/MySqlStmt_Codec.h"

#include <cmath>
#include <cstring>

#include "Common/MemData_Blob.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlNetCodec.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

using mysqlcodec::TMySqlReader;

namespace mysqlstmt {

namespace {

constexpr uint8_t kComStmtPrepareOk = 0;
// The MySQL types parameters are sent as.
constexpr uint8_t kTypeTiny = 1;
constexpr uint8_t kTypeShort = 2;
constexpr uint8_t kTypeLong = 3;
constexpr uint8_t kTypeDouble = 5;
constexpr uint8_t kTypeLongLong = 8;
constexpr uint8_t kTypeDate = 10;
constexpr uint8_t kTypeTime = 11;
constexpr uint8_t kTypeDateTime = 12;
constexpr uint8_t kTypeVarString = 253;
// The date-time value of 0001-01-01 00:00:00, which stands for the server's zero date.
constexpr TDateTime kZeroDate = -693593.0;
constexpr int64_t kMsPerDay = 86400000;

[[noreturn]] void InvalidType(TDataTypeCode dataType) {
  AssertErrorHandler(u"Invalid internal field type $" +
                         IntToHex(static_cast<uint64_t>(dataType), 1) + u" (" +
                         IntToStr(static_cast<int64_t>(dataType)) + u")",
                     __FILE__, __LINE__);
}

const TFormatSettings& PointSettings() {
  static const TFormatSettings settings = TFormatSettings::Invariant();
  return settings;
}

template <class T>
void Put(TBytes& out, T value) {
  const size_t at = out.size();
  out.resize(at + sizeof(T));
  for (size_t i = 0; i < sizeof(T); ++i)
    out[at + i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

void PutLengthCoded(TBytes& out, uint64_t n) {
  uint8_t prefix[9];
  const size_t count = mysqlcodec::EncodeLengthCoded(n, prefix);
  out.insert(out.end(), prefix, prefix + count);
}

void PutBytes(TBytes& out, const void* data, size_t count) {
  PutLengthCoded(out, count);
  const auto* p = static_cast<const uint8_t*>(data);
  out.insert(out.end(), p, p + count);
}

void PutText(TBytes& out, const AnsiString& text) { PutBytes(out, text.data(), text.size()); }

// A blob's content as the server is to store it: Unicode content as UTF-8 text, other content
// as its plain bytes (a compressed blob is read through, not sent in its compressed form).
void PutBlob(TBytes& out, TBlob& blob) {
  if (blob.IsUnicode()) {
    PutText(out, blob.GetAsAnsiString());
    return;
  }
  const uint32_t size = blob.GetSize();
  PutLengthCoded(out, size);
  const size_t at = out.size();
  out.resize(at + size);
  if (size > 0) blob.Read(0, size, out.data() + at);
}

AnsiString ValueText(const Variant& value) {
  switch (value.VarType()) {
    case varString: return value.AsAnsiString();
    case varUString:
    case varOleStr: return UTF8Encode(value.AsString());
    default: return UTF8Encode(VarToStr(value));
  }
}

void PutByteString(TBytes& out, const Variant& value) {
  if (value.VarType() == varObject) {
    auto* blob = dynamic_cast<TBlob*>(static_cast<TSharedObject*>(value.AsObject()));
    RTL_ASSERT(blob != nullptr, u"The parameter's object is no blob");
    PutBlob(out, *blob);
  } else if (value.IsArray() && (value.VarType() & varTypeMask) == varByte) {
    const TBytes bytes = value.AsBytes();
    PutBytes(out, bytes.data(), bytes.size());
  } else {
    PutText(out, ValueText(value));
  }
}

void PutDate(TBytes& out, TDateTime value) {
  if (value == kZeroDate) {
    out.push_back(0);
    return;
  }
  uint16_t y, m, d;
  DecodeDate(value, y, m, d);
  out.push_back(4);
  Put<uint16_t>(out, y);
  out.push_back(static_cast<uint8_t>(m));
  out.push_back(static_cast<uint8_t>(d));
}

void PutDateTime(TBytes& out, TDateTime value) {
  if (value == kZeroDate) {
    out.push_back(0);
    return;
  }
  uint16_t y, m, d, h, n, s, ms;
  DecodeDateTime(value, y, m, d, h, n, s, ms);
  out.push_back(11);
  Put<uint16_t>(out, y);
  for (uint16_t part : {m, d, h, n, s}) out.push_back(static_cast<uint8_t>(part));
  Put<uint32_t>(out, static_cast<uint32_t>(ms) * 1000u);
}

// A time keeps its sign and its whole days: 100:00:00 is 4 days and 4 hours, not 04:00:00.
void PutTime(TBytes& out, TDateTime value) {
  if (value == kZeroDate) {
    out.push_back(0);
    return;
  }
  const bool negative = value < 0;
  const int64_t total = static_cast<int64_t>(std::llround(std::fabs(value) * kMsPerDay));
  const int64_t ofDay = total % kMsPerDay;
  out.push_back(12);
  out.push_back(negative ? 1 : 0);
  Put<uint32_t>(out, static_cast<uint32_t>(total / kMsPerDay));
  out.push_back(static_cast<uint8_t>(ofDay / 3600000));
  out.push_back(static_cast<uint8_t>(ofDay / 60000 % 60));
  out.push_back(static_cast<uint8_t>(ofDay / 1000 % 60));
  Put<uint32_t>(out, static_cast<uint32_t>(ofDay % 1000) * 1000u);
}

}  // namespace

TPrepareOk DecodePrepareOk(const uint8_t* payload, size_t length) {
  TMySqlReader r(payload, length);
  if (r.ReadByte() != kComStmtPrepareOk) throw EMySqlException(CR_MALFORMED_PACKET);
  TPrepareOk ok;
  ok.StatementId = r.ReadUInt32();
  ok.FieldCount = r.ReadUInt16();
  ok.ParamCount = r.ReadUInt16();
  if (ok.FieldCount > 0 && !r.AtEnd()) {
    const int64_t extra = r.ReadLengthCoded();
    ok.HasExtra = true;
    ok.Extra = extra < 0 ? 0 : static_cast<uint64_t>(extra);
  }
  return ok;
}

TMySqlParamType ParamTypeOf(TDataTypeCode dataType) {
  switch (dataType) {
    case dtInt8:
    case dtBoolean:
      return kTypeTiny;
    case dtSmallint:
      return kTypeShort;
    case dtInteger:
    case dtWord:
      return kTypeLong;
    case dtUInt32:
      return kTypeLong | kParamUnsigned;
    case dtLargeint:
      return kTypeLongLong;
    case dtFloat:
      return kTypeDouble;
    case dtDate:
      return kTypeDate;
    case dtTime:
      return kTypeTime;
    case dtDateTime:
    case dtSQLTimeStamp:
      return kTypeDateTime;
    case dtUnknown:
    case dtString:
    case dtBlob:
    case dtMemo:
    case dtExtString:
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes:
    case dtWideString:
    case dtExtWideString:
    case dtCurrency:
    case dtBCD:
    case dtFMTBCD:
    case dtGuid:
    case dtWideMemo:
      return kTypeVarString;
    default:
      InvalidType(dataType);
  }
}

void AppendParamValue(TBytes& out, TDataTypeCode dataType, const Variant& value) {
  switch (dataType) {
    case dtInt8:
      out.push_back(static_cast<uint8_t>(value.AsInteger()));
      break;
    case dtBoolean:
      out.push_back(value.AsBoolean() ? 1 : 0);
      break;
    case dtSmallint:
      Put<uint16_t>(out, static_cast<uint16_t>(value.AsInteger()));
      break;
    case dtInteger:
    case dtWord:
      Put<uint32_t>(out, static_cast<uint32_t>(value.AsInteger()));
      break;
    case dtUInt32:
      Put<uint32_t>(out, value.AsLongWord());
      break;
    case dtLargeint:
      Put<uint64_t>(out, static_cast<uint64_t>(value.AsInt64()));
      break;
    case dtFloat: {
      const double d = value.AsDouble();
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      Put<uint64_t>(out, bits);
      break;
    }
    case dtDate:
      PutDate(out, VarToDateTime(value));
      break;
    case dtTime:
      PutTime(out, VarToDateTime(value));
      break;
    case dtDateTime:
    case dtSQLTimeStamp:
      PutDateTime(out, VarToDateTime(value));
      break;
    case dtBCD:
      PutText(out, UTF8Encode(CurrToStr(value.AsCurrency(), PointSettings())));
      break;
    case dtCurrency:
      // Exact as text: a currency value has more digits than a double keeps.
      PutText(out, UTF8Encode(value.VarType() == varCurrency
                                  ? CurrToStr(value.AsCurrency(), PointSettings())
                                  : FloatToStr(value.AsDouble(), PointSettings())));
      break;
    case dtFMTBCD:
      PutText(out, UTF8Encode(BcdToStr(VarToBcd(value), PointSettings())));
      break;
    default:
      ParamTypeOf(dataType);  // fails for a data type without a binary form
      PutByteString(out, value);
  }
}

TBytes EncodeExecute(uint32_t statementId, const std::vector<TExecuteParam>& params,
                     const TMySqlParamTypes& sentTypes, TMySqlParamTypes& types, bool& newTypes) {
  TBytes out;
  out.reserve(16 + params.size() * 12);
  Put<uint32_t>(out, statementId);
  out.push_back(0);         // flags: no cursor
  Put<uint32_t>(out, 1);    // iteration count
  types.clear();
  newTypes = false;
  if (params.empty()) return out;
  const size_t bitmapAt = out.size();
  out.resize(bitmapAt + (params.size() + 7) / 8, 0);
  types.reserve(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    if (params[i].IsNull) out[bitmapAt + i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    types.push_back(ParamTypeOf(params[i].DataType));
  }
  newTypes = types != sentTypes;
  out.push_back(newTypes ? 1 : 0);
  if (newTypes)
    for (TMySqlParamType type : types) Put<uint16_t>(out, type);
  for (const TExecuteParam& p : params)
    if (!p.IsNull) AppendParamValue(out, p.DataType, *p.Value);
  return out;
}

TBytes EncodeClose(uint32_t statementId) {
  TBytes out;
  Put<uint32_t>(out, statementId);
  return out;
}

}  // namespace mysqlstmt
