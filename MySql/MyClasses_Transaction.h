// The MySQL transaction: isolation level, begin, commit, rollback and savepoints as SQL statements
// on the one MySQL connection of the transaction. Read-only transactions, retaining commits and
// several connections are not supported.
#pragma once

#include "Common/LxAccess_Transaction.h"

class TMySQLConnection;

class TMySQLTransaction : public TLxTransaction {
 public:
  TMySQLTransaction() = default;

  void BeginTransaction() override;
  void Commit() override;
  void Rollback() override;
  // The savepoint name is sent as given.
  void Savepoint(const String& name) override;
  void ReleaseSavepoint(const String& name) override;
  void RollbackToSavepoint(const String& name) override;

  // The single, connected MySQL connection of the transaction; raises otherwise.
  TMySQLConnection* GetConnection() const;

  // The statement that sets the level (0 read committed .. 3 serializable); raises
  // "Unsupported transaction isolation level" for any other.
  static String IsolationStatement(uint8_t level);
};
