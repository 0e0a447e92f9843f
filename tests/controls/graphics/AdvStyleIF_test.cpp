#include "controls/graphics/AdvStyleIF.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controls/graphics/AdvHintInfo.h"
#include "controls/graphics/AdvXPVS.h"
#include "platform/gdi/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/UiSession.h"
#include "platform/ui/UtilityWindow.h"
#include "platform/win/WinApi.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace {

const String kKey12 = u"Software\\Microsoft\\Office\\12.0\\Common";
const String kKey14 = u"Software\\Microsoft\\Office\\14.0\\Common";

// Every test has a registry of its own in a temporary configuration folder.
class OfficeSettings : public ::testing::Test {
 protected:
  // Creates the key (with its "General" subkey, whose presence names the Office version) and,
  // unless theme is -1, the "Theme" value.
  static void WriteScheme(const String& key, int theme) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(key + u"\\General", true));
    registry.CloseKey();
    ASSERT_TRUE(registry.OpenKey(key, true));
    if (theme != -1) registry.WriteInteger(u"Theme", theme);
  }

  TTempFolder FTemp;
  TEnvGuard FConfig{"XDG_CONFIG_HOME", FTemp.Path()};
};

TEST_F(OfficeSettings, DetectOfficeThemeReadsTheSchemeOfTheNewestOffice) {
  struct {
    const char* Name;
    int Theme14, Theme12;  // -2: no key; -1: key without "Theme"
    TStylePreset Want;
  } cases[] = {
      {"nothing installed: no visual style", -2, -2, 3},
      {"14.0 Theme 1", 1, -2, 7},
      {"14.0 Theme 2", 2, -2, 8},
      {"14.0 Theme 3", 3, 1, 9},
      {"14.0 unknown Theme ends the search", 5, 2, 0},
      {"14.0 without Theme: 12.0 decides", -1, 3, 6},
      {"12.0 Theme 1", -2, 1, 4},
      {"12.0 Theme 2", -2, 2, 5},
      {"12.0 Theme 3", -2, 3, 6},
      {"12.0 Theme 0", -2, 0, 0},
      {"neither has a Theme", -1, -1, 3},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    TEnvGuard config("XDG_CONFIG_HOME", folder.Path());
    if (c.Theme14 != -2) WriteScheme(kKey14, c.Theme14);
    if (c.Theme12 != -2) WriteScheme(kKey12, c.Theme12);
    EXPECT_EQ(DetectOfficeTheme(), c.Want) << c.Name;
    EXPECT_EQ(GetOfficeVersion(), c.Theme14 != -2 ? 2 : c.Theme12 != -2 ? 1 : 0) << c.Name;
  }
}

TEST(DesktopQueries, FixedAnswersOfThePlatform) {
  EXPECT_TRUE(IsVista());
  EXPECT_TRUE(IsWinXPOrLater());
  EXPECT_TRUE(IsComCtl6());
  EXPECT_EQ(CurrentXPTheme(), 0);
  EXPECT_EQ(GetDefaultFontName(), u"Segoe UI");
  TFont font;
  font.SetName(GetDefaultFontName());
  gdiptest::TSurface surface(4, 4);
  std::unique_ptr<TGPFont, TObjectFree> made(surface.Graphics.MakeFont(&font));
  EXPECT_EQ(made->NativeHandle()->Family, u"Segoe UI") << "the platform's fonts alias it";
  EXPECT_EQ(IID_IComponentStyle.Data1, 0x11AC2DDCu);
  EXPECT_EQ(IID_IColorTones.Data4[7], 0x36);
}

