// Reading and writing field values in the platform dataset's external forms.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Common/MemData.h"
#include "Common/MemUtils.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Copies a zero-terminated text of at most maxUnits units and terminates it; with convertEOL a
// bare LF becomes CR LF, within the same limit.
template <typename Unit>
void CopyText(Unit* dest, const Unit* source, int maxUnits, bool convertEOL) {
  if (!convertEOL) {
    int n = 0;
    if (source)
      while (n < maxUnits && source[n] != 0) ++n;
    if (n > 0) std::memcpy(dest, source, static_cast<size_t>(n) * sizeof(Unit));
    dest[n] = 0;
    return;
  }
  int out = 0;
  Unit prev = 0;
  for (int in = 0; source && source[in] != 0 && in < maxUnits && out < maxUnits; ++in) {
    const Unit c = source[in];
    if (convertEOL && c == Unit(10) && prev != Unit(13)) {
      dest[out++] = Unit(13);
      if (out == maxUnits) break;
    }
    dest[out++] = c;
    prev = c;
  }
  dest[out] = 0;
}

bool IsEmptyText(TDataTypeCode code, const void* source) {
  if (code == dtString || code == dtExtString) return *static_cast<const char*>(source) == 0;
  if (code == dtWideString || code == dtExtWideString)
    return *static_cast<const char16_t*>(source) == 0;
  return false;
}

// The value formatted with scale decimals and read back.
double RoundToScaleByText(double value, int scale) {
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", scale, value);
  return std::strtod(text, nullptr);
}

// Whether printing the value with scale decimals and reading it back gives the value itself. It
// does when the value is a whole number of 2^-scale units (its decimal expansion then ends
// within scale digits), or when a unit of 10^-scale is smaller than the gap from the value to
// either neighbouring double, so the printed text lies nearer the value than any other. The gap
// is at least 2^(e-53) for a magnitude in [2^e, 2^(e+1)); scale * 3.321928 falls short of
// scale * log2(10), which keeps the bound on the safe side. A DOUBLE column declared without
// decimals reports a scale of 31, and every value from 2^-48 up lands here.
bool RoundingKeeps(double value, int scale) {
  const double units = std::ldexp(value, scale);
  if (units == std::trunc(units)) return true;
  const int64_t bitsPerScale = static_cast<int64_t>(scale) * 3321928 / 1000000;
  return std::ilogb(value) >= 54 - bitsPerScale;
}

// The same value without the text. Formatting rounds the exact binary value to the nearest
// count n of 10^-scale units, a tie to the even one, and reading "n / 10^scale" back is the
// correctly rounded quotient. Where 10^scale is exact and n stays below 2^52, the product is
// held exactly as hi + lo, n is found from it exactly, and one division gives the same double.
double RoundToScale(double value, int scale) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr double kExactIntegers = 4503599627370496.0;  // 2^52
  if (scale < 0 || !std::isfinite(value)) return RoundToScaleByText(value, scale);
  if (scale > 22) return RoundingKeeps(value, scale) ? value : RoundToScaleByText(value, scale);
  const double power = kPowers[scale];
  const double magnitude = std::fabs(value);
  const double hi = magnitude * power;
  if (!(hi < kExactIntegers))
    return RoundingKeeps(value, scale) ? value : RoundToScaleByText(value, scale);
  const double lo = std::fma(magnitude, power, -hi);  // magnitude * power == hi + lo exactly
  double n = std::nearbyint(hi);
  const double below = hi - n;     // exact: |below| <= 0.5 and ulp(hi) <= 0.5
  const double toHalf = 0.5 - below;   // exact for the same reason
  const double fromHalf = -0.5 - below;
  // The fraction hi + lo - n compared with +-0.5 without rounding it.
  if (lo > toHalf || (lo == toHalf && std::fmod(n, 2.0) != 0))
    n += 1;
  else if (lo < fromHalf || (lo == fromHalf && std::fmod(n, 2.0) != 0))
    n -= 1;
  return std::copysign(n / power, value);
}

}  // namespace

