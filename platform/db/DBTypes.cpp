#include "platform/db/DBTypes.h"

#include "platform/rtl/Component.h"

namespace {

const char16_t* const FieldTypeNames[FieldTypeCount] = {
    u"Unknown",   u"String",     u"SmallInt",     u"Integer",      u"Word",
    u"Boolean",   u"Float",      u"Currency",     u"BCD",          u"Date",
    u"Time",      u"DateTime",   u"Bytes",        u"VarBytes",     u"AutoInc",
    u"Blob",      u"Memo",       u"Graphic",      u"FmtMemo",      u"ParadoxOle",
    u"dBaseOle",  u"TypedBinary", u"Cursor",      u"FixedChar",    u"WideString",
    u"Largeint",  u"ADT",        u"Array",        u"Reference",    u"DataSet",
    u"OraBlob",   u"OraClob",    u"Variant",      u"Interface",    u"IDispatch",
    u"Guid",      u"TimeStamp",  u"FMTBcd",       u"FixedWideChar", u"WideMemo",
    u"OraTimeStamp", u"OraInterval", u"LongWord", u"Shortint",     u"Byte",
    u"Extended",  u"Connection", u"Params",       u"Stream",       u"TimeStampOffset",
    u"Object",    u"Single"};

}  // namespace

String FieldTypeName(TFieldType type) {
  if (type < 0 || type >= FieldTypeCount) return u"Unknown";
  return FieldTypeNames[type];
}

bool IsBlobType(TFieldType type) {
  switch (type) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
    case ftWideMemo:
      return true;
    default:
      return false;
  }
}

bool IsObjectType(TFieldType type) {
  return type == ftADT || type == ftArray || type == ftReference || type == ftDataSet;
}

void DatabaseError(const String& message, const TComponent* component) {
  if (component && !component->Name().empty())
    throw EDatabaseError(component->Name() + u": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(const String& format, std::initializer_list<TVarRec> args,
                      const TComponent* component) {
  DatabaseError(Format(format, args), component);
}
