// The record set's own fetch connection: a result read on demand holds its connection until its
// last row is read, so it gets a connection of its own and the main one stays free. An abandoned
// long result there is ended with KILL through the main connection instead of being read to the
// end; a break on the main connection stops only the statement, so its session survives.
#include <string>

#include "Common/LxAccess_Transaction.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/rtl/Exceptions.h"

void TMySQLRecordset::UseFetchConnection() {
  if (FMyCommand->GetCursorState() == csExecuted || FSavedConnection != nullptr) return;
  TMySQLConnection* main = Connection();
  RTL_ASSERT(main != nullptr, u"The record set's command has no connection");
  main->API()->SetTimeouts(main->Handle(), FMyCommand->CommandTimeout());
  CheckResultFalse(main->API()->mysql_ping(main->Handle()));

  TMySQLConnection* fetch = nullptr;
  if (main->OnGetFetchConnection()) {
    RTL_ASSERT(static_cast<bool>(main->OnReleaseFetchConnection()),
               u"A fetch connection provider needs its return hook");
    fetch = main->OnGetFetchConnection()();
  } else {
    RTL_ASSERT(!main->OnReleaseFetchConnection(),
               u"A fetch connection return hook needs its provider");
    FOwnFetchConnection = std::make_unique<TMySQLConnection>();
    FOwnFetchConnection->Assign(*main);
    fetch = FOwnFetchConnection.get();
  }
  FSavedConnection = main;
  FFetchConnection = fetch;
  FFetchConnectionKilled = false;
  FMyCommand->SetConnection(fetch);
  try {
    if (!fetch->GetConnected()) fetch->Connect(u"");
    if (main->GetInternalTransaction()->GetInTransaction())
      fetch->GetInternalTransaction()->BeginTransaction();
    fetch->SetFetchConnection(true);
  } catch (...) {
    ReleaseFetchConnection(true);
    throw;
  }
}

void TMySQLRecordset::ReleaseFetchConnection(bool killed) {
  if (FSavedConnection == nullptr) return;
  TMySQLConnection* fetch = FFetchConnection;
  TMySQLConnection* main = FSavedConnection;
  struct Restore {
    TMySQLRecordset& rs;
    TMySQLConnection* main;
    ~Restore() {
      rs.FMyCommand->SetConnection(main);
      rs.FSavedConnection = nullptr;
      rs.FFetchConnection = nullptr;
      rs.FOwnFetchConnection.reset();
      rs.FFetchConnectionKilled = false;
    }
  } restore{*this, main};
  if (fetch == nullptr) return;
  if (!killed && fetch->GetConnected() && fetch->GetInternalTransaction()->GetInTransaction())
    fetch->GetInternalTransaction()->Commit();
  if (main->OnReleaseFetchConnection()) {
    fetch->SetIsValid(!killed);
    main->OnReleaseFetchConnection()(fetch);
    return;
  }
  try {
    fetch->Disconnect();
  } catch (const std::exception&) {
    // A killed session may not say goodbye; it is gone either way.
  }
}

void TMySQLRecordset::KillFetchConnection() {
  TMySQLConnection* fetch = FFetchConnection;
  TMySQLConnection* main = FSavedConnection;
  RTL_ASSERT(fetch != nullptr && main != nullptr, u"No fetch connection to kill");
  const std::string kill = "KILL " + std::to_string(fetch->API()->mysql_thread_id(fetch->Handle()));
  FFetchConnectionKilled = true;
  main->CheckResultFalse(
      main->API()->mysql_real_query(main->Handle(), kill.data(), static_cast<uint32_t>(kill.size())),
      GetComponent());
}

void TMySQLRecordset::StopRunningQuery() {
  TMySQLConnection* con = Connection();
  if (con == nullptr) return;
  // KILL QUERY ends the statement and leaves the session (its transaction, its temporary
  // tables) alone; the rows already on their way are then read to the end of the result.
  const std::string kill =
      "KILL QUERY " + std::to_string(con->API()->mysql_thread_id(con->Handle()));
  try {
    TMySQLConnection killer;
    killer.Assign(*con);
    killer.Connect(u"");
    killer.API()->mysql_real_query(killer.Handle(), kill.data(), static_cast<uint32_t>(kill.size()));
    killer.Disconnect();
  } catch (const std::exception&) {
    // Without a second session the rest of the rows is simply read.
  }
}
