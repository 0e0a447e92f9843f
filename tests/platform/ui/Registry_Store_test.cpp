// The registry store file: its format, damaged and truncated stores, crash safety, writers in
// several processes and threads, and change notification.
#include "platform/ui/Registry_Store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <thread>

#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Registry.h"
#include "tests/platform/ui/SettingsTestSupport.h"

namespace {

class RegistryStore : public ::testing::Test {
 protected:
  TTempFolder FTemp;
  TEnvGuard FConfig{"XDG_CONFIG_HOME", FTemp.Path()};
  std::string FFolder = FTemp.Path() + "/association-records/registry";
  std::string FStoreFile = FFolder + "/store";

  void WriteStore(const std::string& text) {
    std::filesystem::create_directories(FFolder);
    WriteBytes(FStoreFile, text);
  }
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FFolder)) {
      std::string name = entry.path().filename().string();
      if (name.rfind("store.tmp.", 0) == 0) names.push_back(name);
    }
    return names;
  }
};

TEST_F(RegistryStore, TheStoreIsPlainDocumentedText) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Zavel", true));
  reg.WriteString(u"Server", u"localhost");
  reg.WriteInteger(u"Count", 3);
  reg.WriteInteger(u"Minus", -1);
  const uint8_t window[] = {0x0A, 0x00, 0xFF};
  reg.WriteBinaryData(u"Window", window, 3);
  reg.WriteString(u"Odd", String(u"a \"b\" \\ c\nd\x01 ") + u"\xD800" + u"Ж𝄞");
  reg.WriteExpandString(u"Path", u"");
  reg.CreateKey(u"\\Software\\Empty");
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey(u"", false));
  reg.WriteString(u"", u"root default");
  EXPECT_EQ(ReadBytes(FStoreFile),
            "association-records registry 1\n"
            "key \"HKEY_CURRENT_USER\" \"Software\"\n"
            "key \"HKEY_CURRENT_USER\" \"Software\" \"Empty\"\n"
            "key \"HKEY_CURRENT_USER\" \"Software\" \"Zavel\"\n"
            "value \"Server\" string \"localhost\"\n"
            "value \"Count\" dword 3\n"
            "value \"Minus\" dword 4294967295\n"
            "value \"Window\" binary hex:0A00FF\n"
            "value \"Odd\" string \"a \\\"b\\\" \\\\ c\\nd\\u0001 \\uD800Ж𝄞\"\n"
            "value \"Path\" expand-string \"\"\n"
            "key \"HKEY_LOCAL_MACHINE\"\n"
            "value \"\" string \"root default\"\n"
            "end\n");
  // The store is private to the user.
  EXPECT_EQ(std::filesystem::status(FStoreFile).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(RegistryStore, AHandWrittenStoreIsRead) {
  WriteStore(
      "association-records registry 1\r\n"
      "# written by hand\r\n"
      "\r\n"
      "key \"HKEY_CURRENT_USER\" \"Software\" \"Тест\"\r\n"
      "value \"Ime\"   string   \"Ана\\tМарија\"\r\n"
      "value \"Big\" type-11 hex:0100000000000000\r\n"
      "value \"Short\" type-1 hex:41\r\n"
      "key \"HKEY_CURRENT_USER\" \"Software\" \"Тест\"\r\n"
      "value \"Second\" dword 0\r\n"
      "end\r\n");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\тест", false));
  EXPECT_EQ(reg.ReadString(u"Ime"), u"Ана\tМарија");
  EXPECT_EQ(reg.GetDataType(u"Big"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize(u"Big"), 8);
  EXPECT_EQ(reg.ReadInteger(u"Second"), 0);
  // Odd data is kept as it is when the store is written back.
  reg.WriteInteger(u"Second", 1);
  EXPECT_EQ(ReadBytes(FStoreFile),
            "association-records registry 1\n"
            "key \"HKEY_CURRENT_USER\" \"Software\"\n"
            "key \"HKEY_CURRENT_USER\" \"Software\" \"Тест\"\n"
            "value \"Ime\" string \"Ана\\tМарија\"\n"
            "value \"Big\" type-11 hex:0100000000000000\n"
            "value \"Short\" type-1 hex:41\n"
            "value \"Second\" dword 1\n"
            "end\n");
}

TEST_F(RegistryStore, ADamagedStoreIsReportedAndNeverWrittenOver) {
  const std::string good =
      "association-records registry 1\n"
      "key \"HKEY_CURRENT_USER\" \"Software\" \"Zavel\"\n"
      "value \"Server\" string \"db.example\"\n"
      "end\n";
  struct {
    const char* Name;
    std::string Text;
    const char16_t* Problem;
  } cases[] = {
      {"empty", "", u"line 1: the store is empty"},
      {"cut after a line", good.substr(0, good.size() - 4),
       u"line 3: the end line is missing (the store was cut short)"},
      {"cut inside a line", good.substr(0, good.find("db.") + 3),
       u"line 3: a quoted text that is not closed"},
      {"not a store", "[Settings]\nServer=x\n", u"line 1: this is not a registry store"},
      {"later version", "association-records registry 2\nend\n",
       u"line 1: a format version this program does not know"},
      {"unknown root", "association-records registry 1\nkey \"HKEY_NOWHERE\" \"x\"\nend\n",
       u"line 2: a key that is not under a known root"},
      {"value first", "association-records registry 1\nvalue \"a\" dword 1\nend\n",
       u"line 2: a value before any key"},
      {"bad number",
       "association-records registry 1\nkey \"HKEY_USERS\"\nvalue \"a\" dword 4294967296\nend\n",
       u"line 3: a bad dword number"},
      {"odd hex",
       "association-records registry 1\nkey \"HKEY_USERS\"\nvalue \"a\" binary hex:ABC\nend\n",
       u"line 3: bad hexadecimal data"},
      {"bad escape", "association-records registry 1\nkey \"HKEY_USERS\" \"a\\qb\"\nend\n",
       u"line 2: an unknown escape"},
      {"after the end", good + "key \"HKEY_USERS\" \"x\"\n", u"line 5: text after the end line"},
      {"not UTF-8", "association-records registry 1\nkey \"HKEY_USERS\" \"\xC0\xAF\"\nend\n",
       u"line 2: text that is not UTF-8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteStore(c.Text);
    const String expected = u"The registry store " + UTF8ToString(FStoreFile) + u" is damaged (" +
                            c.Problem + u"); it has been left as it is";
    TRegistry reg;
    ExpectRaises<ERegistryStoreDamaged>([&] { reg.KeyExists(u"Software"); }, expected);
    EXPECT_THROW(reg.OpenKey(u"Software\\Zavel", true), ERegistryStoreDamaged);
    EXPECT_THROW(reg.CreateKey(u"Software\\New"), ERegistryStoreDamaged);
    EXPECT_THROW(TRegistryIniFile(u"Software\\Zavel").WriteInteger(u"S", u"I", 1),
                 ERegistryStoreDamaged);
    EXPECT_EQ(ReadBytes(FStoreFile), c.Text);
  }
}

TEST_F(RegistryStore, ADamagedStoreCanBeSetAsideToStartAgain) {
  const std::string damaged = "association-records registry 1\nkey \"HKEY_CURRENT_USER\" \"So";
  WriteStore(damaged);
  TRegistry reg;
  EXPECT_THROW(reg.OpenKey(u"Software", true), ERegistryStoreDamaged);
  String aside = reg.SetAsideDamagedStore();
  ASSERT_EQ(aside.rfind(UTF8ToString(FStoreFile) + u".damaged-", 0), 0u) << UTF8Encode(aside);
  EXPECT_EQ(ReadBytes(UTF8Encode(aside)), damaged);  // the user's bytes are all still there
  ASSERT_TRUE(reg.OpenKey(u"Software\\Zavel", true));
  reg.WriteString(u"Server", u"localhost");
  EXPECT_EQ(reg.ReadString(u"Server"), u"localhost");
  EXPECT_EQ(reg.SetAsideDamagedStore(), u"");  // an intact store stays where it is
  EXPECT_TRUE(std::filesystem::exists(FStoreFile));
}

TEST_F(RegistryStore, ACrashBeforeTheRenameLeavesTheOldStore) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(u"Software\\Zavel", true));
    reg.WriteString(u"Server", u"old");
  }
  const std::string before = ReadBytes(FStoreFile);
  // The writer dies after writing and syncing the new store, before renaming it into place.
  pid_t child = StartChild([&] {
    TRegistryStore store(FFolder);
    store.BeforeReplace = [] { ::_exit(42); };
    store.Change([](TRegTree& tree) {
      tree.Create({u"HKEY_CURRENT_USER", u"Software", u"Zavel"})
          ->SetValue(u"Server", REG_SZ, RegistryStringData(u"new"));
      return true;
    });
  });
  ASSERT_EQ(WaitChild(child), 42);
  EXPECT_EQ(ReadBytes(FStoreFile), before);
  EXPECT_EQ(Leftovers().size(), 1u);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Zavel", false));
  EXPECT_EQ(reg.ReadString(u"Server"), u"old");
  // The next writer clears the dead one's leftover.
  reg.WriteString(u"Server", u"newer");
  EXPECT_EQ(reg.ReadString(u"Server"), u"newer");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(RegistryStore, WritersInSeveralProcessesLoseNothing) {
  constexpr int kChildren = 3;
  constexpr int kWrites = 15;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    children.push_back(StartChild([&, c] {
      ::close(go[1]);
      char start;
      if (::read(go[0], &start, 1) != 1) ::_exit(3);
      TRegistry reg;
      for (int n = 0; n < kWrites; ++n) {
        if (!reg.OpenKey(u"\\Software\\Shared", true)) ::_exit(4);
        reg.WriteInteger(Format(u"P%d_%d", {c, n}), c * 100 + n);
        reg.CreateKey(Format(u"Child%d\\Key%d", {c, n}));
      }
    }));
  }
  ::close(go[0]);
  ASSERT_EQ(::write(go[1], "gogo", kChildren), kChildren);  // all start at once
  ::close(go[1]);
  for (pid_t child : children) EXPECT_EQ(WaitChild(child), 0);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"Software\\Shared", false));
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(names.Count(), kChildren * kWrites);
  for (int c = 0; c < kChildren; ++c) {
    for (int n = 0; n < kWrites; ++n) {
      EXPECT_EQ(reg.ReadInteger(Format(u"P%d_%d", {c, n})), c * 100 + n);
      EXPECT_TRUE(reg.KeyExists(Format(u"Child%d\\Key%d", {c, n})));
    }
  }
}