void TData::ReadText(int fieldNo, TFieldDesc* field, uint8_t* recBuf, void* dest,
                     bool& isBlank) {
  // Texts in the record are trimmed on the way out by the trimming options: the general path.
  const TDataTypeCode code = field->DataType();
  const bool inRecord = code == dtWideString || code == dtString;
  if (inRecord && TrimsText(field))
    return GetFieldInGeneral(fieldNo, field, recBuf, dest, isBlank);
  const uint8_t* data = FieldData(field, recBuf);
  const bool wide = code == dtWideString || code == dtExtWideString;
  const bool convertEOL = GetConvertEOL();
  if (wide)
    CopyText(static_cast<char16_t*>(dest),
             inRecord ? reinterpret_cast<const char16_t*>(data) : LoadPtr<const char16_t>(data),
             field->Length(), convertEOL);
  else
    CopyText(static_cast<char*>(dest),
             inRecord ? reinterpret_cast<const char*>(data) : LoadPtr<const char>(data),
             field->Length(), convertEOL);
  isBlank = false;
}

[[gnu::noinline]] void TData::GetFieldInGeneral(int fieldNo, TFieldDesc* field, uint8_t* recBuf,
                                                void* dest, bool& isBlank) {
  isBlank = IsNullField(fieldNo, recBuf);
  if (!dest) return;
  const TDataTypeCode code = field->DataType();
  // A null blob or variant field still hands out its object.
  if (isBlank && !IsBlobFieldType(code) && code != dtVariant) return;
  RTL_ASSERT(!field->HasParent(), u"Sub-field " + field->Name() + u" has no object type");
  GetFieldData(field, FieldData(field, recBuf), dest);
  if (isBlank || !TrimsText(field)) return;
  if (code == dtString)
    TrimTrailingBlanks(static_cast<char*>(dest), field->Fixed() ? field->Length() : -1);
  else if (code == dtWideString)
    TrimTrailingBlanksW(static_cast<char16_t*>(dest), -1);
}

void TData::GetFieldData(TFieldDesc* field, uint8_t* data, void* dest) {
  const int length = field->Length();
  switch (field->DataType()) {
    case dtString:
      CopyText(static_cast<char*>(dest), reinterpret_cast<const char*>(data), length,
               GetConvertEOL());
      break;
    case dtExtString:
      CopyText(static_cast<char*>(dest), LoadPtr<const char>(data), length, GetConvertEOL());
      break;
    case dtWideString:
      CopyText(static_cast<char16_t*>(dest), reinterpret_cast<const char16_t*>(data), length,
               GetConvertEOL());
      break;
    case dtExtWideString:
      CopyText(static_cast<char16_t*>(dest), LoadPtr<const char16_t>(data), length,
               GetConvertEOL());
      break;
    case dtDate:
      DateTimeToExternal(data, field, ExternalDate, dest);
      break;
    case dtTime:
      DateTimeToExternal(data, field, ExternalTime, dest);
      break;
    case dtDateTime:
      DateTimeToExternal(data, field, ExternalMSecs, dest);
      break;
    case dtVariant:
      *static_cast<Variant*>(dest) = LoadPtr<TVariantObject>(data)->Value();
      break;
    case dtBytes:
      // The record keeps a spare byte after the value; the field's buffer holds the value only.
      std::memcpy(dest, data, static_cast<size_t>(length));
      break;
    case dtExtVarBytes: {
      const uint8_t* buf = LoadPtr<const uint8_t>(data);
      uint16_t size = 0;
      if (buf) std::memcpy(&size, buf, sizeof size);
      std::memcpy(dest, &size, sizeof size);
      if (size) std::memcpy(static_cast<uint8_t*>(dest) + 2, buf + 2, size);
      break;
    }
    case dtUInt32: {
      uint32_t value;
      std::memcpy(&value, data, sizeof value);
      const uint64_t wide = value;
      std::memcpy(dest, &wide, sizeof wide);
      break;
    }
    case dtFMTBCD:
      std::memcpy(dest, data, 34);
      break;
    default:
      std::memcpy(dest, data, static_cast<size_t>(field->Size()));
      break;
  }
}

