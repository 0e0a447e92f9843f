// A stand-in for a dataset service in generator tests: one record of a dataset over one table,
// with the null and changed state of each value set by the test.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "Common/DBAccess_SQLGenerator.h"
#include "Common/DBAccess_SQLText.h"

// One record of a dataset over one table, as the generator sees it: descriptors with their base
// table, and per descriptor whether its old and new values are null and whether it changed.
class TRecordHost : public IDASQLGeneratorHost {
 public:
  struct Value {
    bool OldNull = false;
    bool NewNull = false;
    bool Changed = false;
  };

  TRecordHost(const char16_t* table, const char16_t* alias,
              std::unique_ptr<TSQLInfo> info = std::make_unique<TSQLInfo>(&NewParser<TSQLParser>),
              TLxFieldDesc* (*newDesc)() = [] { return new TLxFieldDesc(); })
      : Info(std::move(info)), NewDesc(newDesc) {
    Table = Tables.Add();
    Table->SetTableName(table);
    Table->SetTableAlias(alias);
  }
  ~TRecordHost() override {
    for (TFieldDesc* desc : Descs) delete desc;
  }

  TLxFieldDesc* AddField(const char16_t* name, bool key = false, TDataTypeCode type = 1) {
    TLxFieldDesc* desc = NewDesc();
    desc->SetName(name);
    desc->SetSourceName(name);
    desc->SetDataType(type);
    desc->SetFieldNo(static_cast<uint16_t>(Descs.size() + 1));
    desc->SetTableInfo(Table);
    Descs.push_back(desc);
    if (key) Fields.KeyFieldDescs.push_back(desc);
    Fields.DataFieldDescs.push_back(desc);
    return desc;
  }

  TSQLInfo* SQLInfo() override { return Info.get(); }
  bool QuoteNames() override { return QuoteNamesOption; }
  bool FullRefresh() override { return FullRefreshOption; }
  bool ReadOnly() override { return ReadOnlyOption; }
  bool Designing() override { return false; }
  bool CachedUpdates() override { return false; }
  bool ApplyingUpdates() override { return false; }
  bool Active() override { return true; }
  TDAParams* OwnParams() override { return &Own; }
  TField* FieldOf(TFieldDesc*) override { return nullptr; }
  int FieldDescIndex(TFieldDesc* desc) override {
    for (size_t i = 0; i < Descs.size(); ++i)
      if (Descs[i] == desc) return static_cast<int>(i);
    return -1;
  }
  bool ValueIsNull(TFieldDesc* desc, bool useOld) override {
    return useOld ? Values[desc].OldNull : Values[desc].NewNull;
  }
  bool ValuesDiffer(TFieldDesc* desc) override { return Values[desc].Changed; }
  String FinalSQL() override { return SQL; }
  String BaseSQL() override { return SQL; }
  String SQLAddWhere(const String& sql, const String& condition) override {
    return AddWhere(sql, condition, Parser);
  }
  String SQLGetFrom(const String& sql) override { return GetFromClause(sql, Parser); }
  String SQLGetWhere(const String& sql) override { return GetWhereClause(sql, Parser); }
  TLxTableInfo* UpdatingTableInfo() override { return NoTable ? nullptr : Table; }
  bool UpdatingTableAdded() override { return false; }
  int QueryTableCount() override { return Tables.GetCount(); }
  TFieldDesc* IdentityField() override { return Identity; }
  TKeyAndDataFields GetKeyAndDataFields(bool) override { return Fields; }

  std::unique_ptr<TSQLInfo> Info;
  TLxFieldDesc* (*NewDesc)();
  TParserClass Parser = nullptr;
  TLxTablesInfo Tables;
  TLxTableInfo* Table;
  std::vector<TFieldDesc*> Descs;
  TKeyAndDataFields Fields;
  std::map<TFieldDesc*, Value> Values;
  TFieldDesc* Identity = nullptr;
  TDAParams Own;
  String SQL;
  bool QuoteNamesOption = false;
  bool FullRefreshOption = false;
  bool ReadOnlyOption = false;
  bool NoTable = false;
};

