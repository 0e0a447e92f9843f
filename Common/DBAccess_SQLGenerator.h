// The SQL generator: turns one record of a dataset into the text of one statement (INSERT,
// UPDATE, DELETE, the SELECT that re-reads it, the statements of a quick refresh) and, while it
// writes, creates the statement's parameters and records which field and which version of its
// value (old or new) feeds each one. The dataset updater asks for a statement whenever the user
// supplied none; the dataset service answers the generator's questions about its dataset.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "Common/CLRClasses.h"
#include "Common/DBAccess_StatementType.h"
#include "Common/DBAccess_Params.h"
#include "Common/LxAccess_RecordSet.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Sets.h"

class TField;

using TFieldDescArray = std::vector<TFieldDesc*>;

// The fields that identify a record and the fields that may be written.
struct TKeyAndDataFields {
  TFieldDescArray KeyFieldDescs;
  TFieldDescArray DataFieldDescs;
};

// A question about the record that a build asked (is the old or new value null, did the value
// change) and its answer. A build is fixed by its inputs and these answers.
struct TRecordQuestion {
  TFieldDesc* FieldDesc = nullptr;
  uint8_t Kind = 0;  // 0: new value null, 1: old value null, 2: value changed
  bool Answer = false;
};

// What the generator asks about the dataset whose record it writes out. The dataset service
// answers for its dataset.
class IDASQLGeneratorHost {
 public:
  virtual ~IDASQLGeneratorHost() = default;

  virtual TSQLInfo* SQLInfo() = 0;
  virtual bool QuoteNames() = 0;
  virtual bool FullRefresh() = 0;
  virtual bool ReadOnly() = 0;
  virtual bool Designing() = 0;
  virtual bool CachedUpdates() = 0;
  virtual bool ApplyingUpdates() = 0;  // the record store is applying cached updates now
  virtual bool Active() = 0;
  // The dataset's own parameters (of its SELECT); may be null.
  virtual TDAParams* OwnParams() = 0;
  // The dataset field of a descriptor, or null.
  virtual TField* FieldOf(TFieldDesc* fieldDesc) = 0;
  // The descriptor's index in the record store's field list.
  virtual int FieldDescIndex(TFieldDesc* fieldDesc) = 0;
  // The record's old (before the edit) or new value is null.
  virtual bool ValueIsNull(TFieldDesc* fieldDesc, bool useOld) = 0;
  // The old and new values of the record differ.
  virtual bool ValuesDiffer(TFieldDesc* fieldDesc) = 0;

  virtual String FinalSQL() = 0;
  virtual String BaseSQL() = 0;  // with macros expanded
  virtual String SQLAddWhere(const String& sql, const String& condition) = 0;
  virtual String SQLGetFrom(const String& sql) = 0;
  virtual String SQLGetWhere(const String& sql) = 0;

  // The table that receives the changes; null when there is none.
  virtual TLxTableInfo* UpdatingTableInfo() = 0;
  // The updating table was named by the user but is not one of the query's tables.
  virtual bool UpdatingTableAdded() = 0;
  virtual int QueryTableCount() = 0;
  virtual TFieldDesc* IdentityField() = 0;
  virtual TKeyAndDataFields GetKeyAndDataFields(bool allTables) = 0;
  // The same lists written into fields, for a caller that asks on every post and reuses their
  // storage.
  virtual void FillKeyAndDataFields(bool allTables, TKeyAndDataFields& fields) {
    fields = GetKeyAndDataFields(allTables);
  }

  // The record's answer to one question a build asks (a closed dataset has no values: each
  // reads as null).
  bool RecordAnswer(TFieldDesc* fieldDesc, uint8_t kind) {
    if (kind == 2) return ValuesDiffer(fieldDesc);
    if (!Active()) return true;
    return ValueIsNull(fieldDesc, kind == 1);
  }
  // Whether the record answers every question as recorded. A host may answer them together;
  // the answers must be those RecordAnswer gives.
  virtual bool AnswersMatch(const std::vector<TRecordQuestion>& questions) {
    for (const TRecordQuestion& question : questions)
      if (RecordAnswer(question.FieldDesc, question.Kind) != question.Answer) return false;
    return true;
  }
};

// Which field, and which version of its value, feeds the parameter of the same index.
class TDAParamInfo : public TCollectionItem {
 public:
  explicit TDAParamInfo(TCollection* collection) : TCollectionItem(collection) {}

  TField* Field() const { return FField; }
  void SetField(TField* value) { FField = value; }
  bool Old() const { return FOld; }
  void SetOld(bool value) { FOld = value; }
  // The statement's number inside a batch, -1 outside one.
  int ParamIndex() const { return FParamIndex; }
  void SetParamIndex(int value) { FParamIndex = value; }