void TData::PutFieldData(TFieldDesc* field, uint8_t* data, bool exact, const void* source) {
  const int length = field->Length();
  switch (field->DataType()) {
    case dtString:
      CopyText(reinterpret_cast<char*>(data), static_cast<const char*>(source), length, false);
      break;
    case dtWideString:
      CopyText(reinterpret_cast<char16_t*>(data), static_cast<const char16_t*>(source), length,
               false);
      break;
    case dtExtString:
      FStringHeap.DisposeBuf(LoadPtr<uint8_t>(data));
      StorePtr(data, FStringHeap.AllocStr(static_cast<const char*>(source)));
      break;
    case dtExtWideString:
      FStringHeap.DisposeBuf(LoadPtr<uint8_t>(data));
      StorePtr(data, FStringHeap.AllocWideStr(static_cast<const char16_t*>(source)));
      break;
    case dtBytes:
      std::memcpy(data, source, static_cast<size_t>(length));
      if (field->Size() > length) data[length] = 0;
      break;
    case dtExtVarBytes: {
      FStringHeap.DisposeBuf(LoadPtr<uint8_t>(data));
      uint16_t size;
      std::memcpy(&size, source, sizeof size);
      uint8_t* buf = FStringHeap.NewBuf(2 + size);
      std::memcpy(buf, source, 2u + size);
      StorePtr(data, buf);
      break;
    }
    case dtFloat: {
      double value;
      std::memcpy(&value, source, sizeof value);
      if (!exact && field->Scale() > 0) value = RoundToScale(value, field->Scale());
      std::memcpy(data, &value, sizeof value);
      break;
    }
    case dtDate:
      DateTimeFromExternal(data, field, ExternalDate, source);
      break;
    case dtTime:
      DateTimeFromExternal(data, field, ExternalTime, source);
      break;
    case dtDateTime:
      DateTimeFromExternal(data, field, ExternalMSecs, source);
      break;
    case dtVariant:
      LoadPtr<TVariantObject>(data)->SetValue(*static_cast<const Variant*>(source));
      break;
    case dtUInt32:
      std::memcpy(data, source, 4);  // the low half of the 64-bit external value
      break;
    case dtFMTBCD:
      std::memcpy(data, source, 34);
      break;
    default:
      std::memcpy(data, source, static_cast<size_t>(field->Size()));
      break;
  }
}

void TData::PutField(int fieldNo, uint8_t* recBuf, bool exact, const void* source) {
  TFieldDesc* field = FieldOf(fieldNo);
  const TDataTypeCode code = field->DataType();
  // A wide-string field buffer of the dataset holds a pointer to the text.
  if ((code == dtWideString || code == dtExtWideString) && source) {
    const char16_t* text;
    std::memcpy(&text, source, sizeof text);
    if (text) source = text;
  }
  if (!source || (FSetEmptyStrToNull && IsEmptyText(code, source))) {
    SetNull(fieldNo, recBuf, true);
    return;
  }
  RTL_ASSERT(!field->HasParent(), u"Sub-field " + field->Name() + u" has no object type");
  PutFieldData(field, FieldData(field, recBuf), exact, source);
  SetNull(fieldNo, recBuf, false);
}

void TData::DateTimeToExternal(const uint8_t* data, TFieldDesc*, int kind, void* dest) {
  TDateTime value;
  std::memcpy(&value, data, sizeof value);
  if (kind == ExternalDateTime) {
    std::memcpy(dest, &value, sizeof value);
    return;
  }
  const TTimeStamp stamp = memdata::TimeStampOfDateTime(value);
  if (kind == ExternalMSecs) {
    const double msecs = TimeStampToMSecs(stamp);
    std::memcpy(dest, &msecs, sizeof msecs);
  } else {
    const int32_t part = kind == ExternalTime ? stamp.Time : stamp.Date;
    std::memcpy(dest, &part, sizeof part);
  }
}

void TData::DateTimeFromExternal(uint8_t* data, TFieldDesc*, int kind, const void* source) {
  TDateTime value;
  if (kind == ExternalDateTime) {
    std::memcpy(&value, source, sizeof value);
  } else {
    TTimeStamp stamp;
    if (kind == ExternalMSecs) {
      double msecs;
      std::memcpy(&msecs, source, sizeof msecs);
      stamp = MSecsToTimeStamp(msecs);
    } else {
      int32_t part;
      std::memcpy(&part, source, sizeof part);
      stamp = kind == ExternalTime ? TTimeStamp{part, DateDelta} : TTimeStamp{0, part};
    }
    value = TimeStampToDateTime(stamp);
  }
  std::memcpy(data, &value, sizeof value);
}
