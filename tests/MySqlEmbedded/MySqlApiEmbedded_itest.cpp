// The call table over the embedded server, on a data folder the tests initialise: a database
// and rows written through the components, the process ended, and the rows read back by a new
// process; a second process kept off the folder while the first holds it; arguments that keep
// the server from starting; and a library that is not there. The server runs in this process
// once started and may end the process when it cannot start, so every start happens in a child
// process that reports what it saw through a pipe.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "MySql/MySqlApiEmbedded.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/LocalSocketFixtures.h"

namespace {

// ---- a child process and its report ------------------------------------------------------------

struct ChildResult {
  int Status = -1;  // the exit code; -1 when the child did not exit normally
  std::string Report;
};

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  return text;
}

// Runs body in a child process: what it returns is the report and the exit code 0; an exception
// reports "error: " and its message with the exit code 1. The child ends without running this
// program's exit handlers.
pid_t StartChild(const std::function<std::string()>& body, int& reportFd) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    int code = 0;
    std::string report;
    try {
      report = body();
    } catch (const Exception& e) {
      report = "error: " + UTF8Encode(e.Message());
      code = 1;
    } catch (const std::exception& e) {
      report = std::string("error: ") + e.what();
      code = 1;
    }
    WriteAll(fds[1], report);
    close(fds[1]);
    _exit(code);
  }
  close(fds[1]);
  reportFd = fds[0];
  return pid;
}

ChildResult FinishChild(pid_t pid, int reportFd) {
  ChildResult result;
  result.Report = ReadAll(reportFd);
  close(reportFd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.Status = WEXITSTATUS(status);
  return result;
}

ChildResult InChild(const std::function<std::string()>& body) {
  int fd = -1;
  pid_t pid = StartChild(body, fd);
  if (pid < 0) return ChildResult{};
  return FinishChild(pid, fd);
}

// ---- the data folder and the components on it ---------------------------------------------------

// A data folder initialised once for the tests, with the system tables and nothing else.
class EmbeddedServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new localsock::TempDir();
    std::string user = getenv("USER") ? getenv("USER") : "root";
    std::string command = "mariadb-install-db --no-defaults --datadir='" + folder->path +
                          "/data' --user=\"$(id -un)\" --auth-root-authentication-method=normal "
                          "--skip-test-db >'" + folder->path + "/install.log' 2>&1";
    installed = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(installed) << "mariadb-install-db failed; see " << folder->path << "/install.log";
  }

  static std::string DataFolder() { return folder->path + "/data"; }
  // The server's arguments with a comment and blank lines among them, as a user writes them.
  static String Params(const std::string& datadir) {
    return UTF8ToString("--no-defaults\n"
                        "# the folder of this test\n"
                        "\n"
                        "--datadir=" + datadir + "\n"
                        "   \n"
                        "--skip-grant-tables\n");
  }

  static localsock::TempDir* folder;
  static bool installed;
};

localsock::TempDir* EmbeddedServer::folder = nullptr;
bool EmbeddedServer::installed = false;

// The connection component with the embedded server chosen; the component has no property for
// the server's arguments, so this one hands them to its session as the pool does.
class TEmbeddedConnection : public TMyConnection {
 public:
  explicit TEmbeddedConnection(String params) : TMyConnection(nullptr), FParams(params) {
    SetLoginPrompt(false);
    SetUsername(u"root");
    Options()->SetUseUnicode(true);
    Options()->SetEmbedded(true);
  }

 protected:
  void ApplyConnectionSettings(TLxConnection* connection) override {
    TMyConnection::ApplyConnectionSettings(connection);
    connection->SetProp(pcEmbParams, FParams);
  }

 private:
  String FParams;
};

std::string Rows(TMyConnection& conn, const String& sql) {
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(sql);
  query.Open();
  std::string rows;
  for (; !query.Eof(); query.Next()) {
    for (int c = 0; c < query.Fields()->Count(); ++c)
      rows += (c ? "|" : "") + UTF8Encode(query.Fields()->Fields(c)->AsString());
    rows += ";";
  }
  return rows;
}

