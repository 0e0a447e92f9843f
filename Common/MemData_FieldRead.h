// The read of a field value that callers of the record store do for every field of every record
// they show: the store's own scalar, date and text kinds without a virtual call. Part of unit
// MemData; MemData.h includes it.
#pragma once

#include <cstring>

#include "Common/MemData.h"
#include "Common/MemData_DateTimeRead.h"

namespace memdata {

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

inline void TData::GetField(int fieldNo, uint8_t* recBuf, void* dest, bool& isBlank) {
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
    case dtExtWideString: case dtExtString: case dtWideString: case dtString:
      return ReadText(fieldNo, field, recBuf, dest, isBlank);
    default:
      break;
  }
  return GetFieldInGeneral(fieldNo, field, recBuf, dest, isBlank);
}
