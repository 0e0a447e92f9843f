// The MySQL form of the SQL generator: the row-lock statement, the table statement with LIMIT
// and HANDLER, conditions on the row version (the TIMESTAMP column) and the condition of a quick
// refresh. Also the placeholder positions of a statement text, for the MySQL command, which
// writes each parameter's literal at its "?".
#pragma once

#include <vector>

#include "Common/DBAccess_SQLGenerator.h"

class TMySQLFieldDesc;

class TCustomMySQLGenerator : public TDASQLGenerator {
 public:
  explicit TCustomMySQLGenerator(IDASQLGeneratorHost* host) : TDASQLGenerator(host) {}

  // Set by the table component.
  int Limit = -1;  // no limit
  int Offset = 0;
  bool UseHandler = false;
  String HandlerIndex;
  String FilterSQL;  // the dataset's, for HANDLER ... READ
  // Set by the service from the dataset's settings.
  bool CheckRowVersion = false;
  uint8_t LockType = 0;  // 0: write lock, 1: read lock, other: no lock clause
  // The dataset's TIMESTAMP column, which the quick refresh compares; none without one. The
  // service sets it only to a column the dataset shows as a field.
  TFieldDesc* TimestampField = nullptr;
  int ServerMajor = 10;
  // HANDLER ... OPEN is understood by clients and servers from version 4.1 on.
  bool HandlerOpenSupported = true;

  String BuildTableSelect(const String& tableName, const String& orderFields) override;

  // The TIMESTAMP column among the data fields: the last one the server updates by itself, else
  // the first one.
  static TMySQLFieldDesc* RowVersionField(const TFieldDescArray& dataFields);

 protected:
  void AddConditionField(AnsiStringBuilder& buffer, TFieldDesc* fieldDesc,
                         TStatementType statementType, int batchIndex) override;
  void BuildConditions(AnsiStringBuilder& buffer, TStatementType statementType, int batchIndex,
                       const TKeyAndDataFields& fields, bool modifiedOnly) override;
  void BuildLock(const TKeyAndDataFields& fields) override;
  void DescribeInputs(TStatementInputs& inputs, TLxTableInfo* tableInfo,
                      const TKeyAndDataFields& fields, TStatementType statementType,
                      bool modifiedOnly) override;
  void DescribeField(TStatementInputs& inputs, TFieldDesc* fieldDesc) override;

 private:
  void BuildQuickRefreshCondition(AnsiStringBuilder& buffer, const TKeyAndDataFields& fields);
  bool FModifiedOnly = false;
};

// The 1-based byte positions of the "?" placeholders of a statement in its UTF-8 form, read with
// the MySQL lexer so that a "?" inside a string literal, a quoted name or a comment never counts.
std::vector<int> PlaceholderPositions(const String& sql);
