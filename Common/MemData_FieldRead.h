// The read of a field value that callers of the record store do for every field of every record
// they show: the store's own scalar, date and text kinds without a virtual call. Part of unit
// MemData; MemData.h includes it.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Common/MemData.h"
#include "Common/MemData_DateTimeRead.h"

namespace memdata {

// The units of a zero-terminated text before its terminator, at most limit. The text is read in
// aligned 16-byte blocks, a branch per block instead of per unit; an aligned block never crosses
// a page, so the bytes it holds past the terminator are read harmlessly (and unchecked by the
// address sanitizer, which would take them for an overrun).
template <typename Unit>
[[gnu::no_sanitize_address]] inline int TextUnits(const Unit* text, int limit) {
  if (!text || limit <= 0) return 0;
#if defined(__SSE2__)
  static_assert(sizeof(Unit) == 1 || sizeof(Unit) == 2);
  constexpr int BlockUnits = 16 / static_cast<int>(sizeof(Unit));
  const auto address = reinterpret_cast<uintptr_t>(text);
  const auto* block = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
  const auto skipped = static_cast<int>(address & 15);
  const __m128i zero = _mm_setzero_si128();
  auto zeros = [&](const __m128i* at) {
    const __m128i bytes = _mm_load_si128(at);
    const __m128i equal =
        sizeof(Unit) == 1 ? _mm_cmpeq_epi8(bytes, zero) : _mm_cmpeq_epi16(bytes, zero);
    return static_cast<unsigned>(_mm_movemask_epi8(equal));
  };
  // A unit that starts at an odd address straddles two lanes: read it unit by unit.
  if (sizeof(Unit) == 2 && (address & 1) != 0) {
    int n = 0;
    while (n < limit && text[n] != 0) ++n;
    return n;
  }
  unsigned mask = zeros(block) >> skipped;
  int n = 0;
  if (mask == 0) {
    n = (16 - skipped) / static_cast<int>(sizeof(Unit));
    for (++block; n < limit; ++block, n += BlockUnits) {
      mask = zeros(block);
      if (mask != 0) break;
    }
  }
  if (mask != 0) n += __builtin_ctz(mask) / static_cast<int>(sizeof(Unit));
  return n < limit ? n : limit;
#else
  int n = 0;
  while (n < limit && text[n] != 0) ++n;
  return n;
#endif
}

// Copies a text held by reference (nil reads as empty) up to its terminator or limit units and
// terminates the copy.
template <typename Unit>
inline void CopyReferencedText(void* dest, const uint8_t* slot, int limit) {
  const Unit* text;
  std::memcpy(&text, slot, sizeof text);
  const int n = TextUnits(text, limit);
  auto* out = static_cast<Unit*>(dest);
  if (n > 0) std::memcpy(out, text, static_cast<size_t>(n) * sizeof(Unit));
  out[n] = 0;
}

// Copies a value of one of the fixed-size kinds of the common sizes; false for other sizes.
inline bool CopyFixed(void* dest, const uint8_t* data, int32_t size) {
  switch (size) {
    case 1: std::memcpy(dest, data, 1); return true;
    case 2: std::memcpy(dest, data, 2); return true;
    case 4: std::memcpy(dest, data, 4); return true;
    case 8: std::memcpy(dest, data, 8); return true;
    default: return false;
  }
}

}  // namespace memdata

// Always in line: a reader calls it for every field of every record, and a call per field costs
// as much as the read (the dataset's few calling places keep the code small).
[[gnu::always_inline]] inline void TData::GetField(int fieldNo, uint8_t* recBuf, void* dest,
                                                 bool& isBlank) {
  if (fieldNo < 1 || fieldNo > FFields.Count())
    return GetFieldInGeneral(fieldNo, CheckedFieldOf(fieldNo), recBuf, dest, isBlank);
  TFieldDesc* field = FFields[fieldNo - 1];
  // A value of the store's own scalar and date kinds is read here, in the caller's loop; texts
  // take ReadText, and everything else (null values, objects, sub-fields, dates only the general
  // conversion handles) the general path.
  if (recBuf[FDataSize + fieldNo - 1] == 1 || !dest || field->HasParent())
    return GetFieldInGeneral(fieldNo, field, recBuf, dest, isBlank);
  const uint8_t* data = FieldData(field, recBuf);
  switch (field->DataType()) {
    case dtInt8: case dtSmallint: case dtInteger: case dtWord: case dtBoolean:
    case dtLargeint: case dtFloat: case dtCurrency: case dtBCD:
      if (!memdata::CopyFixed(dest, data, field->Size())) break;
      isBlank = false;
      return;
    case dtDateTime: {
      TDateTime value;
      std::memcpy(&value, data, sizeof value);
      double msecs;
      if (!memdata::InlineMSecs(value, msecs)) break;
      std::memcpy(dest, &msecs, sizeof msecs);
      isBlank = false;
      return;
    }
    case dtDate: case dtTime: {
      TDateTime value;
      std::memcpy(&value, data, sizeof value);
      TTimeStamp stamp;
      if (!memdata::InlineTimeStamp(value, stamp)) break;
      const int32_t part = field->DataType() == dtTime ? stamp.Time : stamp.Date;
      std::memcpy(dest, &part, sizeof part);
      isBlank = false;
      return;
    }
    case dtExtWideString: case dtExtString:
      // A text held by reference is handed out as it is, unless line ends are converted.
      if (GetConvertEOL()) return ReadText(fieldNo, field, recBuf, dest, isBlank);
      if (field->DataType() == dtExtWideString)
        memdata::CopyReferencedText<char16_t>(dest, data, field->Length());
      else
        memdata::CopyReferencedText<char>(dest, data, field->Length());
      isBlank = false;
      return;
    case dtWideString: case dtString:
      return ReadText(fieldNo, field, recBuf, dest, isBlank);
    default:
      break;
  }
  return GetFieldInGeneral(fieldNo, field, recBuf, dest, isBlank);
}

// In line for the value of a blob field in the record itself, not shown as its rollback copy: the
// size of its plain content is read with no call. Everything else takes the general path.
inline uint32_t TData::GetBlobSize(int fieldNo, uint8_t* recBuf, bool raw, bool useRollback) {
  if (fieldNo < 1 || fieldNo > FFields.Count() || useRollback ||
      recBuf[FDataSize + fieldNo - 1] == 1)
    return GetBlobSizeInGeneral(fieldNo, recBuf, raw, useRollback);
  const TFieldDesc* field = FFields[fieldNo - 1];
  if (!IsBlobFieldType(field->DataType()) || field->HasParent())
    return GetBlobSizeInGeneral(fieldNo, recBuf, raw, useRollback);
  TBlob* blob;
  std::memcpy(&blob, FieldData(field, recBuf), sizeof blob);
  if (!blob || (blob->IsUnicode() && !raw))
    return GetBlobSizeInGeneral(fieldNo, recBuf, raw, useRollback);
  return blob->GetSize();
}
