// The embedded-server call table without a running server: the server arguments it keeps, the
// data folder it guards, the guard between processes, and its refusal to run in a program that
// is linked with the client library (as this test program is).
#include "MySql/MySqlApiEmbedded.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/LocalSocketFixtures.h"

namespace {

TEST(EmbeddedServerArguments, CommentAndBlankLinesAreDroppedTheRestKeepsItsOrder) {
  TStringList lines;
  lines.SetText(u"# start\n--no-defaults\n\n   \n  # indented comment\n--datadir=/d # not a "
                u"comment\n\t\n--skip-grant-tables");
  DropCommentLines(lines);
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines.Strings(0), u"--no-defaults");
  EXPECT_EQ(lines.Strings(1), u"--datadir=/d # not a comment");
  EXPECT_EQ(lines.Strings(2), u"--skip-grant-tables");
}

TEST(EmbeddedServerArguments, TheGuardedFolderIsTheDataFolderOrDataBelowTheBase) {
  const std::string cwd = std::filesystem::current_path().string();
  struct Case {
    const char16_t* params;
    std::string folder;
  } cases[] = {
      {u"--datadir=/srv/db\n--basedir=/opt/server", "/srv/db"},
      {u"--basedir=/opt/server", "/opt/server/data"},
      {u"--basedir=/opt/server/", "/opt/server/data"},
      {u"--datadir=db/../members", cwd + "/members"},
      {u"--skip-grant-tables", ""},
  };
  for (const Case& c : cases) {
    TStringList params;
    params.SetText(c.params);
    EXPECT_EQ(UTF8Encode(EmbeddedDataFolder(params)), c.folder) << UTF8Encode(c.params);
  }
}

TEST(DataFolderMutex, AFolderHeldByAnotherProcessTimesOutUntilItIsLetGo) {
  localsock::TempDir dir;
  int held[2], done[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t child = fork();
  if (child == 0) {
    close(held[0]);
    close(done[1]);
    TMutex mine(UTF8ToString(dir.path), 0);
    mine.Acquire();
    char c = 'x';
    (void)!write(held[1], &c, 1);
    (void)!read(done[0], &c, 1);  // until the parent closes its end
    _exit(0);
  }
  close(held[1]);
  close(done[0]);
  char c = 0;
  ASSERT_EQ(read(held[0], &c, 1), 1);

  TMutex theirs(UTF8ToString(dir.path), 100);
  try {
    theirs.Acquire();
    FAIL() << "acquired a folder another process holds";
  } catch (const EOSError& e) {
    EXPECT_EQ(UTF8Encode(e.Message()), dir.path + ".Acquire = WAIT_TIMEOUT\r\n");
  }
  close(done[1]);
  int status = 0;
  waitpid(child, &status, 0);
  // The holder ended without letting go: its lock went with it.
  EXPECT_NO_THROW(theirs.Acquire());
  theirs.Release();
  close(held[0]);
}

TEST(EmbeddedServerLoad, BesideTheLinkedClientLibraryTheServerRefusesToStart) {
  ASSERT_TRUE(TDynamicLibrary::GlobalSymbol("mysql_real_query"))
      << "this program is expected to be linked with the client library";
  TMySQLAPIEmbedded api;
  TStringList params;
  params.SetText(u"--no-defaults\n--datadir=/nonexistent");
  api.SetServerParams(&params);
  try {
    api.Initialize();
    FAIL() << "the server library started beside the client library";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), SEmbeddedBesideClient);
  }
  EXPECT_FALSE(api.IsLoaded());
  EXPECT_FALSE(api.ServerStarted());
  EXPECT_EQ(api.UserCount(), 0);
  EXPECT_TRUE(api.RunningParams().empty());
}

}  // namespace
