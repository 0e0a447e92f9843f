#include "MySql/MyClasses_SQLInfo.h"

bool TMySQLInfo::IsQuoted(const String& text) const {
  if (text.size() <= 1) return false;
  char16_t first = text.front(), last = text.back();
  return first == last && (first == u'`' || first == u'"' || first == u'\'');
}

String TMySQLInfo::Quote(const String& name, char16_t, char16_t) const {
  if (IsQuoted(name)) return name;
  String quoted = u"`";
  for (char16_t c : name) {
    if (c == u'`') quoted += u'`';
    quoted += c;
  }
  return quoted + u"`";
}

String TMySQLInfo::Unquote(const String& name) const {
  if (!IsQuoted(name)) return name;
  char16_t quote = name.front();
  String inner;
  for (size_t i = 1; i + 1 < name.size(); ++i) {
    inner += name[i];
    if (name[i] == quote && i + 2 < name.size() && name[i + 1] == quote) ++i;  // undouble
  }
  return inner;
}

void TMySQLInfo::SplitDatabaseAndName(const String& text, String& database, String& name) const {
  TExtTableInfo info;
  SplitObjectName(text, info);
  database = info.Schema;
  name = info.Name;
}
