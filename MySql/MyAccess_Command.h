// The MySQL command component: the command component on a MySQL connection, with the command
// time-out, the MySQL lexer, parameter markers found by position, and the values of output
// parameters read back from the result that a stored procedure call selects them with.
#pragma once

#include <memory>

#include "Common/DBAccess_SQL.h"

class TCustomMyConnection;
class TMySQLCommand;

class TMyCommand : public TCustomDASQL {
 public:
  explicit TMyCommand(TComponent* owner);

  TCustomMyConnection* Connection() const;
  void SetConnection(TCustomMyConnection* value);
  // Seconds a statement may run; 0 waits for ever.
  int CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(int value);
  TMySQLCommand* MyICommand() const;

  void AssignTo(TPersistent* dest) override;

 protected:
  void CreateICommand() override;
  void SetICommand(std::unique_ptr<TLxCommand> command) override;
  TParserClass GetParserClass() override;
  void ProcessSQL() override;
  void InternalExecute(int iterations) override;
  void DoAfterExecute(bool result) override;

 private:
  // Whether the provider command runs a procedure call with parameters that come back.
  bool CallReturnsParams() const;
  // Reads the row of output values the call selected, then every result still pending, so
  // that the session is ready for the next statement.
  void ReadOutParams();

  int FCommandTimeout = 0;
};
