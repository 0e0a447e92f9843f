// Date and time-stamp helpers and the Variant equality of the data-access library.
#include "Common/MemUtils.h"
#include "platform/rtl/Variant.h"

namespace {

bool IsWideText(uint16_t type) { return type == varOleStr || type == varUString; }
bool IsText(uint16_t type) { return IsWideText(type) || type == varString; }
bool IsByteArray(uint16_t type) { return type == (varArray | varByte); }
bool IsEmptyText(const Variant& v) { return IsText(v.VarType()) && v.AsString().empty(); }

}  // namespace

bool IsByteArray(const Variant& value) { return IsByteArray(value.VarType()); }

bool TryEncodeDateTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                       uint16_t second, uint16_t millisecond, TDateTime& value) {
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) ||
      !TryEncodeTime(hour, minute, second, millisecond, time))
    return false;
  value = date >= 0 ? date + time : date - time;
  return true;
}

void ValidateTimeStamp(const TTimeStamp& timeStamp) {
  if (timeStamp.Time < 0 || timeStamp.Date <= 0)
    throw EConvertError(
        Format(u"'%d.%d' is not a valid timestamp", {timeStamp.Date, timeStamp.Time}));
}

bool VarEqual(const Variant& a, const Variant& b) {
  const uint16_t typeA = a.VarType(), typeB = b.VarType();
  if ((IsWideText(typeA) && IsText(typeB)) || (IsWideText(typeB) && IsText(typeA)))
    return a.AsString() == b.AsString();
  if (typeA == varNull || typeB == varNull) return typeA == typeB;
  const bool emptyA = IsEmptyText(a), emptyB = IsEmptyText(b);
  if (emptyA || emptyB) return emptyA && emptyB;
  if (!IsByteArray(typeA) && !IsByteArray(typeB)) return a == b;
  // Only a byte array holds bytes to compare; any other value counts as a missing array.
  if (!IsByteArray(typeA) || !IsByteArray(typeB)) return false;
  return a.AsBytes() == b.AsBytes();
}

String VarToString(const Variant& value) { return VarToStr(value); }
