// A fixture for tests of the window layer: a headless session per test, windows of a test class
// whose messages a test can answer, and a log of the messages named windows receive.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/HeadlessBackEnd.h"
#include "platform/win/Input.h"
#include "platform/win/WinApi.h"

namespace wintest {

// A handler answers a message by returning true and setting the result; false lets the default
// window procedure answer.
using THandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

inline std::map<HWND, THandler>& Handlers() {
  static std::map<HWND, THandler> handlers;
  return handlers;
}

inline LRESULT TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = Handlers().find(window);
  if (it != Handlers().end() && it->second) {
    THandler handler = it->second;  // the handler may replace itself
    LRESULT result = 0;
    if (handler(message, wParam, lParam, result)) return result;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

inline std::string MessageName(UINT message) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"},         {WM_DESTROY, "WM_DESTROY"},
      {WM_MOVE, "WM_MOVE"},             {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"},     {WM_SETFOCUS, "WM_SETFOCUS"},
      {WM_KILLFOCUS, "WM_KILLFOCUS"},   {WM_ENABLE, "WM_ENABLE"},
      {WM_PAINT, "WM_PAINT"},           {WM_CLOSE, "WM_CLOSE"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_SETCURSOR, "WM_SETCURSOR"},   {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_NCCREATE, "WM_NCCREATE"},     {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"}, {WM_NCHITTEST, "WM_NCHITTEST"},
      {WM_NCPAINT, "WM_NCPAINT"},       {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_KEYDOWN, "WM_KEYDOWN"},       {WM_KEYUP, "WM_KEYUP"},
      {WM_CHAR, "WM_CHAR"},             {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_SYSKEYUP, "WM_SYSKEYUP"},     {WM_SYSCHAR, "WM_SYSCHAR"},
      {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"},   {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_LBUTTONUP, "WM_LBUTTONUP"},   {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
      {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
      {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"}, {WM_CANCELMODE, "WM_CANCELMODE"},
      {WM_GETTEXT, "WM_GETTEXT"},       {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
      {WM_SETTEXT, "WM_SETTEXT"},       {WM_USER, "WM_USER"},
  };
  auto it = names.find(message);
  if (it != names.end()) return it->second;
  if (message > WM_USER && message < WM_USER + 100) return "WM_USER+" + std::to_string(message - WM_USER);
  return "0x" + std::to_string(message);
}

class TWinTest : public ::testing::Test {
 public:
  static constexpr const char16_t* ClassName = u"TestWindow";

  TWinTest() {
    Handlers().clear();
    WNDCLASS windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = HInstance;
    windowClass.lpszClassName = ClassName;
    RegisterClass(windowClass);
    AddMessageSpy([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      Spy(window, message, wParam, lParam);
    });
  }
  ~TWinTest() override { Handlers().clear(); }

  void Answer(HWND window, THandler handler) { Handlers()[window] = std::move(handler); }

  THeadlessBackEnd& Script() { return Session.Headless(); }

  HWND TopLevel(const std::string& name, TRect bounds, DWORD style = WS_OVERLAPPEDWINDOW,
                HWND owner = nullptr, DWORD exStyle = 0) {
    HWND window = CreateWindowEx(exStyle, ClassName, S(name), style, bounds.Left, bounds.Top,
                                 bounds.Width(), bounds.Height(), owner, nullptr, HInstance,
                                 nullptr);
    Names[window] = name;
    return window;
  }
  HWND Child(const std::string& name, HWND parent, TRect bounds,
             DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, DWORD exStyle = 0) {
    HWND window = CreateWindowEx(exStyle, ClassName, S(name), style, bounds.Left, bounds.Top,
                                 bounds.Width(), bounds.Height(), parent, nullptr, HInstance,
                                 nullptr);
    Names[window] = name;
    return window;
  }
  // Logs these messages from now on, as "<window> <message>" (focus and activation messages
  // name the other window: "A WM_KILLFOCUS(B)").
  void Watch(std::vector<UINT> messages) {
    Watched = std::move(messages);
    Log.clear();
  }
  std::string NameOf(HWND window) const {
    if (!window) return "0";
    auto it = Names.find(window);
    return it == Names.end() ? "?" : it->second;
  }

  THeadlessSession Session;
  std::map<HWND, std::string> Names;
  std::vector<UINT> Watched;
  std::vector<std::string> Log;

 private:
  void Spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (std::find(Watched.begin(), Watched.end(), message) == Watched.end()) return;
    std::string entry = NameOf(window) + " " + MessageName(message);
    switch (message) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS: entry += "(" + NameOf(reinterpret_cast<HWND>(wParam)) + ")"; break;
      case WM_ACTIVATE:
        entry += "(" + std::string(LOWORD(wParam) == WA_INACTIVE ? "inactive" : LOWORD(wParam) == WA_CLICKACTIVE ? "click" : "active") +
                 ", " + NameOf(reinterpret_cast<HWND>(lParam)) + ")";
        break;
      case WM_NCACTIVATE: entry += wParam ? "(1)" : "(0)"; break;
      case WM_TIMER: entry += "(" + std::to_string(wParam) + ")"; break;
      case WM_CHAR:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP: entry += "(" + std::to_string(wParam) + ")"; break;
      default: break;
    }
    Log.push_back(entry);
  }
};

}  // namespace wintest
