#include "Common/DBAccess_Service.h"

#include "Common/LxAccess_RecordSet.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/StrUtils.h"

namespace {

// The names of a field list, as the data-set framework separates them.
std::vector<String> SplitFieldNames(const String& list) {
  std::vector<String> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(u';', start);
    if (end == String::npos) end = list.size();
    String name = Trim(list.substr(start, end - start));
    if (!name.empty()) names.push_back(name);
    start = end + 1;
  }
  return names;
}

}  // namespace

int FindUpdatingTable(TLxTablesInfo& tables, const String& updatingTable, const TSQLInfo& sqlInfo,
                      bool& tableAdded) {
  tableAdded = false;
  String name = sqlInfo.NormalizeName(updatingTable, false);
  if (tables.GetCount() > 0) {
    if (name.empty()) return 0;
    int index = tables.IndexByName(name);
    if (index < 0) index = tables.IndexByAlias(name);
    if (index < 0) DatabaseErrorFmt(u"Wrong UpdatingTable value - table %s is unknown", {name});
    return index;
  }
  if (name.empty()) return -1;
  tables.Add()->SetTableName(name);
  tableAdded = true;
  return 0;
}

TFieldDescArray KeyFieldsByName(const String& keyFields, const TFieldDescs& fieldDescs,
                                const String& dataSetName) {
  TFieldDescArray result;
  for (const String& name : SplitFieldNames(keyFields)) {
    TFieldDesc* desc = fieldDescs.FindField(name);
    if (desc == nullptr) DatabaseErrorFmt(u"%s: Key field '%s' not found", {dataSetName, name});
    result.push_back(desc);
  }
  return result;
}

TFieldDescArray UniqueIndexKeyFields(const String& columns, const TFieldDescs& fieldDescs) {
  TFieldDescArray result;
  for (const String& name : SplitFieldNames(columns)) {
    TFieldDesc* desc = fieldDescs.FindField(name);
    if (desc == nullptr)
      result.clear();
    else
      result.push_back(desc);
  }
  return result;
}

TLxTableInfo* BaseTableOf(TFieldDesc* fieldDesc) {
  auto* desc = dynamic_cast<TLxFieldDesc*>(fieldDesc);
  return desc != nullptr ? desc->TableInfo() : nullptr;
}

bool IsDataFieldDesc(TFieldDesc* fieldDesc, TFieldDesc* identityField,
                     const TLxTableInfo* updatingTable, bool allTables, bool identityIsDataField) {
  if (fieldDesc->HasParent() || fieldDesc->CalcKind() != 0) return false;
  if (fieldDesc == identityField && !identityIsDataField) return false;
  if (!allTables && BaseTableOf(fieldDesc) != updatingTable) return false;
  return !fieldDesc->ReadOnly();
}

String FieldOriginText(TFieldDesc* fieldDesc, const TSQLInfo& sqlInfo, bool preferAlias) {
  const String& actual =
      fieldDesc->SourceName().empty() ? fieldDesc->Name() : fieldDesc->SourceName();
  TLxTableInfo* table = BaseTableOf(fieldDesc);
  if (table == nullptr) return actual;
  String name = preferAlias && !table->TableAlias().empty() ? table->TableAlias()
                                                             : table->TableName();
  return sqlInfo.NormalizeName(name, false, true) + u"." + actual;
}
