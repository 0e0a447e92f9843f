// Access to the MySQL command behind a MySQL dataset or command component, for the SQL monitor
// that shows the statement text the command sends.
#pragma once

class TComponent;
class TMySQLCommand;

class TMyAccessUtils {
 public:
  TMyAccessUtils() = delete;

  // The record set's command of a MySQL dataset, the provider command of a MySQL command
  // component; none while it has none. Any other component fails an assertion.
  static TMySQLCommand* GetMySQLCommand(TComponent* component);
};
