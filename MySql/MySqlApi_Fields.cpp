// The call table's column operations over a client library's rows (an array of column pointers,
// each a zero-terminated byte string or nil) and field structures.
#include <cstring>
#include <initializer_list>

#include "MySql/MySqlApi.h"
#include "platform/rtl/Exceptions.h"

namespace {

enum TSlotKind { skPointer, skLong, skInt };
enum TSlotRole { srNone, srName, srOrgName, srTable, srOrgTable, srFlags, srType, srLength,
                 srCharsetNr, srDecimals };

struct TSlot {
  TSlotKind Kind;
  TSlotRole Role;
};

// The members of each client's field structure, in order. Pointers are texts; "long" is the C
// `unsigned long`; enumerations are 32-bit like the unsigned ints.
const std::initializer_list<TSlot>& FieldSlots(uint8_t structVer) {
  static const std::initializer_list<TSlot> v1 = {
      {skPointer, srName}, {skPointer, srTable}, {skPointer, srNone},  // def
      {skInt, srType},     {skInt, srLength},    {skInt, srNone},      // max_length
      {skInt, srFlags},    {skInt, srDecimals}};
  static const std::initializer_list<TSlot> v2 = {
      {skPointer, srName}, {skPointer, srTable}, {skPointer, srOrgTable},
      {skPointer, srNone}, {skPointer, srNone},  // db, def
      {skLong, srLength},  {skLong, srNone},     // max_length
      {skInt, srFlags},    {skInt, srDecimals},  {skInt, srType}};
  static const std::initializer_list<TSlot> v3 = {
      {skPointer, srName}, {skPointer, srOrgName}, {skPointer, srTable}, {skPointer, srOrgTable},
      {skPointer, srNone}, {skPointer, srNone},  // db, def
      {skLong, srLength},  {skLong, srNone},     // max_length
      {skInt, srNone},     {skInt, srNone},      {skInt, srNone},        {skInt, srNone},
      {skInt, srNone},     {skInt, srNone},      // the six name lengths
      {skInt, srFlags},    {skInt, srDecimals},  {skInt, srCharsetNr},   {skInt, srType}};
  static const std::initializer_list<TSlot> v4 = {
      {skPointer, srName}, {skPointer, srOrgName}, {skPointer, srTable}, {skPointer, srOrgTable},
      {skPointer, srNone}, {skPointer, srNone},    {skPointer, srNone},  // db, catalog, def
      {skLong, srLength},  {skLong, srNone},       // max_length
      {skInt, srNone},     {skInt, srNone},        {skInt, srNone},      {skInt, srNone},
      {skInt, srNone},     {skInt, srNone},        {skInt, srNone},      // the seven name lengths
      {skInt, srFlags},    {skInt, srDecimals},    {skInt, srCharsetNr}, {skInt, srType}};
  switch (structVer) {
    case 1: return v1;
    case 2: return v2;
    case 3: return v3;
    case 4: return v4;
    default: throw Exception(u"Invalid client version");
  }
}

const char* ColumnText(PMYSQL_ROW row, int column) {
  return static_cast<char* const*>(row)[column];
}

AnsiString TextAt(const uint8_t* base, int offset) {
  if (offset < 0) return AnsiString();
  const char* text;
  std::memcpy(&text, base + offset, sizeof text);
  return text ? AnsiString(text) : AnsiString();
}

uint64_t UnsignedAt(const uint8_t* base, int offset, int width) {
  if (offset < 0) return 0;
  if (width == 8) {
    uint64_t v;
    std::memcpy(&v, base + offset, 8);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, base + offset, 4);
  return v;
}

}  // namespace

uint32_t ClampFieldLength(uint64_t length) {
  return length > 65535 ? 65535 : static_cast<uint32_t>(length);
}

