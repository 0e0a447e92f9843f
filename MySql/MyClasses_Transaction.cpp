#include "MySql/MyClasses_Transaction.h"

#include "MySql/MyClasses_Connection.h"
#include "platform/rtl/Exceptions.h"

TMySQLConnection* TMySQLTransaction::GetConnection() const {
  if (Connections().Count() == 0) throw Exception(u"There are no connections in the transaction");
  if (Connections().Count() > 1) throw Exception(u"multiple transaction");
  auto* connection = dynamic_cast<TMySQLConnection*>(Connections().GetItem(0));
  if (connection == nullptr) throw EInvalidCast(u"Invalid class typecast");
  if (!connection->GetConnected())
    throw Exception(u"One of the connections in the transaction is not active");
  return connection;
}

String TMySQLTransaction::IsolationStatement(uint8_t level) {
  switch (level) {
    case 0: return u"SET TRANSACTION ISOLATION LEVEL READ COMMITTED";
    case 1: return u"SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED";
    case 2: return u"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ";
    case 3: return u"SET TRANSACTION ISOLATION LEVEL SERIALIZABLE";
    default: throw Exception(u"Unsupported transaction isolation level");
  }
}

void TMySQLTransaction::BeginTransaction() {
  if (ReadOnly()) throw Exception(u"Readonly transactions are not supported by the database");
  CheckInactive();
  TMySQLConnection* connection = GetConnection();
  String isolation = IsolationStatement(IsolationLevel());
  // Servers from 4.1 on take both statements in one text.
  if (connection->IsServer41()) {
    connection->ExecSQL(isolation + u"; BEGIN");
  } else {
    connection->ExecSQL(isolation);
    connection->ExecSQL(u"BEGIN");
  }
  FActive = true;
  FNativeTransaction = true;
}

void TMySQLTransaction::Commit() {
  CheckActive();
  // A transaction attached to another one leaves the end to its owner.
  if (FNativeTransaction) GetConnection()->ExecSQL(u"COMMIT");
  FActive = false;
}

void TMySQLTransaction::Rollback() {
  CheckActive();
  if (FNativeTransaction) GetConnection()->ExecSQL(u"ROLLBACK");
  FActive = false;
}

void TMySQLTransaction::Savepoint(const String& name) {
  CheckActive();
  GetConnection()->ExecSQL(u"SAVEPOINT " + name);
}

void TMySQLTransaction::ReleaseSavepoint(const String& name) {
  CheckActive();
  GetConnection()->ExecSQL(u"RELEASE SAVEPOINT " + name);
}

void TMySQLTransaction::RollbackToSavepoint(const String& name) {
  CheckActive();
  GetConnection()->ExecSQL(u"ROLLBACK TO SAVEPOINT " + name);
}
