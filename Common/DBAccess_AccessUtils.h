// Access to the members of the dataset and command components that the updater needs when
// either kind serves as the component that runs an update statement: the statement text, the
// parameters, the execution and its affected rows, reached the same way for both. A component
// of any other class, or none, fails an assertion.
#pragma once

#include "Common/DBAccess.h"

class TComponent;
class TCustomDAConnection;
class TCustomDADataSet;
class TCustomDASQL;
class TDAParams;
class TDATransaction;
class TLxCommand;
class TLxConnection;
class TLxRecordSet;
class TStrings;

class TDBAccessUtils {
 public:
  TDBAccessUtils() = delete;

  // Stores the component's AutoCommit; its provider command, when it has one, gets it too.
  static void SetAutoCommit(TComponent* component, bool value);
  static TLxConnection* GetIConnection(TCustomDAConnection* connection);
  // The component the dataset's updater ran its last statement on.
  static TComponent* GetUpdateComponent(TCustomDADataSet* dataSet);
  // Ends one implicit connect request of the connection.
  static void ReleaseConnectionUse(TCustomDAConnection* connection);
  // The connection component at that place of the transaction's list.
  static TCustomDAConnection* GetTransactionConnection(TDATransaction* transaction, int index);

  static TStrings* GetSQL(TComponent* component);
  // The text the component would send: macros expanded, trailing control characters gone.
  static String GetFinalSQL(TComponent* component);
  // Gives the component a new statement text. dataModifying: the text changes data (its macros
  // are not rescanned); keepParams: the text is not scanned for parameters and the parameter
  // list stays as the caller filled it.
  static void SetSQLText(TComponent* component, const String& text, bool dataModifying,
                         bool keepParams);
  static TDAParams* GetParams(TComponent* component);
  // The flag that keeps a dataset or command from the SQL monitor.
  static bool GetNoMonitor(TComponent* component);
  static void SetNoMonitor(TComponent* component, bool value);
  // The SQL monitor class whose hooks the connection reports to.
  static const TDASQLMonitorClass& GetMonitorClass(TCustomDAConnection* connection);
  static void Execute(TComponent* component);
  static int GetRowsAffected(TComponent* component);

  static TLxRecordSet* GetIRecordSet(TCustomDADataSet* dataSet);
  static TLxCommand* GetICommand(TComponent* component);
  static bool GetFetchAll(TCustomDADataSet* dataSet);
  static void SetFetchAll(TCustomDADataSet* dataSet, bool value);

 private:
  // The component as a dataset or as a command: exactly one of the two is set.
  static void Classify(TComponent* component, TCustomDADataSet*& dataSet, TCustomDASQL*& sql);
};