TMySqlFieldLayout MySqlFieldLayout(uint8_t structVer, size_t pointerSize, size_t longSize) {
  TMySqlFieldLayout layout{-1, -1, -1, -1, -1, -1, -1, -1, -1, 4};
  size_t offset = 0;
  for (const TSlot& slot : FieldSlots(structVer)) {
    size_t size = slot.Kind == skPointer ? pointerSize : slot.Kind == skLong ? longSize : 4;
    offset = (offset + size - 1) / size * size;  // natural alignment
    int at = static_cast<int>(offset);
    switch (slot.Role) {
      case srName: layout.Name = at; break;
      case srOrgName: layout.OrgName = at; break;
      case srTable: layout.Table = at; break;
      case srOrgTable: layout.OrgTable = at; break;
      case srFlags: layout.Flags = at; break;
      case srType: layout.Type = at; break;
      case srLength:
        layout.Length = at;
        layout.LengthWidth = static_cast<int>(size);
        break;
      case srCharsetNr: layout.CharsetNr = at; break;
      case srDecimals: layout.Decimals = at; break;
      case srNone: break;
    }
    offset += size;
  }
  return layout;
}

void TMySQLAPI::GetFieldInfo(PMYSQL_RES result, int column, TMYSQL_FIELD& field, bool) {
  PMYSQL_FIELD raw = mysql_fetch_field_direct(result, column);
  RTL_ASSERT(raw != nullptr, u"No field structure");
  TMySqlFieldLayout layout =
      MySqlFieldLayout(FClientStructVer, sizeof(void*), sizeof(unsigned long));
  const auto* base = static_cast<const uint8_t*>(raw);
  field.Name = TextAt(base, layout.Name);
  field.OrgName = TextAt(base, layout.OrgName);
  if (field.OrgName.empty()) field.OrgName = field.Name;
  field.Table = TextAt(base, layout.Table);
  field.OrgTable = TextAt(base, layout.OrgTable);
  field.Flags = static_cast<uint32_t>(UnsignedAt(base, layout.Flags, 4));
  field.Type = static_cast<uint32_t>(UnsignedAt(base, layout.Type, 4));
  field.Length = ClampFieldLength(UnsignedAt(base, layout.Length, layout.LengthWidth));
  field.CharsetNr = static_cast<uint32_t>(UnsignedAt(base, layout.CharsetNr, 4));
  field.Decimals = static_cast<uint32_t>(UnsignedAt(base, layout.Decimals, 4));
}

void TMySQLAPI::FetchLengths(PMYSQL_RES result, TLenArr& lengths) {
  int count = mysql_num_fields(result);
  const unsigned long* from = mysql_fetch_lengths(result);
  lengths.assign(static_cast<size_t>(count), 0);
  for (int i = 0; i < count && from; ++i) lengths[static_cast<size_t>(i)] = static_cast<uint32_t>(from[i]);
}

bool TMySQLAPI::FieldIsNull(PMYSQL_ROW row, int column) { return ColumnText(row, column) == nullptr; }

void* TMySQLAPI::GetFieldPtr(PMYSQL_RES, PMYSQL_ROW row, int column) {
  return const_cast<char*>(ColumnText(row, column));
}

void TMySQLAPI::CopyFieldAt(PMYSQL_ROW row, int column, void* dest, int destOffset, int count) {
  CopyField(row, column, static_cast<uint8_t*>(dest) + destOffset, count);
}

void TMySQLAPI::CopyField(PMYSQL_ROW row, int column, void* dest, int count) {
  const char* text = ColumnText(row, column);
  if (text && count > 0) std::memmove(dest, text, static_cast<size_t>(count));
}

void TMySQLAPI::CopyFieldTerminatedAt(PMYSQL_ROW row, int column, void* dest, int destOffset,
                                      int count) {
  CopyFieldTerminated(row, column, static_cast<uint8_t*>(dest) + destOffset, count);
}

void TMySQLAPI::CopyFieldTerminated(PMYSQL_ROW row, int column, void* dest, int count) {
  const char* text = ColumnText(row, column);
  size_t n = text ? strnlen(text, count > 0 ? static_cast<size_t>(count) : 0) : 0;
  if (n > 0) std::memmove(dest, text, n);
  static_cast<char*>(dest)[n] = '\0';
}

void* TMySQLAPI::GetFieldBuffer(PMYSQL_ROW row, int column, int& offset) {
  offset = 0;
  return const_cast<char*>(ColumnText(row, column));
}

void TMySQLAPI::GetFieldString(PMYSQL_ROW row, int column, AnsiString& value) {
  const char* text = ColumnText(row, column);
  value = text ? AnsiString(text) : AnsiString();
}