 private:
  TField* FField = nullptr;
  bool FOld = false;
  int FParamIndex = -1;
};

class TDAParamsInfo : public TCollection {
 public:
  explicit TDAParamsInfo(TCollectionItemClass itemClass) : TCollection(std::move(itemClass)) {}
  TDAParamInfo* Items(int index) const {
    return static_cast<TDAParamInfo*>(TCollection::Items(index));
  }
  // Makes this list hold the same items as source.
  void CopyFrom(const TDAParamsInfo& source);
};

// The values a generated text was made from, written down while describing its inputs once and
// compared with them when the inputs are described again: the same description serves both, so
// what is kept and what is checked never differ.
class TStatementInputs {
 public:
  // The next values are written down, replacing what was kept.
  void BeginRecording();
  // The next values are compared with the kept ones.
  void BeginCheck();
  // Inline: a check adds about a hundred values for every post.
  void Add(int64_t value) {
    if (FRecording) {
      FValues.push_back(value);
    } else if (FSame) {
      FSame = FValueAt < FValues.size() && FValues[FValueAt] == value;
      ++FValueAt;
    }
  }
  void Add(const void* pointer) { Add(static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer))); }
  // Several values at once, as the same number of Add calls would take them: one bounds check
  // and one comparison for the lot.
  template <size_t N>
  void Add(const int64_t (&values)[N]) {
    if (FRecording) {
      FValues.insert(FValues.end(), values, values + N);
    } else if (FSame) {
      FSame = FValueAt + N <= FValues.size() &&
              std::equal(values, values + N, FValues.begin() + static_cast<ptrdiff_t>(FValueAt));
      FValueAt += N;
    }
  }
  static int64_t Value(const void* pointer) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer));
  }
  // Inline as well: two names of every field are checked per post. Compared as bytes: the texts
  // are names, equal or not, and a unit-by-unit loop costs more.
  void AddText(const String& text) {
    if (FRecording) {
      FTexts.push_back(text);
    } else if (FSame) {
      FSame = FTextAt < FTexts.size() && SameUnits(FTexts[FTextAt], text);
      ++FTextAt;
    }
  }
  // After a check: every value equalled the kept one and none was missing or extra.
  bool Matches() const;
  bool Empty() const { return FValues.empty(); }
  void Clear();

 private:
  std::vector<int64_t> FValues;
  std::vector<String> FTexts;
  size_t FValueAt = 0;
  size_t FTextAt = 0;
  bool FRecording = true;
  bool FSame = true;
};


// What a generated INSERT, UPDATE or DELETE was made of, to tell whether the next record gives
// the same text.
struct TStatementShape {
  TStatementInputs Inputs;
  std::vector<TRecordQuestion> Questions;
  bool Empty() const { return Inputs.Empty(); }
  void Clear() {
    Inputs.Clear();
    Questions.clear();
  }
};

class TDASQLGenerator : public TObject {
 public:
  explicit TDASQLGenerator(IDASQLGeneratorHost* host);
  ~TDASQLGenerator() override;

  // The entry point of the updater: the statement of the type for the updating table, or the
  // empty text when there is none.
  void BuildUpdatingTableStatement(TStatementType statementType, bool modifiedOnly, String& text,
                                   int batchIndex, TDAParams* params);
  virtual String BuildStatement(TLxTableInfo* tableInfo, const TKeyAndDataFields& fields,
                                int batchIndex, TDAParams* params, bool modifiedOnly,
                                TStatementType statementType);
  // The statement of a table component.
  virtual String BuildTableSelect(const String& tableName, const String& orderFields);
  String BuildSelectValues(const String& expression) { return u"SELECT " + expression; }
  // Column types that never serve as a condition value.
  virtual bool IsBlobDataType(TDataTypeCode dataType);
  virtual bool IsObjectDataType(TDataTypeCode dataType);

  // Writes down what the last statement built for the updating table was made of. False (and
  // the shape cleared) for a statement that is not kept: any kind but INSERT, UPDATE and DELETE,
  // a batched one, one without parameters of its own, or no text at all.
  bool KeepLastShape(TStatementShape& shape);
  // Whether the statement of the kind built for the current record would be the one kept in
  // shape: the same inputs, and the same answers to the questions that build asked the record.
  bool MatchesShape(TStatementShape& shape, TStatementType statementType, bool modifiedOnly);

  // Filled by the last build: one item per parameter created.
  TDAParamsInfo* ParamsInfo() const { return FParamsInfo.get(); }
  static String BatchParamPrefix() { return u"P_"; }

  // "_" and the descriptor's index; the reverse gives -1 for anything else.
  virtual String GetFieldAlias(int index);
  virtual int DecodeFieldAlias(const String& alias);