// Ends the server as the program's shut-down does, so that the folder is left clean.
void EndServer() {
  TMySQLAPIEmbedded& api = MySQLAPIEmbedded();
  while (api.IsLoaded()) api.Unload();
}

TEST_F(EmbeddedServer, RowsWrittenByOneProcessAreReadBackByTheNext) {
  const String params = Params(DataFolder());
  ChildResult written = InChild([&] {
    TEmbeddedConnection conn(params);
    conn.SetConnected(true);
    std::string report = dynamic_cast<TMySQLAPIEmbedded*>(conn.MySQLConnection()->API())
                             ? "embedded;"
                             : "another call table;";
    conn.ExecSQL(u"CREATE DATABASE members_db");
    conn.SetDatabase(u"members_db");
    conn.ExecSQL(
        u"CREATE TABLE members (id INT AUTO_INCREMENT PRIMARY KEY, "
        u"name VARCHAR(40) CHARACTER SET utf8mb4) ENGINE=InnoDB");
    conn.ExecSQL(u"INSERT INTO members (name) VALUES ('Anna')");
    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT id, name FROM members ORDER BY id");
    query.Open();
    query.Append();
    query.FieldByName(u"name")->SetAsString(u"Пётр");
    query.Post();
    report += "new id " + UTF8Encode(query.FieldByName(u"id")->AsString());
    query.Close();
    conn.SetConnected(false);
    EndServer();
    return report;
  });
  ASSERT_EQ(written.Status, 0) << written.Report;
  EXPECT_EQ(written.Report, "embedded;new id 2");

  ChildResult read = InChild([&] {
    TEmbeddedConnection conn(params);
    conn.SetDatabase(u"members_db");
    conn.SetConnected(true);
    std::string rows = Rows(conn, u"SELECT id, name FROM members ORDER BY id");
    conn.SetConnected(false);
    EndServer();
    return rows;
  });
  ASSERT_EQ(read.Status, 0) << read.Report;
  EXPECT_EQ(read.Report, "1|Anna;2|Пётр;");
}

TEST_F(EmbeddedServer, CommentAndBlankLinesAreDroppedAndTheServerIsSharedByConnections) {
  const String params = Params(DataFolder());
  ChildResult result = InChild([&] {
    TEmbeddedConnection first(params), second(params);
    first.SetConnected(true);
    second.SetConnected(true);  // the same arguments: the running server, counted once more
    TMySQLAPIEmbedded& api = MySQLAPIEmbedded();
    std::string report = std::to_string(api.ServerParams()->Count()) + " lines, " +
                         std::to_string(api.UserCount()) + " users; ";
    TStringList kept;
    kept.SetText(api.RunningParams());
    for (int i = 0; i < kept.Count(); ++i) report += UTF8Encode(kept.Strings(i)) + "|";
    // Other arguments while the server is in use are refused.
    TEmbeddedConnection other(UTF8ToString("--no-defaults\n--datadir=" + DataFolder() +
                                           "\n--skip-grant-tables\n--skip-name-resolve\n"));
    try {
      other.SetConnected(true);
      report += "; other arguments ran";
    } catch (const Exception& e) {
      report += "; " + UTF8Encode(e.Message());
    }
    first.SetConnected(false);
    second.SetConnected(false);
    EndServer();
    return report;
  });
  ASSERT_EQ(result.Status, 0) << result.Report;
  // The log argument the table adds is not among the lines it keeps.
  EXPECT_EQ(result.Report, "3 lines, 2 users; --no-defaults|--datadir=" + DataFolder() +
                               "|--skip-grant-tables|; " + UTF8Encode(SSecondEmbeddedServer));
}

