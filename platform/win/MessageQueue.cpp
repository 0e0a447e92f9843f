// Sending, posting, retrieving, translating and dispatching messages.
#include <algorithm>

#include "platform/rtl/TextCompare.h"
#include "platform/win/Keyboard.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

bool InRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

// A window filter takes the window's own messages and its descendants'; (HWND)-1 takes only the
// loop's own messages (posted without a window).
bool MatchesWindow(HWND messageWindow, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return messageWindow == nullptr;
  return messageWindow == filter || IsChild(filter, messageWindow);
}

bool TakePosted(MSG& msg, HWND filter, UINT first, UINT last, bool remove) {
  TWindowSystem& system = WindowSystem();
  std::lock_guard<std::mutex> lock(system.QueueLock);
  auto& posted = system.Posted;
  auto it = std::find_if(posted.begin(), posted.end(), [&](const MSG& m) {
    return MatchesWindow(m.hwnd, filter) && InRange(m.message, first, last);
  });
  if (it == posted.end()) return false;
  msg = *it;
  if (remove) posted.erase(it);
  return true;
}

bool TakeQuit(MSG& msg, UINT first, UINT last, bool remove) {
  TWindowSystem& system = WindowSystem();
  std::lock_guard<std::mutex> lock(system.QueueLock);
  if (!system.QuitPosted || !InRange(WM_QUIT, first, last)) return false;
  msg = MSG{};
  msg.message = WM_QUIT;
  msg.wParam = static_cast<WPARAM>(system.QuitCode);
  if (remove) system.QuitPosted = false;
  return true;
}

}  // namespace

LRESULT SendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<TWindow> window = WindowSystem().Hold(handle);
  if (!window) return 0;
  return DeliverMessage(window.get(), message, wParam, lParam);
}

bool PostMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  TWindowSystem& system = WindowSystem();
  MSG msg;
  msg.hwnd = handle;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  // Another thread may only queue: the window table, the clock and the pointer belong to the
  // GUI thread, and a message for a window that has gone is dropped when it is dispatched.
  if (std::this_thread::get_id() == system.GuiThread) {
    if (handle && !system.Find(handle)) return false;
    msg.time = static_cast<DWORD>(system.Now());
    msg.pt = system.CursorPos;
  }
  std::lock_guard<std::mutex> lock(system.QueueLock);
  system.Posted.push_back(msg);
  return true;
}

void PostQuitMessage(int exitCode) {
  TWindowSystem& system = WindowSystem();
  std::lock_guard<std::mutex> lock(system.QueueLock);
  system.QuitPosted = true;
  system.QuitCode = exitCode;
}

bool PeekMessage(MSG* msg, HWND filter, UINT first, UINT last, UINT removeFlags) {
  TWindowSystem& system = WindowSystem();
  bool remove = (removeFlags & PM_REMOVE) != 0;
  MSG found;
  // Input that reaches no window may post a message (WM_MOUSELEAVE): look at the posted ones again.
  bool got = TakePosted(found, filter, first, last, remove) ||
             TakeQuit(found, first, last, remove) ||
             TakeInputMessage(found, filter, first, last, remove) ||
             TakePosted(found, filter, first, last, remove) ||
             (InRange(WM_PAINT, first, last) && TakePaintMessage(found, filter, remove)) ||
             (InRange(WM_TIMER, first, last) && TakeTimerMessage(found, filter, remove));
  if (!got) return false;
  if (remove) {
    system.MessageTime = found.time;
    system.MessagePos = found.pt;
  }
  if (msg) *msg = found;
  return true;
}

bool WaitMessage() {
  TWindowSystem& system = WindowSystem();
  if (PeekMessage(nullptr, nullptr, 0, 0, PM_NOREMOVE)) return true;
  system.BackEnd().WaitForInput(NextTimerDue());
  return true;
}

bool GetMessage(MSG* msg, HWND filter, UINT first, UINT last) {
  MSG found;
  while (!PeekMessage(&found, filter, first, last, PM_REMOVE))
    WindowSystem().BackEnd().WaitForInput(NextTimerDue());
  if (msg) *msg = found;
  return found.message != WM_QUIT;
}

bool TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return false;
  TWindowSystem& system = WindowSystem();
  char16_t ch = CharFromKey(static_cast<uint16_t>(msg->wParam), system.KeyState);
  if (!ch) return false;
  MSG charMsg = *msg;
  charMsg.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  charMsg.wParam = ch;
  std::lock_guard<std::mutex> lock(system.QueueLock);
  system.Posted.push_front(charMsg);
  return true;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  TWindowSystem& system = WindowSystem();
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(system.Now()));
    return 0;
  }
  if (!msg->hwnd) return 0;
  std::shared_ptr<TWindow> window = system.Hold(msg->hwnd);
  if (!window) return 0;
  unsigned paintsBefore = window->PaintCount;
  LRESULT result = DeliverMessage(window.get(), msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT && !window->Destroyed && window->PaintCount == paintsBefore) {
    // A paint handler that never validated would be asked again at once, for ever; the loop
    // takes its paint as done.
    window->Update = TRegionData();
    window->EraseOwed = false;
    window->FrameOwed = false;
    window->InternalPaint = false;
  }
  return result;
}

LRESULT CallWindowProc(WNDPROC proc, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(handle, message, wParam, lParam);
}

UINT RegisterWindowMessage(const String& name) {
  if (name.empty()) return 0;
  auto& names = WindowSystem().RegisteredMessages;
  for (size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], name)) return WM_REGISTERED_FIRST + static_cast<UINT>(i);
  names.push_back(name);
  return WM_REGISTERED_FIRST + static_cast<UINT>(names.size() - 1);
}

DWORD GetMessageTime() { return WindowSystem().MessageTime; }

TPoint GetMessagePos() { return WindowSystem().MessagePos; }
