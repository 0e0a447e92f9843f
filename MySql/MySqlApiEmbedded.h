// The call table over the embedded server library, which runs the database engine inside this
// process on a local data folder. Every call of the client interface works as through the client
// library; this class starts the server with its arguments on the first load, counts the
// connections that use it, ends it when the last one lets go, and keeps a second process off the
// same data folder.
#pragma once

#include <memory>

#include "MySql/DataFolderMutex.h"
#include "MySql/MySqlApiClient.h"
#include "platform/rtl/StringList.h"

inline constexpr char16_t SSecondEmbeddedServer[] =
    u"Cannot run second Embedded server instance for single data folder. Please see details in "
    u"Orbiq help or MySQL Reference manual";
inline constexpr char16_t SServerInitFailed[] = u"A call to an mysql_server_init failed";
inline constexpr char16_t SEmbeddedBesideClient[] =
    u"The embedded MySQL server cannot run in a program linked with the MySQL client library";

class TMySQLAPIEmbedded : public TMySQLAPIClient {
 public:
  static constexpr const char* DefaultLibraryName = "libmariadbd.so.19";
  // How long a start waits for another process to let go of the data folder.
  static constexpr uint32_t DataFolderTimeout = 2000;

  explicit TMySQLAPIEmbedded(AnsiString libraryName = DefaultLibraryName);
  ~TMySQLAPIEmbedded() override;

  // Starts the server with ServerParams, or counts one more user of the running one. A start with
  // other arguments while the server is in use, or on a data folder another process holds, fails
  // with SSecondEmbeddedServer; a server that does not start fails with SServerInitFailed and
  // what it wrote to its error log.
  void Load() override;
  // Counts one user down; the last one ends the server, frees the folder and the library.
  void Unload() override;
  void Initialize() override;

  // The server arguments, one "--option=value" per line, as the next start will use them.
  void SetServerParams(TStrings* params);
  TStrings* ServerParams() const { return FServerParams.get(); }
  int UserCount() const { return FUserCount; }
  const String& RunningParams() const { return FRunningParams; }
  bool ServerStarted() const { return FServerStarted; }

 protected:
  String NotLinkedMessage() const override;

 private:
  void StartServer();

  std::unique_ptr<TStringList, TObjectFree> FServerParams;
  int FUserCount = 0;
  String FRunningParams;
  bool FServerStarted = false;
  std::unique_ptr<TMutex> FDataFolderMutex;
};

// Lines that are empty or start with "#" (after trimming) are dropped; the others stay in order.
void DropCommentLines(TStrings& lines);
// The folder the arguments make the server keep its data in: "--datadir", else "data" below
// "--basedir", as a full path; empty when neither is given.
String EmbeddedDataFolder(const TStrings& params);

// The process-wide embedded-server call table; its server starts on the first Initialize.
TMySQLAPIEmbedded& MySQLAPIEmbedded();