TEST_F(RegistryStore, WritersInSeveralThreadsLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 10;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      TRegistryIniFile ini(u"Software\\Threads");
      for (int n = 0; n < kWrites; ++n) ini.WriteInteger(u"T" + IntToStr(t), IntToStr(n), n);
    });
  }
  for (std::thread& thread : threads) thread.join();
  TRegistryIniFile ini(u"Software\\Threads");
  for (int t = 0; t < kThreads; ++t)
    for (int n = 0; n < kWrites; ++n)
      EXPECT_EQ(ini.ReadInteger(u"T" + IntToStr(t), IntToStr(n), -1), n);
}

TEST_F(RegistryStore, MangledStoresNeverCrashAndWhatParsesWritesBackTheSame) {
  const std::string sample =
      "association-records registry 1\n"
      "# a comment\n"
      "key \"HKEY_CURRENT_USER\" \"Software\" \"Завел\"\n"
      "value \"Име\" string \"Ана \\\"А\\\" \\\\ \\u0001\\uD800\"\n"
      "value \"N\" dword 4294967295\n"
      "value \"B\" binary hex:00FF10\n"
      "value \"Q\" type-11 hex:0102030405060708\n"
      "key \"HKEY_LOCAL_MACHINE\"\n"
      "value \"\" expand-string \"%HOME%\"\n"
      "end\n";
  TRegTree tree;
  String problem;
  ASSERT_TRUE(ParseRegistryStore(sample, tree, problem)) << UTF8Encode(problem);
  std::mt19937 random(20240229);
  const std::string alphabet = "\"\\ \nkeyvalhx:0123456789ABCDEFu-end#\xD0\x96";
  for (int round = 0; round < 3000; ++round) {
    std::string text = sample;
    for (int edit = 1 + static_cast<int>(random() % 3); edit > 0 && !text.empty(); --edit) {
      size_t at = random() % text.size();
      switch (random() % 4) {
        case 0:
          text[at] = alphabet[random() % alphabet.size()];
          break;
        case 1:
          text.erase(at, 1 + random() % 8);
          break;
        case 2:
          text.insert(at, 1, alphabet[random() % alphabet.size()]);
          break;
        default:
          text.resize(at);
          break;
      }
    }
    if (!ParseRegistryStore(text, tree, problem)) {
      EXPECT_EQ(problem.rfind(u"line ", 0), 0u) << UTF8Encode(problem);
      continue;
    }
    const std::string written = FormatRegistryStore(tree);
    TRegTree again;
    ASSERT_TRUE(ParseRegistryStore(written, again, problem)) << written;
    EXPECT_EQ(FormatRegistryStore(again), written);
  }
}

