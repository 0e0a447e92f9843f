#include "controls/graphics/AdvStyleIF.h"

#include "controls/graphics/AdvXPVS.h"
#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Threads.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UtilityWindow.h"
#include "platform/win/PlatformInfo.h"
#include "platform/win/WinApi.h"

namespace {

const String kOffice11 = u"Software\\Microsoft\\Office\\11.0\\Common\\General";
const String kOffice12 = u"Software\\Microsoft\\Office\\12.0\\Common\\General";
const String kOffice14 = u"Software\\Microsoft\\Office\\14.0\\Common\\General";
const String kScheme12 = u"Software\\Microsoft\\Office\\12.0\\Common";
const String kScheme14 = u"Software\\Microsoft\\Office\\14.0\\Common";

// The worker's wake-up of the notifier window.
constexpr UINT kWakeMessage = 0x0400 + 2993;

// The "Theme" value under the key, or -1 when the key or the value is not there.
int ReadOfficeScheme(const String& path) {
  TRegistry registry(KEY_READ);
  if (!registry.KeyExists(path) || !registry.OpenKeyReadOnly(path)) return -1;
  int scheme = registry.ValueExists(u"Theme") ? registry.ReadInteger(u"Theme") : -1;
  registry.CloseKey();
  return scheme;
}

TThemeNotifier* gNotifier = nullptr;

}  // namespace

// Waits for changes of one key and wakes a window for each; never waits on the GUI thread. The
// first watch is set up when the thread object is made, on the GUI thread, so no change made after
// the notifier exists can slip by before the worker runs.
class TRegMonitorThread : public TThread {
 public:
  TRegMonitorThread(const String& path, HWND window)
      : FRegistry(KEY_READ), FPath(path), FWindow(window) {
    FRegistry.SetRootKey(HKEY_CURRENT_USER);
    FOpened = FRegistry.OpenKeyReadOnly(FPath);
    FWatching = FOpened && Watch();
  }

 protected:
  void Execute() override {
    if (!FOpened) throw Exception(u"Unable to open registry key " + FPath);
    while (FWatching) {
      FEvent.WaitFor(INFINITE);
      if (Terminated()) return;
      PostMessage(FWindow, kWakeMessage);
      // Terminate sets the flag before the event, so a request made after this reset is seen
      // either here or by the wait.
      FEvent.ResetEvent();
      if (Terminated()) return;
      FWatching = Watch();
    }
  }
  // Wakes the wait so the loop sees the request.
  void TerminatedSet() override { FEvent.SetEvent(); }

 private:
  bool Watch() {
    return FRegistry.NotifyChangeKeyValue(true, REG_NOTIFY_CHANGE_LAST_SET, &FEvent, true) ==
           ERROR_SUCCESS;
  }

  TEvent FEvent{true, false};  // unnamed: one per thread, never shared with another process
  TRegistry FRegistry;
  String FPath;
  HWND FWindow;
  bool FOpened = false;
  bool FWatching = false;
};

bool IsVista() { return PlatformInfo::IsVistaOrLater; }
bool IsWinXPOrLater() { return PlatformInfo::IsWinXPOrLater; }
bool IsComCtl6() { return ((PlatformInfo::ComCtlVersion >> 16) & 0xFF) > 5; }
String GetDefaultFontName() { return IsVista() ? u"Segoe UI" : u"Tahoma"; }

int CurrentXPTheme() {
  if (!IsWinXPOrLater()) return 0;
  const AdvXPVS::TThemeBinder& themes = AdvXPVS::ThemeBinder();
  if (!themes.IsThemeActive() || !IsComCtl6()) return 0;
  String scheme = themes.GetCurrentThemeName();
  if (scheme == u"NormalColor") return 1;
  if (scheme == u"HomeStead") return 2;
  if (scheme == u"Metallic") return 3;
  return 0;
}

int GetOfficeVersion() {
  TRegistry registry(KEY_READ);
  int version = 0;
  registry.KeyExists(kOffice11);
  if (registry.KeyExists(kOffice12)) version = 1;
  if (registry.KeyExists(kOffice14)) version = 2;
  return version;
}

TStylePreset DetectOfficeTheme() {
  int scheme = ReadOfficeScheme(kScheme14);
  if (scheme != -1) return scheme >= 1 && scheme <= 3 ? TStylePreset(6 + scheme) : 0;
  scheme = ReadOfficeScheme(kScheme12);
  if (scheme != -1) return scheme >= 1 && scheme <= 3 ? TStylePreset(3 + scheme) : 0;
  switch (CurrentXPTheme()) {
    case 1: return 0;
    case 2: return 2;
    case 3: return 1;
    default: return 3;
  }
}

TThemeNotifier::TThemeNotifier(TComponent* owner) : TComponent(owner) {
  if (ComponentState().Contains(csDesigning)) return;
  int version = GetOfficeVersion();
  if (version == 0) return;
  FKeyPath = version == 2 ? kScheme14 : kScheme12;
  FWindow = AllocateHWnd([this](TMessage& message) { WindowProc(message); });
  FThread.reset(new TRegMonitorThread(FKeyPath, FWindow));
  FThread->Start();
}

TThemeNotifier::~TThemeNotifier() {
  if (gNotifier == this) gNotifier = nullptr;
  if (FThread) {
    FThread->Terminate();
    FThread->WaitFor();
    FThread.reset();
  }
  if (FWindow != nullptr) DeallocateHWnd(FWindow);
}

void TThemeNotifier::RegisterWindow(HWND handle) {
  if (!FThread) return;
  for (HWND known : FWindows) {
    if (known == handle) return;
  }
  FWindows.push_back(handle);
}

void TThemeNotifier::UnRegisterWindow(HWND handle) {
  if (!FThread) return;
  std::erase(FWindows, handle);
}

void TThemeNotifier::WindowProc(TMessage& message) {
  if (message.Msg == kWakeMessage) {
    Deliver();
  } else if (message.Msg == WM_OFFICETHEMECHANGE) {
    if (OnOfficeThemeChange) OnOfficeThemeChange(this);
  } else {
    message.Result = DefWindowProc(FWindow, message.Msg, message.WParam, message.LParam);
  }
}

// On the GUI thread: the notifier window first, then the registered windows in their order. A
// handler may register or unregister windows, so the list is walked as it was.
void TThemeNotifier::Deliver() {
  const AnsiString path = UTF8Encode(FKeyPath);
  const WPARAM root = reinterpret_cast<WPARAM>(HKEY_CURRENT_USER);
  const LPARAM text = reinterpret_cast<LPARAM>(path.c_str());
  SendMessage(FWindow, WM_OFFICETHEMECHANGE, root, text);
  const std::vector<HWND> windows = FWindows;
  for (HWND window : windows) SendMessage(window, WM_OFFICETHEMECHANGE, root, text);
}

TThemeNotifier* GetThemeNotifier(TComponent* owner) {
  if (gNotifier == nullptr) {
    TComponent* main = owner;
    if (Application != nullptr && Application->MainForm() != nullptr &&
        Application->MainForm()->HandleAllocated()) {
      main = Application->MainForm();
    }
    gNotifier = new TThemeNotifier(main);
  }
  return gNotifier;
}
