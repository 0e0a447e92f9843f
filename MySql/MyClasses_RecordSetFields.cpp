// Field descriptions of the MySQL record set.
#include "MySql/MyClasses_RecordSetFields.h"

#include <algorithm>

#include "MySql/MyClasses_TypeMap.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr uint32_t BinaryCharset = 63;

bool IsBlobColumnType(uint32_t type) { return (type >= 249 && type <= 252) || type == 255; }

// The collations of utf8mb4, whose characters take up to four bytes. Taking a collation for one
// of them that is not only gives a wider field than needed; missing one would cut text.
bool IsFourByteUtf8(uint32_t charsetNr) {
  return charsetNr == 45 || charsetNr == 46 || (charsetNr >= 224 && charsetNr <= 247) ||
         (charsetNr >= 255 && charsetNr <= 323) || charsetNr == 1069 || charsetNr == 1070 ||
         (charsetNr >= 1248 && charsetNr <= 1271) || (charsetNr >= 2048 && charsetNr <= 2559);
}

}  // namespace

TMyFieldMapping MapFieldType(const TMYSQL_FIELD& column, const TMyFieldOptions& options) {
  TMyFieldMapping m;
  const bool isBinary = (column.Flags & MyBinaryFlag) != 0;
  if (options.FieldsAsString && !IsBlobColumnType(column.Type)) {
    m.DataType = dtString;
  } else {
    MySQLTypeToDataType(column.Type, column.Length, column.Decimals, m.Fixed, m.DataType,
                        column.CharsetNr, options.EnableFMTBCD, options.EnableBCD,
                        options.UseUnicode, options.BinaryAsString, options.OptimizedBigInt,
                        options.EnableBoolean, (column.Flags & MyUnsignedFlag) != 0, isBinary);
  }

  // Bytes of a binary column shown as a string are no UTF-8: they stay single-byte, so that a
  // VARBINARY value cannot fail the fetch or change in decoding.
  if (m.DataType == dtWideString && column.CharsetNr == BinaryCharset) m.DataType = dtString;

  m.Size = column.Length;
  const TDataTypeCode dt = m.DataType;
  // Lengths of character columns are in bytes; a UTF-8 character takes up to three of them and
  // one UTF-16 unit. A four-byte character of utf8mb4 takes two units: such a column needs one
  // unit for every two bytes, or text of those characters would be cut.
  if (options.UseUnicode && !options.IsShow && column.CharsetNr != BinaryCharset &&
      (dt == dtMemo || dt == dtWideString || dt == dtExtWideString || dt == dtWideMemo))
    m.Size = column.Length / (IsFourByteUtf8(column.CharsetNr) ? 2 : 3);

  // A long computed text (a group concatenation, say) has no table and comes as a memo.
  if (column.Type == 253 && column.Length == 65535 && column.Table.empty())
    m.DataType = isBinary ? dtBlob : dtMemo;

  if (options.IsDescribe && SameText(S(column.Name), u"type")) m.Size = 65534;

  if (!options.LongStrings && m.Size > 256) {
    if (m.DataType == dtString) m.DataType = dtMemo;
    else if (m.DataType == dtWideString) m.DataType = dtWideMemo;
  }
  if ((!options.FlatBuffers && m.Size >= 32) || m.Size == 0) {
    switch (m.DataType) {
      case dtString: m.DataType = dtExtString; break;
      case dtBytes:
      case dtVarBytes: m.DataType = dtExtVarBytes; break;
      case dtWideString: m.DataType = dtExtWideString; break;
      default: break;
    }
  }
  return m;
}

void FillMySQLFieldDesc(TMySQLFieldDesc& field, const TMYSQL_FIELD& column,
                        const TMyFieldMapping& mapping) {
  const TDataTypeCode dt = mapping.DataType;
  const uint32_t size = mapping.Size;
  field.SetName(S(column.Name));
  field.SetSourceName(S(column.OrgName));
  field.SetFixed(mapping.Fixed);
  if (dt != dtBlob && dt != dtMemo && dt != dtWideMemo)
    field.SetLength(static_cast<uint16_t>(std::min<uint32_t>(size, 65535)));
  field.SetMySQLType(column.Type);
  field.SetIsUnsigned((column.Flags & MyUnsignedFlag) != 0);
  field.SetSubDataType(0);
  field.SetDataType(dt);
  field.SetReadOnly(column.Type == 6);
  const bool autoIncrement = (column.Flags & MyAutoIncrementFlag) != 0;
  field.SetIsAutoIncrement(autoIncrement);
  field.SetRequired(!autoIncrement && column.Type != 7 && (column.Flags & MyNotNullFlag) != 0);
  field.SetIsBinary((column.Flags & MyBinaryFlag) != 0);
  field.SetIsKey((column.Flags &
                  (MyPriKeyFlag | MyUniqueKeyFlag | MyMultipleKeyFlag | MyPartKeyFlag)) != 0);
  field.SetIsPrimaryKey((column.Flags & MyPriKeyFlag) != 0);
  field.SetIsAutoUpdateTimestamp((column.Flags & MyTimestampFlag) != 0);

  const int32_t l = static_cast<int32_t>(field.Length());
  const uint16_t scale = static_cast<uint16_t>(column.Decimals);
  switch (dt) {
    case dtString:
    case dtBytes:
      field.SetSize(l + 1);
      break;
    case dtInt8:
    case dtSmallint:
    case dtWord:
    case dtBoolean:
      field.SetSize(2);
      break;
    case dtInteger:
    case dtBlob:
    case dtMemo:
    case dtUInt32:
    case dtWideMemo:
      field.SetSize(4);
      break;
    case dtFloat:
    case dtBCD:
      field.SetSize(8);
      field.SetScale(scale);
      break;
    case dtDate:
    case dtTime:
    case dtDateTime:
    case dtLargeint:
      field.SetSize(8);
      break;
    case dtExtString:
    case dtExtWideString:
      if (l == 0) field.SetLength(65530);
      field.SetSize(4);
      break;
    case dtVarBytes:
      field.SetSize(l + 2);
      break;
    case dtExtVarBytes:
      field.SetSize(4);
      break;
    case dtWideString:
      field.SetSize(2 * l + 2);
      break;
    case dtFMTBCD:
      field.SetSize(std::max(l + 1, 34));
      field.SetScale(scale);
      break;
    default:
      RTL_ASSERT(false, u"Invalid internal field type " + IntToStr(dt) + u" for field " +
                            field.Name());
  }
}
