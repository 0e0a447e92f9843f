#include "MySql/MyCall.h"

#include <cctype>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr TMySqlFieldType kLastNumericType = 9;  // INT24

size_t DigitRun(const AnsiString& text, size_t from) {
  size_t end = from;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  return end;
}

}  // namespace

bool IsNumericField(const TMySqlFieldInfo& info) {
  if (info.Type == kFieldTypeYear) return true;
  if (info.Type > kLastNumericType) return false;
  if (info.Type == kFieldTypeTimestamp) return info.Length == 14 || info.Length == 8;
  return true;
}

bool InitFieldInfo(const AnsiString& name, const AnsiString& orgName, const AnsiString& table,
                   TMySqlFieldInfo& info, TMySqlFieldType type, uint32_t charsetNr, uint32_t flags,
                   uint32_t maxLength, uint32_t decimals, uint32_t length,
                   const AnsiString& defaultValue, const AnsiString& database,
                   const AnsiString& orgTable) {
  info.Name = name;
  info.OrgName = orgName;
  info.Table = table;
  info.OrgTable = orgTable;
  info.Database = database;
  info.DefaultValue = defaultValue;
  info.Length = length;
  info.Decimals = decimals;
  info.MaxLength = maxLength;
  info.Flags = flags;
  info.CharsetNr = charsetNr;
  info.Type = type;
  bool numeric = IsNumericField(info);
  if (numeric) info.Flags |= kNumFlag;
  return numeric;
}

void ParseVersion(const AnsiString& version, int32_t& major, int32_t& minor, int32_t& release) {
  size_t dot = version.find('.');
  if (dot == AnsiString::npos) dot = version.size();
  major = StrToInt(UTF8ToString(version.substr(0, dot)));
  size_t minorStart = dot < version.size() ? dot + 1 : dot;
  size_t minorEnd = DigitRun(version, minorStart);
  minor = StrToInt(UTF8ToString(version.substr(minorStart, minorEnd - minorStart)));
  size_t releaseStart = minorEnd < version.size() ? minorEnd + 1 : minorEnd;
  size_t releaseEnd = DigitRun(version, releaseStart);
  release = StrToInt(UTF8ToString(version.substr(releaseStart, releaseEnd - releaseStart)));
}

void DateTimeToMySqlTime(TMYSQL_TIME& time, TDateTime value) {
  uint16_t y, m, d, h, n, s, ms;
  DecodeDateTime(value, y, m, d, h, n, s, ms);
  time = {};
  time.year = y;
  time.month = m;
  time.day = d;
  time.hour = h;
  time.minute = n;
  time.second = s;
  time.second_part = static_cast<uint32_t>(ms) * 1000;
  time.neg = 0;
  time.time_type = 1;
}