TEST(ThemeBinder, NotLoadedAndEveryEntryAnswersNoTheme) {
  const AdvXPVS::TThemeBinder& binder = AdvXPVS::ThemeBinder();
  EXPECT_FALSE(binder.Loaded);
  ASSERT_NE(binder.OpenThemeData, nullptr);
  ASSERT_NE(binder.CloseThemeData, nullptr);
  ASSERT_NE(binder.DrawThemeBackground, nullptr);
  ASSERT_NE(binder.IsThemeActive, nullptr);
  ASSERT_NE(binder.IsAppThemed, nullptr);
  ASSERT_NE(binder.GetCurrentThemeName, nullptr);
  HTHEME theme = binder.OpenThemeData(nullptr, u"button");
  EXPECT_EQ(theme, nullptr);
  TRect r{0, 0, 10, 10};
  EXPECT_LT(binder.DrawThemeBackground(theme, nullptr, 1, 1, &r, nullptr), 0);
  EXPECT_EQ(binder.CloseThemeData(theme), 0);
  EXPECT_FALSE(binder.IsThemeActive());
  EXPECT_FALSE(binder.IsAppThemed());
  EXPECT_EQ(binder.GetCurrentThemeName(), u"");
}

// A hidden window that notes the notifier's messages with the key path they carry.
struct TListener {
  HWND Handle = nullptr;
  std::vector<std::string>* Log;
  std::string Name;
  TListener(std::vector<std::string>* log, std::string name) : Log(log), Name(std::move(name)) {
    Handle = AllocateHWnd([this](TMessage& m) {
      if (m.Msg == WM_OFFICETHEMECHANGE) {
        EXPECT_EQ(m.WParam, reinterpret_cast<WPARAM>(HKEY_CURRENT_USER));
        Log->push_back(Name + " " + reinterpret_cast<const char*>(m.LParam));
      } else {
        m.Result = DefWindowProc(Handle, m.Msg, m.WParam, m.LParam);
      }
    });
  }
  ~TListener() { DeallocateHWnd(Handle); }
};

// Runs the GUI thread's messages until done says so, or gives up after a real-time deadline.
bool PumpUntil(const std::function<bool()>& done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class ThemeNotifier : public OfficeSettings {
 protected:
  static void SetTheme(int theme) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kKey12, false));
    registry.WriteInteger(u"Theme", theme);
  }
  THeadlessUiSession FSession;
};

TEST_F(ThemeNotifier, DeliversAChangeToItsWindowThenTheRegisteredOnesInOrder) {
  WriteScheme(kKey12, 1);
  std::vector<std::string> log;
  const std::thread::id gui = std::this_thread::get_id();
  TThemeNotifier notifier(nullptr);
  ASSERT_TRUE(notifier.Watching());
  notifier.OnOfficeThemeChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &notifier);
    EXPECT_EQ(std::this_thread::get_id(), gui);
    log.push_back("notifier");
  };
  TListener first(&log, "first"), second(&log, "second");
  notifier.RegisterWindow(first.Handle);
  notifier.RegisterWindow(second.Handle);
  notifier.RegisterWindow(first.Handle);  // once is enough
  SetTheme(2);
  ASSERT_TRUE(PumpUntil([&] { return log.size() >= 3; })) << "no change arrived";
  const std::string path = "Software\\Microsoft\\Office\\12.0\\Common";
  EXPECT_EQ(log, (std::vector<std::string>{"notifier", "first " + path, "second " + path}));
  EXPECT_EQ(DetectOfficeTheme(), 5);

  // Unregistered windows hear no more; an unknown handle is no error. (A change made while the
  // worker sets up its next watch is not reported, so the test keeps changing the value until
  // one is.)
  notifier.UnRegisterWindow(first.Handle);
  notifier.UnRegisterWindow(reinterpret_cast<HWND>(12345));
  log.clear();
  int theme = 3;
  ASSERT_TRUE(PumpUntil([&] {
    if (log.size() >= 2) return true;
    SetTheme(theme = theme == 3 ? 1 : 3);
    return false;
  }));
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 2),
            (std::vector<std::string>{"notifier", "second " + path}));
  for (const std::string& entry : log) EXPECT_NE(entry.substr(0, 5), "first");
}

