#include "MySql/MyClasses_Literals.h"

#include <memory>

#include "Common/CLRClasses.h"
#include "Common/MemData_Blob.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Numbers and dates are written with the invariant settings: a point as decimal separator and ":"
// between hours, minutes and seconds, whatever the user's locale says.
const TFormatSettings& SqlSettings() {
  static const TFormatSettings settings = TFormatSettings::Invariant();
  return settings;
}

// Character sets in which the second byte of a character can be 0x5C: there a backslash the
// writer adds could be swallowed by the byte before it and let the value end the literal.
bool BackslashCanBeTrailByte(const AnsiString& charsetName) {
  for (const char* name : {"big5", "cp932", "gbk", "sjis", "gb18030"})
    if (AnsiCompareTextA(charsetName, name) == 0) return true;
  return false;
}

void AppendEscaped(AnsiStringBuilder& sb, std::string_view bytes, bool backslashEscapes) {
  for (char c : bytes) {
    if (!backslashEscapes) {
      if (c == '\'') sb.AppendChar('\'');
      sb.AppendChar(c);
      continue;
    }
    switch (c) {
      case '\0': sb.Append("\\0"); break;
      case '\n': sb.Append("\\n"); break;
      case '\r': sb.Append("\\r"); break;
      case '\x1a': sb.Append("\\Z"); break;
      case '"':
      case '\'':
      case '\\':
        sb.AppendChar('\\');
        sb.AppendChar(c);
        break;
      default: sb.AppendChar(c);
    }
  }
}

void AppendHex(AnsiStringBuilder& sb, std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  sb.Append("X'");
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    sb.AppendChar(digits[b >> 4]);
    sb.AppendChar(digits[b & 15]);
  }
  sb.AppendChar('\'');
}

struct LiteralContext {
  const AnsiString& charsetName;
  bool backslashEscapes;
  bool compressBlobs;
};

void AppendQuoted(AnsiStringBuilder& sb, std::string_view bytes, const LiteralContext& ctx) {
  if (ctx.backslashEscapes && !bytes.empty() && BackslashCanBeTrailByte(ctx.charsetName)) {
    AppendHex(sb, bytes);
    return;
  }
  sb.AppendChar('\'');
  AppendEscaped(sb, bytes, ctx.backslashEscapes);
  sb.AppendChar('\'');
}

// Frees a shared object when the literal is written.
struct SharedObjectRelease {
  void operator()(TSharedObject* obj) const { TSharedObject::Release(obj); }
};

AnsiString StoredBytes(TBlob& blob) {
  blob.Defrag();
  TBlobPiece* piece = blob.GetFirstPiece();
  if (!piece) return AnsiString();
  return AnsiString(reinterpret_cast<const char*>(piece->Data()), piece->UsedBytes);
}

// Compressed content goes as the bytes it is stored in, never through a text conversion, which
// would corrupt it.
bool AppendCompressedBlob(AnsiStringBuilder& sb, TBlob& blob, const LiteralContext& ctx) {
  if (auto* compressed = dynamic_cast<TCompressedBlob*>(&blob)) {
    compressed->SetCompressed(true);
    if (!compressed->GetCompressed()) return false;
    AppendQuoted(sb, StoredBytes(*compressed), ctx);
    return true;
  }
  if (blob.GetSize() <= TCompressedBlobData::MinCompressSize) return false;
  std::unique_ptr<TCompressedBlob, SharedObjectRelease> copy(new TCompressedBlob(blob.IsUnicode()));
  copy->Assign(blob);
  if (!copy->SetCompressed(true)) return false;
  AppendQuoted(sb, StoredBytes(*copy), ctx);
  return true;
}

void AppendBlob(AnsiStringBuilder& sb, TBlob& blob, const LiteralContext& ctx) {
  blob.Defrag();
  if (ctx.compressBlobs && AppendCompressedBlob(sb, blob, ctx)) return;
  if (blob.IsEmpty()) {
    sb.Append("''");
    return;
  }
  // Unicode content is text: it goes as UTF-8, the client's 8-bit text, with or without the
  // connection's Unicode mode. Other content goes as its bytes.
  if (blob.IsUnicode()) {
    AppendQuoted(sb, blob.GetAsAnsiString(), ctx);
  } else {
    TBytes bytes = blob.GetAsBytes();
    AppendQuoted(sb, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                 ctx);
  }
}

bool IsByteArray(const Variant& value) {
  return value.IsArray() && (value.VarType() & varTypeMask) == varByte;
}

AnsiString ValueText(const Variant& value) {
  switch (value.VarType()) {
    case varString: return value.AsAnsiString();
    case varUString:
    case varOleStr: return UTF8Encode(value.AsString());
    default: return UTF8Encode(VarToStr(value));
  }
}

void AppendStringLiteral(AnsiStringBuilder& sb, const Variant& value, const LiteralContext& ctx) {
  if (value.VarType() == varObject) {
    auto* blob = dynamic_cast<TBlob*>(static_cast<TSharedObject*>(value.AsObject()));
    RTL_ASSERT(blob != nullptr, u"The parameter's object is no blob");
    AppendBlob(sb, *blob, ctx);
  } else if (IsByteArray(value)) {
    TBytes bytes = value.AsBytes();
    AppendQuoted(sb, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                 ctx);
  } else {
    // Text is UTF-8 whether or not the connection converts: the ANSI code page is UTF-8.
    AppendQuoted(sb, ValueText(value), ctx);
  }
}

