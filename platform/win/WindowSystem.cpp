#include "platform/win/WindowSystem.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/win/DragDrop.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSession.h"

namespace {

TWindowSystem* GCurrent = nullptr;

LRESULT DesktopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

HINSTANCE const HInstance = reinterpret_cast<HINSTANCE>(0x400000);

TWindowSystem::TWindowSystem(std::unique_ptr<TBackEnd> backEnd) : FBackEnd(std::move(backEnd)) {
  Monitors.push_back({{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true});
  FDesktop = std::make_shared<TWindow>();
  FDesktop->Handle = reinterpret_cast<HWND>(FNextHandle++);
  auto desktopClass = std::make_shared<TWindowClass>();
  desktopClass->Name = u"#32769";
  desktopClass->Proc = DesktopProc;
  FDesktop->Class = desktopClass;
  FDesktop->Proc = DesktopProc;
  FDesktop->Style = 0x10000000u | 0x80000000u;  // WS_VISIBLE | WS_POPUP
  FDesktop->Rect = Monitors[0].Bounds;
  FDesktop->Client = {0, 0, FDesktop->Rect.Width(), FDesktop->Rect.Height()};
  FWindows[reinterpret_cast<uintptr_t>(FDesktop->Handle)] = FDesktop;
  CursorPos = {Monitors[0].Bounds.Width() / 2, Monitors[0].Bounds.Height() / 2};
}

TWindowSystem::~TWindowSystem() {
  for (auto& [window, target] : DropTargets) target->Release();
  DropTargets.clear();
  // Windows left at the end of a session are dropped without messages: the objects behind their
  // window procedures may be gone already.
  for (auto& [handle, window] : FWindows) {
    window->Children.clear();
    window->Parent = nullptr;
    window->Owner = nullptr;
    window->Native.reset();
  }
}

TWindow* TWindowSystem::Find(HWND handle) const {
  auto it = FWindows.find(reinterpret_cast<uintptr_t>(handle));
  return it == FWindows.end() ? nullptr : it->second.get();
}

std::shared_ptr<TWindow> TWindowSystem::Hold(HWND handle) const {
  auto it = FWindows.find(reinterpret_cast<uintptr_t>(handle));
  return it == FWindows.end() ? nullptr : it->second;
}

std::shared_ptr<TWindow> TWindowSystem::NewWindow() {
  auto window = std::make_shared<TWindow>();
  window->Handle = reinterpret_cast<HWND>(FNextHandle++);
  FWindows[reinterpret_cast<uintptr_t>(window->Handle)] = window;
  return window;
}

void TWindowSystem::Forget(TWindow* window) {
  if (window->Parent) {
    auto& siblings = window->Parent->Children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    window->Parent = nullptr;
  }
  window->Destroyed = true;
  window->Native.reset();
  FWindows.erase(reinterpret_cast<uintptr_t>(window->Handle));
}

TWindowSystem& WindowSystem() {
  if (!GCurrent) throw EInvalidOperation(u"No window session is running");
  return *GCurrent;
}

bool HasWindowSystem() { return GCurrent != nullptr; }

bool WindowSessionRunning() { return GCurrent != nullptr; }

TWindowSession::TWindowSession(std::unique_ptr<TBackEnd> backEnd) {
  if (GCurrent) throw EInvalidOperation(u"A window session is running already");
  FSystem = std::make_unique<TWindowSystem>(std::move(backEnd));
  GCurrent = FSystem.get();
}

TWindowSession::~TWindowSession() {
  GCurrent = nullptr;
  FSystem.reset();
}

TBackEnd& TWindowSession::BackEnd() { return FSystem->BackEnd(); }

// --- Shared helpers ---------------------------------------------------------------------------

TWindow* TopLevelOf(TWindow* window) {
  while (window && window->Parent && !window->Parent->IsDesktop()) window = window->Parent;
  return window;
}

TRect ScreenRectOf(TWindow* window) {
  TRect r = window->Rect;
  if (window->Parent && !window->Parent->IsDesktop()) {
    TRect parentClient = ScreenClientOf(window->Parent);
    OffsetRect(r, parentClient.Left, parentClient.Top);
  }
  return r;
}

TRect ScreenClientOf(TWindow* window) {
  TRect outer = ScreenRectOf(window);
  TRect client = window->Client;
  OffsetRect(client, outer.Left, outer.Top);
  return client;
}

bool IsShowing(TWindow* window) {
  for (; window && !window->IsDesktop(); window = window->Parent)
    if (!(window->Style & WS_VISIBLE)) return false;
  return window != nullptr;
}

bool CanPaint(TWindow* window) {
  for (; window && !window->IsDesktop(); window = window->Parent)
    if (!(window->Style & WS_VISIBLE) || !window->Redraw) return false;
  return window != nullptr;
}

LRESULT DeliverMessage(TWindow* window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWindowSystem& system = WindowSystem();
  HWND handle = window->Handle;
  WNDPROC proc = window->Proc;
  for (size_t i = 0; i < system.Spies.size(); ++i) system.Spies[i](handle, message, wParam, lParam);
  if (!proc) return 0;
  return proc(handle, message, wParam, lParam);
}

void AddMessageSpy(TMessageSpy spy) { WindowSystem().Spies.push_back(std::move(spy)); }

void ClearMessageSpies() { WindowSystem().Spies.clear(); }

int BeepCount() { return WindowSystem().Beeps; }