TEST_F(ThemeNotifier, WithoutOfficeSettingsThereIsNothingToWatch) {
  TThemeNotifier notifier(nullptr);
  EXPECT_FALSE(notifier.Watching());
  EXPECT_EQ(notifier.NotifierWindow(), nullptr);
  std::vector<std::string> log;
  TListener listener(&log, "listener");
  notifier.RegisterWindow(listener.Handle);
  notifier.UnRegisterWindow(listener.Handle);
  EXPECT_TRUE(log.empty());
}

TEST_F(ThemeNotifier, RegisteringWhileTheKeyChangesNeitherHangsNorRaces) {
  WriteScheme(kKey12, 1);
  std::vector<std::string> log;
  int raised = 0;
  {
    TThemeNotifier notifier(nullptr);
    notifier.OnOfficeThemeChange = [&](TObject*) { ++raised; };
    TListener a(&log, "a"), b(&log, "b");
    std::atomic<bool> writing{true};
    // Another thread changes the key a hundred times while the GUI thread registers and
    // unregisters windows and handles the notifications.
    std::thread writer([&] {
      for (int i = 0; i < 100; ++i) {
        TRegistry registry;
        if (registry.OpenKey(kKey12, false)) registry.WriteInteger(u"Theme", 1 + i % 3);
      }
      writing = false;
    });
    for (int round = 0; writing; ++round) {
      notifier.RegisterWindow(round % 2 ? a.Handle : b.Handle);
      Application->ProcessMessages();
      notifier.UnRegisterWindow(round % 3 ? a.Handle : b.Handle);
    }
    writer.join();
    int theme = 2;
    ASSERT_TRUE(PumpUntil([&] {
      if (raised > 0) return true;
      SetTheme(theme = theme == 2 ? 3 : 2);
      return false;
    }));
  }  // the notifier stops and joins its worker here
  EXPECT_GT(raised, 0);
}

TEST_F(ThemeNotifier, GetThemeNotifierKeepsOneUntilItIsDestroyed) {
  TThemeNotifier* first = GetThemeNotifier(nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetThemeNotifier(nullptr), first);
  first->Free();
  TThemeNotifier* second = GetThemeNotifier(nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetThemeNotifier(nullptr), second);
  second->Free();
}

TEST(AdvHintInfo, AssignCopiesEverythingFromAHintRecordOnly) {
  TAdvHintInfo source;
  source.SetTitle(u"Наслов");
  source.Notes()->Add(u"прв ред");
  source.Notes()->Add(u"втор ред");
  source.SetShowHelp(true);
  source.SetWideTitle(u"Wide");
  source.SetWideNotes(u"Notes");
  TBitmap bitmap(4, 4);
  source.Picture()->Assign(&bitmap);

  TAdvHintInfo copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.Title(), u"Наслов");
  EXPECT_EQ(copy.Notes()->Text(), source.Notes()->Text());
  EXPECT_NE(copy.Notes(), source.Notes());
  EXPECT_TRUE(copy.ShowHelp());
  EXPECT_EQ(copy.WideTitle(), u"Wide");
  EXPECT_EQ(copy.WideNotes(), u"Notes");
  EXPECT_EQ(copy.Picture()->Bytes(), source.Picture()->Bytes());
  EXPECT_FALSE(copy.Picture()->Empty());

  // Another class is ignored without an error; an empty picture empties this one.
  copy.Assign(&bitmap);
  EXPECT_EQ(copy.Title(), u"Наслов");
  EXPECT_FALSE(copy.Picture()->Empty());
  TAdvHintInfo blank;
  copy.Assign(&blank);
  EXPECT_TRUE(copy.Picture()->Empty());
  EXPECT_EQ(copy.Notes()->Count(), 0);
  EXPECT_FALSE(copy.ShowHelp());
}

}  // namespace