String FloatText(const Variant& value) {
  if (value.VarType() == varCurrency) return CurrToStr(value.AsCurrency(), SqlSettings());
  return FloatToStr(value.AsDouble(), SqlSettings());
}

void AppendDateTime(AnsiStringBuilder& sb, const String& format, const Variant& value) {
  sb.AppendChar('\'');
  sb.Append(UTF8Encode(FormatDateTime(format, VarToDateTime(value), SqlSettings())));
  sb.AppendChar('\'');
}

// A time as hours (not limited to 23), minutes and seconds; negative times keep their sign.
void AppendTime(AnsiStringBuilder& sb, const Variant& value) {
  int64_t total = Round(VarToDateTime(value) * 86400.0);
  sb.AppendChar('\'');
  if (total < 0) {
    sb.AppendChar('-');
    total = -total;
  }
  int64_t minutes = total / 60 % 60;
  int64_t seconds = total % 60;
  sb.Append(UTF8Encode(IntToStr(total / 3600)));
  sb.AppendChar(':');
  if (minutes < 10) sb.AppendChar('0');
  sb.Append(UTF8Encode(IntToStr(minutes)));
  sb.AppendChar(':');
  if (seconds < 10) sb.AppendChar('0');
  sb.Append(UTF8Encode(IntToStr(seconds)));
  sb.AppendChar('\'');
}

// Values of a type without rules of its own: numbers stay numbers, dates become date-times, and
// everything else is quoted text, so no value is ever copied into the statement unquoted.
void AppendOther(AnsiStringBuilder& sb, const Variant& value, const LiteralContext& ctx) {
  if (VarIsOrdinal(value) && value.VarType() != varBoolean)
    sb.Append(UTF8Encode(IntToStr(value.AsInt64())));
  else if (VarIsFloat(value))
    sb.Append(UTF8Encode(FloatText(value)));
  else if (value.VarType() == varDate || VarIsSQLTimeStamp(value))
    AppendDateTime(sb, u"yyyy-mm-dd hh:nn:ss", value);
  else
    AppendStringLiteral(sb, value, ctx);
}

bool IsZeroDate(TDataTypeCode dataType, const Variant& value) {
  if (dataType != dtDate && dataType != dtTime && dataType != dtDateTime) return false;
  return VarToDateTime(value) == MyZeroDate;
}

}  // namespace

AnsiString MySQLQuoteBytes(std::string_view bytes, bool backslashEscapes) {
  AnsiStringBuilder sb(static_cast<int>(bytes.size() * 2 + 2));
  sb.AppendChar('\'');
  AppendEscaped(sb, bytes, backslashEscapes);
  sb.AppendChar('\'');
  return sb.ToString();
}

void MySQLValueToSQL(AnsiStringBuilder& sb, TDataTypeCode dataType, const Variant& value,
                     const AnsiString& charsetName, int /*serverMajor*/, bool backslashEscapes,
                     bool compressBlobs, bool /*useUnicode*/, bool isNull) {
  if (isNull || value.IsNull()) {
    sb.Append("NULL");
    return;
  }
  if (IsZeroDate(dataType, value)) {
    sb.Append("'0000-00-00 00:00:00'");
    return;
  }
  LiteralContext ctx{charsetName, backslashEscapes, compressBlobs};
  switch (dataType) {
    case dtUnknown:
    case dtBlob:
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes:
    case dtString:
    case dtMemo:
    case dtExtString:
    case dtWideString:
    case dtExtWideString:
    case dtWideMemo:
    case dtGuid:
      AppendStringLiteral(sb, value, ctx);
      break;
    case dtFloat:
    case dtCurrency:
      sb.Append(UTF8Encode(FloatText(value)));
      break;
    case dtBCD:
      sb.Append(UTF8Encode(CurrToStr(value.AsCurrency(), SqlSettings())));
      break;
    case dtFMTBCD:
      sb.Append(UTF8Encode(BcdToStr(VarToBcd(value), SqlSettings())));
      break;
    case dtDate:
      AppendDateTime(sb, u"yyyy-mm-dd", value);
      break;
    case dtDateTime:
    case dtSQLTimeStamp:
      AppendDateTime(sb, u"yyyy-mm-dd hh:nn:ss", value);
      break;
    case dtTime:
      AppendTime(sb, value);
      break;
    case dtBoolean:
      sb.AppendChar(value.AsBoolean() ? '1' : '0');
      break;
    case dtInt8:
    case dtSmallint:
    case dtInteger:
    case dtWord:
    case dtLargeint:
    case dtUInt32:
      sb.Append(UTF8Encode(IntToStr(value.AsInt64())));
      break;
    default:
      AppendOther(sb, value, ctx);
  }
}

AnsiString MySQLValueToText(TDataTypeCode dataType, const Variant& value, bool isNull,
                            int serverMajor, bool compressBlobs, bool useUnicode) {
  AnsiStringBuilder sb(64);
  MySQLValueToSQL(sb, dataType, value, AnsiString(), serverMajor, false, compressBlobs, useUnicode,
                  isNull);
  return sb.ToString();
}