 protected:
  IDASQLGeneratorHost* Host() const { return FHost; }
  TLxTableInfo* TableInfo() const { return FTableInfo; }
  TDAParams* TargetParams() const { return FParams; }

  virtual void Clear();
  virtual String AssembleSQL();
  // The record's answers that steer a build; each answer is written down for MatchesShape, so
  // every branch that depends on the record's values must ask through these two.
  bool FieldIsNull(TFieldDesc* fieldDesc, bool useOld);
  bool FieldIsModified(TFieldDesc* fieldDesc);
  // Describes everything other than the record's values that an INSERT, UPDATE or DELETE text
  // depends on. A descendant whose texts read more adds it after calling this.
  virtual void DescribeInputs(TStatementInputs& inputs, TLxTableInfo* tableInfo,
                              const TKeyAndDataFields& fields, TStatementType statementType,
                              bool modifiedOnly);
  // What of one descriptor the text depends on.
  virtual void DescribeField(TStatementInputs& inputs, TFieldDesc* fieldDesc);
  // The part every dialect shares, for a descriptor already cast (lxDesc: fieldDesc as a
  // TLxFieldDesc, or null when it is none), so that an override casts each descriptor once.
  void DescribeCommonField(TStatementInputs& inputs, TFieldDesc* fieldDesc, TLxFieldDesc* lxDesc);
  virtual String GetSQLFieldName(TFieldDesc* fieldDesc, bool qualify);
  virtual int MaxParamNameLength() { return INT_MAX; }
  virtual bool PlaceholdersAllowed() { return true; }
  virtual void AddParam(AnsiStringBuilder& buffer, TFieldDesc* fieldDesc, bool old,
                        int batchIndex, TParamType paramType, TStatementType statementType);
  virtual void AddInsertField(TFieldDesc* fieldDesc, int batchIndex);
  virtual void AddUpdateField(TFieldDesc* fieldDesc, int batchIndex);
  virtual void AddRefreshField(TFieldDesc* fieldDesc);
  virtual void AddConditionField(AnsiStringBuilder& buffer, TFieldDesc* fieldDesc,
                                 TStatementType statementType, int batchIndex);
  virtual void BuildInsert(const TKeyAndDataFields& fields, bool modifiedOnly, int batchIndex);
  virtual void BuildUpdate(const TKeyAndDataFields& fields, bool modifiedOnly, int batchIndex);
  virtual void BuildDelete(const TKeyAndDataFields& fields, int batchIndex);
  virtual void BuildLock(const TKeyAndDataFields&) {}
  virtual void BuildRefreshSelectList(const TKeyAndDataFields& fields);
  virtual void BuildRefreshFrom();
  virtual void BuildRefresh(const TKeyAndDataFields& fields, bool modifiedOnly);
  virtual void BuildRefreshQuick(const TKeyAndDataFields& fields);
  virtual void BuildRefreshCheckDeleted(const TKeyAndDataFields& fields);
  virtual void BuildConditions(AnsiStringBuilder& buffer, TStatementType statementType,
                               int batchIndex, const TKeyAndDataFields& fields,
                               bool modifiedOnly);
  virtual TCollectionItemClass GetParamInfoClass();

  String NormalizedTableName();
  static void Append(AnsiStringBuilder& buffer, const String& text);

  // The six parts of every statement, concatenated in this order.
  AnsiStringBuilder FHeadSB{100};
  AnsiStringBuilder FFldSB{100};
  AnsiStringBuilder FMiddleSB{100};
  AnsiStringBuilder FFldParamSB{100};
  AnsiStringBuilder FCondSB{100};
  AnsiStringBuilder FFooterSB{100};

 private:
  IDASQLGeneratorHost* FHost;
  TLxTableInfo* FTableInfo = nullptr;
  TDAParams* FParams = nullptr;
  std::unique_ptr<TDAParamsInfo> FParamsInfo;
  // Names of the parameters of the current build, given to them in one pass at its end.
  std::vector<String> FParamNames;
  // What the last build asked the record, and how BuildUpdatingTableStatement called it.
  std::vector<TRecordQuestion> FQuestions;
  bool Answer(TFieldDesc* fieldDesc, uint8_t kind);
  struct TLastBuild {
    TStatementType StatementType = stCustom;
    bool ModifiedOnly = false;
    bool Batched = false;
    bool HasParams = false;
    TLxTableInfo* TableInfo = nullptr;
    TKeyAndDataFields Fields;
  };
  TLastBuild FLast;
  bool FLastValid = false;
  // The current record's key and data fields, asked for by every check of a kept statement.
  TKeyAndDataFields FCheckFields;
};