// ---- change notification ----

class RegistryNotification : public RegistryStore {
 protected:
  void SetUp() override {
    TRegistry setup;
    ASSERT_TRUE(setup.OpenKey(u"Software\\Watched\\Sub", true));
    ASSERT_TRUE(setup.OpenKey(u"\\Software\\Other", true));
    ASSERT_TRUE(FWatcher.OpenKeyReadOnly(u"Software\\Watched"));
  }
  static void Write(const String& key, const String& name, const String& value) {
    TRegistry writer;
    ASSERT_TRUE(writer.OpenKey(key, true));
    writer.WriteString(name, value);
  }

  // The event outlives the watching key, as a watch's event must.
  TEvent FChanged{true, false};
  TRegistry FWatcher;
};

TEST_F(RegistryNotification, AWriteByAnotherObjectSetsTheEvent) {
  ASSERT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_SUCCESS);
  Write(u"Software\\Watched", u"Theme", u"2");
  EXPECT_EQ(FChanged.WaitFor(10000), wrSignaled);
}

TEST_F(RegistryNotification, NoChangeUnderTheKeyTimesOut) {
  Write(u"Software\\Watched\\Sub", u"Same", u"v");
  ASSERT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                          &FChanged, true),
            ERROR_SUCCESS);
  Write(u"Software\\Other", u"Theme", u"2");        // another key entirely
  Write(u"Software\\Watched\\Sub", u"Same", u"v");  // the same value again changes nothing
  EXPECT_EQ(FChanged.WaitFor(300), wrTimeout);
  Write(u"Software\\Watched\\Sub", u"Deep", u"1");  // the subtree is watched
  EXPECT_EQ(FChanged.WaitFor(10000), wrSignaled);
}