TEST_F(EmbeddedServer, ASecondProcessIsKeptOffTheFolderWhileTheFirstHoldsIt) {
  const String params = Params(DataFolder());
  int started[2], release[2];
  ASSERT_EQ(pipe(started), 0);
  ASSERT_EQ(pipe(release), 0);
  int holderFd = -1;
  pid_t holder = StartChild(
      [&] {
        close(started[0]);
        close(release[1]);
        TEmbeddedConnection conn(params);
        conn.SetConnected(true);
        WriteAll(started[1], "up");
        close(started[1]);
        std::string go = ReadAll(release[0]);  // until the parent closes its end
        std::string rows = Rows(conn, u"SELECT 1 + 1");
        conn.SetConnected(false);
        EndServer();
        return rows;
      },
      holderFd);
  close(started[1]);
  close(release[0]);
  ASSERT_GT(holder, 0);
  ASSERT_EQ(ReadAll(started[0]), "up");
  close(started[0]);

  ChildResult second = InChild([&] {
    TEmbeddedConnection conn(params);
    conn.SetConnected(true);
    return std::string("connected");
  });
  close(release[1]);
  ChildResult first = FinishChild(holder, holderFd);

  EXPECT_EQ(second.Status, 1);
  EXPECT_EQ(second.Report, "error: " + UTF8Encode(SSecondEmbeddedServer));
  // The first process went on undisturbed.
  EXPECT_EQ(first.Status, 0) << first.Report;
  EXPECT_EQ(first.Report, "2;");
}

// Why a start failed reaches the user in the error, and the process lives on to report it.
TEST_F(EmbeddedServer, AStartThatFailsSaysWhy) {
  const std::string missing = folder->path + "/no-such-folder";
  struct Case {
    const char* what;
    std::string params;
    std::string reportStart;  // what the error starts with
    std::string mentions;     // and a text it must hold
  } cases[] = {
      {"no data folder", "--no-defaults\n--basedir=" + missing + "\n",
       "error: " + missing + "/data/" + TMutex::LockFileName, "No such file or directory"},
      {"an option the server does not know",
       "--no-defaults\n--datadir=" + DataFolder() + "\n--no-such-option=1\n",
       "error: " + UTF8Encode(SServerInitFailed) + "\r\n", "no-such-option"},
  };
  for (const Case& c : cases) {
    ChildResult result = InChild([&] {
      TEmbeddedConnection conn(UTF8ToString(c.params));
      try {
        conn.SetConnected(true);
      } catch (...) {
        // The failed start leaves nothing running and the folder free for the next one.
        TMySQLAPIEmbedded& api = MySQLAPIEmbedded();
        if (api.IsLoaded() || api.ServerStarted() || api.UserCount() != 0)
          return std::string("left running");
        throw;
      }
      return std::string("connected");
    });
    EXPECT_EQ(result.Status, 1) << c.what << ": " << result.Report;
    EXPECT_EQ(result.Report.rfind(c.reportStart, 0), 0u) << c.what << ": " << result.Report;
    EXPECT_NE(result.Report.find(c.mentions), std::string::npos) << c.what << ": " << result.Report;
  }
}

TEST(EmbeddedLibraryLoad, ALibraryThatIsNotThereIsTheLoadErrorAndNothingRuns) {
  TMySQLAPIEmbedded api("libno-such-server.so.1");
  TStringList params;
  params.SetText(u"--no-defaults\n--datadir=/tmp");
  api.SetServerParams(&params);
  try {
    api.Initialize();
    FAIL() << "a missing library loaded";
  } catch (const EOSError& e) {
    const std::string message = UTF8Encode(e.Message());
    EXPECT_EQ(message.rfind("MySQL client library couldn't be loaded. Please place "
                            "libno-such-server.so.1 file to system folder",
                            0),
              0u)
        << message;
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
  EXPECT_FALSE(api.IsLoaded());
  EXPECT_FALSE(api.ServerStarted());
  EXPECT_EQ(api.UserCount(), 0);
  // An entry point called without the library is the embedded variant of the not-linked error.
  try {
    api.mysql_init(nullptr);
    FAIL() << "an entry point ran without its library";
  } catch (const Exception& e) {
    EXPECT_EQ(UTF8Encode(e.Message()),
              "MySQL API function is not linked. You should update MySQL Embedded Server "
              "library (libno-such-server.so.1).");
  }
}

}  // namespace
