// The tooltip control of the common controls, for what a grid asks of it: a window of class
// "Tooltips_Class32" with tools (a window's client area or a rectangle of it) whose text is given
// or asked for with TTN_GETDISPINFO, a title and icon, colours and a maximum width, the three
// delays, and a balloon look. With TTF_SUBCLASS it watches the tool window's mouse messages
// itself: the tip shows after the initial delay of rest over a tool, hides after the auto-pop
// delay or when the pointer leaves, and shows again after the reshow delay.
#pragma once

#include "platform/win/WinApi.h"

// The class name, as CreateWindowEx takes it once InitCommonControlsEx has registered it.
inline const String TOOLTIPS_CLASS = u"Tooltips_Class32";

constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;
constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
struct INITCOMMONCONTROLSEX {
  DWORD dwSize = sizeof(INITCOMMONCONTROLSEX);
  DWORD dwICC = 0;
};
// Registers the common control classes this layer has (the tooltip).
bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
void InitCommonControls();

constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;
constexpr DWORD TTS_BALLOON = 0x40;

constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_SUBCLASS = 0x0010;
constexpr UINT TTF_TRACK = 0x0020;
constexpr UINT TTF_ABSOLUTE = 0x0080;

// The text pointer that says "ask the tool's window with TTN_GETDISPINFO".
inline char16_t* const LPSTR_TEXTCALLBACK = reinterpret_cast<char16_t*>(static_cast<intptr_t>(-1));

struct TOOLINFO {
  UINT cbSize = 44;
  UINT uFlags = 0;
  HWND hwnd = nullptr;
  UINT_PTR uId = 0;
  TRect rect;
  HINSTANCE hinst = nullptr;
  char16_t* lpszText = nullptr;
  LPARAM lParam = 0;
};

constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_TRACKACTIVATE = WM_USER + 17;
constexpr UINT TTM_TRACKPOSITION = WM_USER + 18;
constexpr UINT TTM_SETTIPBKCOLOR = WM_USER + 19;
constexpr UINT TTM_SETTIPTEXTCOLOR = WM_USER + 20;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_GETMAXTIPWIDTH = WM_USER + 25;
constexpr UINT TTM_POP = WM_USER + 28;
constexpr UINT TTM_UPDATE = WM_USER + 29;
constexpr UINT TTM_SETTITLE = WM_USER + 33;
constexpr UINT TTM_ADDTOOL = WM_USER + 50;
constexpr UINT TTM_DELTOOL = WM_USER + 51;
constexpr UINT TTM_NEWTOOLRECT = WM_USER + 52;
constexpr UINT TTM_UPDATETIPTEXT = WM_USER + 57;

constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

// The icons of TTM_SETTITLE.
constexpr int TTI_NONE = 0;
constexpr int TTI_INFO = 1;
constexpr int TTI_WARNING = 2;
constexpr int TTI_ERROR = 3;

constexpr UINT TTN_FIRST = static_cast<UINT>(-520);
constexpr UINT TTN_GETDISPINFO = TTN_FIRST - 10;
constexpr UINT TTN_SHOW = TTN_FIRST - 1;
constexpr UINT TTN_POP = TTN_FIRST - 2;

// What TTN_GETDISPINFO carries: the handler points lpszText at its text (or fills szText).
struct NMTTDISPINFO {
  NMHDR hdr;
  char16_t* lpszText = nullptr;
  char16_t szText[80] = {};
  HINSTANCE hinst = nullptr;
  UINT uFlags = 0;
  LPARAM lParam = 0;
};

// For tests and painting: the state of a tooltip window (nullptr for another window).
struct TToolTipView {
  bool Shown = false;
  String Text;
  String Title;
  int Icon = TTI_NONE;
  COLORREF TextColor = 0;
  COLORREF BkColor = 0;
  int MaxWidth = -1;
  bool Balloon = false;
};
const TToolTipView* ToolTipView(HWND toolTip);