TEST_F(RegistryNotification, FiltersAndTheSubtreeFlagChooseWhatCounts) {
  ASSERT_EQ(FWatcher.NotifyChangeKeyValue(false, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_SUCCESS);
  Write(u"Software\\Watched\\Sub", u"Deep", u"1");      // below the key: not watched
  TRegistry().CreateKey(u"Software\\Watched\\NewKey");  // a name change: not asked for
  EXPECT_EQ(FChanged.WaitFor(300), wrTimeout);

  TEvent names(true, false);
  ASSERT_EQ(FWatcher.NotifyChangeKeyValue(false, REG_NOTIFY_CHANGE_NAME, &names, true),
            ERROR_SUCCESS);
  TRegistry().DeleteKey(u"Software\\Watched\\NewKey");
  EXPECT_EQ(names.WaitFor(10000), wrSignaled);
  EXPECT_EQ(FChanged.WaitFor(0), wrTimeout);
  FWatcher.CloseKey();  // the watches end before the local event goes
}

TEST_F(RegistryNotification, AWriteByAnotherProcessSetsTheEvent) {
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  // The child is made before the watch's thread exists, and writes once told to.
  pid_t child = StartChild([&] {
    char start;
    if (::read(go[0], &start, 1) != 1) ::_exit(3);
    TRegistry writer;
    if (!writer.OpenKey(u"Software\\Watched\\Sub", false)) ::_exit(4);
    writer.WriteInteger(u"FromChild", 1);
  });
  ::close(go[0]);
  ASSERT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_SUCCESS);
  ASSERT_EQ(::write(go[1], "g", 1), 1);
  ::close(go[1]);
  EXPECT_EQ(WaitChild(child), 0);
  EXPECT_EQ(FChanged.WaitFor(10000), wrSignaled);
}

TEST_F(RegistryNotification, WaitForChangeAnswersSignaledOrTimeout) {
  EXPECT_EQ(FWatcher.WaitForChange(200), wrTimeout);
  // A writer that keeps writing until the wait has seen a change.
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    TRegistry reg;
    if (!reg.OpenKey(u"Software\\Watched", false)) return;
    for (int n = 0; !stop; ++n) {
      reg.WriteInteger(u"Tick", n);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  EXPECT_EQ(FWatcher.WaitForChange(10000), wrSignaled);
  // The synchronous request returns once a change has happened.
  EXPECT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, nullptr, false),
            ERROR_SUCCESS);
  stop = true;
  writer.join();
}

TEST_F(RegistryNotification, DeletingOrClosingTheKeySetsTheEvent) {
  ASSERT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_SUCCESS);
  TRegistry().DeleteKey(u"Software\\Watched");
  EXPECT_EQ(FChanged.WaitFor(10000), wrSignaled);
  // A watched key that is gone cannot be watched again.
  EXPECT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_KEY_DELETED);

  TRegistry other;
  ASSERT_TRUE(other.OpenKey(u"Software\\Other", false));
  TEvent closed(true, false);
  ASSERT_EQ(other.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &closed, true),
            ERROR_SUCCESS);
  other.CloseKey();
  EXPECT_EQ(closed.WaitFor(0), wrSignaled);
}

TEST_F(RegistryNotification, BadRequestsAreRefused) {
  TRegistry closed;
  EXPECT_EQ(closed.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(FWatcher.NotifyChangeKeyValue(true, 0, &FChanged, true), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FWatcher.NotifyChangeKeyValue(true, 0x100, &FChanged, true), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FWatcher.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, nullptr, true),
            ERROR_INVALID_PARAMETER);
  TRegistry writeOnly(KEY_WRITE);
  ASSERT_TRUE(writeOnly.OpenKey(u"Software\\Watched", false));
  EXPECT_EQ(writeOnly.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FChanged, true),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(writeOnly.WaitForChange(0), wrError);
}

}  // namespace
