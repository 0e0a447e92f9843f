// The window calls: classes and windows, the window tree and coordinates, messages and the
// message queue, focus, activation and capture, keyboard and pointer state, cursors, the caret,
// timers, painting, scroll bars, system metrics and monitors. They keep the system's names and
// meanings; text parameters are String, and a few calls return what the system would write into a
// caller's buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Types.h"
#include "platform/win/Messages.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WinDefs.h"
#include "platform/win/WindowStyles.h"

// The program's one module.
extern HINSTANCE const HInstance;

// Whether a window session runs (objects that outlive it skip their window calls).
bool WindowSessionRunning();

// --- Window classes -----------------------------------------------------------------------------

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  String lpszMenuName;
  String lpszClassName;
};

// Registers a class; 0 when a class of that name (ignoring case) is registered already.
ATOM RegisterClass(const WNDCLASS& windowClass);
// Fails while windows of the class exist.
bool UnregisterClass(const String& className, HINSTANCE instance);
bool GetClassInfo(HINSTANCE instance, const String& className, WNDCLASS* out);
String GetClassName(HWND window);

// --- Windows ------------------------------------------------------------------------------------

// What WM_NCCREATE and WM_CREATE carry in LPARAM.
struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  DWORD style = 0;
  String lpszName;
  String lpszClass;
  DWORD dwExStyle = 0;
};

// The position given as CW_USEDEFAULT lets the system place a top-level window.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Creates a window: WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE and WM_MOVE, then (with
// WS_VISIBLE) shows it. A child (WS_CHILD) lives in its parent's client area; any other window is
// top-level and `parent` is its owner. For a child, `menu` is its identifier. Returns nullptr when
// the class is unknown, the parent is no window, or WM_NCCREATE / WM_CREATE refuse.
HWND CreateWindowEx(DWORD exStyle, const String& className, const String& windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param);
// Hides the window, sends WM_DESTROY to it and then to its children, destroys the windows it owns
// and ends with WM_NCDESTROY.
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);
// Whether the window and its ancestors have WS_VISIBLE.
bool IsWindowVisible(HWND window);
bool IsWindowEnabled(HWND window);
// Returns whether the window was disabled before.
bool EnableWindow(HWND window, bool enable);
// Returns whether the window was visible before.
bool ShowWindow(HWND window, int command);
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint);
bool BringWindowToTop(HWND window);
bool IsIconic(HWND window);
bool IsZoomed(HWND window);

bool GetWindowRect(HWND window, TRect* rect);
bool GetClientRect(HWND window, TRect* rect);
bool ClientToScreen(HWND window, TPoint* point);
bool ScreenToClient(HWND window, TPoint* point);
// Maps points from one window's client coordinates to another's (nullptr: the screen).
int MapWindowPoints(HWND from, HWND to, TPoint* points, int count);
// The deepest visible, enabled window under a screen point; nullptr over no window.
HWND WindowFromPoint(TPoint point);
// The child of `parent` under a point of its client area (not hidden, not disabled); the parent
// itself when no child is there, nullptr outside it.
HWND ChildWindowFromPoint(HWND parent, TPoint point);

// A child's parent, or a popup's owner; nullptr for other top-level windows.
HWND GetParent(HWND window);
// Makes the window a child of a new parent (nullptr: top-level). Returns the old parent.
HWND SetParent(HWND window, HWND newParent);
HWND GetAncestor(HWND window, UINT kind);
HWND GetWindow(HWND window, UINT relation);
HWND GetTopWindow(HWND window);
bool IsChild(HWND parent, HWND window);
HWND GetDesktopWindow();
// Calls back for each top-level window, top of the z-order first, until the callback says false.
bool EnumWindows(const std::function<bool(HWND window)>& callback);

LONG_PTR GetWindowLongPtr(HWND window, int index);
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
String GetWindowText(HWND window);
int GetWindowTextLength(HWND window);
bool SetWindowText(HWND window, const String& text);
bool SetProp(HWND window, const String& name, void* data);
void* GetProp(HWND window, const String& name);
void* RemoveProp(HWND window, const String& name);

// --- Layered windows ----------------------------------------------------------------------------
// A top-level window with WS_EX_LAYERED shows nothing until it is given either an image of its
// own (UpdateLayeredWindow: per-pixel alpha, a constant alpha, a colour key) or attributes for
// what it paints (SetLayeredWindowAttributes: a constant alpha and a colour key). Once it has
// attributes, UpdateLayeredWindow fails until WS_EX_LAYERED is cleared and set again.

struct BLENDFUNCTION {
  BYTE BlendOp = 0;
  BYTE BlendFlags = 0;
  BYTE SourceConstantAlpha = 255;
  BYTE AlphaFormat = 0;
};
constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;  // the source's own alpha (premultiplied) counts

constexpr DWORD ULW_COLORKEY = 0x00000001;
constexpr DWORD ULW_ALPHA = 0x00000002;
constexpr DWORD ULW_OPAQUE = 0x00000004;
constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;

// Moves (dstPos, screen) and sizes (size) the window when given, and takes size pixels of src
// from srcPos (logical; (0, 0) when null) as its image; src may be null to change only the
// position, key or blend. dst is not used. False for a window that is not layered, has
// attributes, or for unknown flags, ULW_ALPHA without a blend or an empty size.
bool UpdateLayeredWindow(HWND window, HDC dst, const TPoint* dstPos, const TSize* size, HDC src,
                         const TPoint* srcPos, COLORREF key, const BLENDFUNCTION* blend,
                         DWORD flags);
bool SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
// False for a window whose attributes were never set.
bool GetLayeredWindowAttributes(HWND window, COLORREF* key, BYTE* alpha, DWORD* flags);

// --- Messages -----------------------------------------------------------------------------------

// Calls the window procedure at once and returns its answer (0 for a handle that is no window).
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues a message; it is delivered by the message loop after the current handler. A null window
// makes a message for the loop itself. False for a handle that is neither null nor a window.
bool PostMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void PostQuitMessage(int exitCode);
// Retrieves, in this order: posted messages, WM_QUIT, input, WM_PAINT, WM_TIMER. A window filter
// takes only that window's (and its children's) messages; a range filters the numbers (0, 0: all).
bool PeekMessage(MSG* msg, HWND window, UINT first, UINT last, UINT removeFlags);
// Waits until a message is there; false for WM_QUIT.
bool GetMessage(MSG* msg, HWND window, UINT first, UINT last);
// Waits until the queue holds something (input, a posted message, a paint or a timer that is due).
bool WaitMessage();
// Turns a key press into WM_CHAR (or WM_SYSCHAR) by the keyboard layout, queued next.
bool TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
LRESULT CallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// One number per name (ignoring case), from 0xC000 on.
UINT RegisterWindowMessage(const String& name);
DWORD GetMessageTime();
TPoint GetMessagePos();

// --- Timers -------------------------------------------------------------------------------------

// Starts (or restarts) a timer; WM_TIMER arrives through the message loop every `elapse`
// milliseconds of the session's clock (at least USER_TIMER_MINIMUM), never queued twice. Without
// a window the system chooses the identifier. Returns the identifier, 0 on failure.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
bool KillTimer(HWND window, UINT_PTR id);
// The session's clock in milliseconds (the virtual clock of the headless back end).
uint64_t WindowClockNow();

// --- Focus, activation and capture --------------------------------------------------------------

// Gives the keyboard focus to a window, activating its top-level window first. The window that
// loses it receives WM_KILLFOCUS (with the new one), then the window receives WM_SETFOCUS (with
// the old one). Returns the previous focus window.
HWND SetFocus(HWND window);
HWND GetFocus();
// Activates a top-level window: the old one receives WM_NCACTIVATE and WM_ACTIVATE (inactive),
// then the new one WM_NCACTIVATE and WM_ACTIVATE; the focus moves into the new one. Returns the
// previously active window.
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND window);
HWND GetForegroundWindow();
// Routes the pointer to the window until released; the window losing it receives
// WM_CAPTURECHANGED.
HWND SetCapture(HWND window);
bool ReleaseCapture();
HWND GetCapture();

constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
};
// Asks for WM_MOUSELEAVE when the pointer leaves the window.
bool TrackMouseEvent(TRACKMOUSEEVENT* track);

// --- Keyboard and pointer state -----------------------------------------------------------------

// Negative while the key is down as far as the retrieved messages go; bit 0 is the toggle.
int16_t GetKeyState(int virtualKey);
// Negative while the key is down now.
int16_t GetAsyncKeyState(int virtualKey);
bool GetKeyboardState(uint8_t state[256]);
bool GetCursorPos(TPoint* point);
// Moves the pointer; the window under it receives a mouse move.
bool SetCursorPos(int x, int y);
UINT GetDoubleClickTime();
bool MessageBeep(UINT type);

// --- Cursors ------------------------------------------------------------------------------------

constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_UPARROW = 32516;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;
constexpr int IDC_APPSTARTING = 32650;
constexpr int IDC_HELP = 32651;

// The system cursor of an IDC_* number (nullptr for an unknown one).
HCURSOR LoadCursor(HINSTANCE instance, int id);
// A cursor the program makes by name (the drag, split and no-drop shapes of the class library);
// the same name gives the same cursor.
HCURSOR CreateNamedCursor(const String& name);
// The IDC_* number of a system cursor, or 0; and the name of a named one.
int CursorId(HCURSOR cursor);
String CursorName(HCURSOR cursor);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// --- The caret ----------------------------------------------------------------------------------

// One caret per session, owned by a window; created hidden.
bool CreateCaret(HWND window, HBITMAP bitmap, int width, int height);
bool DestroyCaret();
// Showing and hiding nest: the caret shows when every HideCaret has been matched by ShowCaret.
bool ShowCaret(HWND window);
bool HideCaret(HWND window);
bool SetCaretPos(int x, int y);
bool GetCaretPos(TPoint* point);
// Whether the caret exists and shows, and its size (for tests and back ends).
bool IsCaretShowing();
TSize GetCaretSize();
HWND GetCaretOwner();
UINT GetCaretBlinkTime();

// --- Painting -----------------------------------------------------------------------------------

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  bool fErase = false;
  TRect rcPaint;
};

// Starts painting the invalid part of the client area: sends WM_NCPAINT and WM_ERASEBKGND when
// owed, validates, and returns a context clipped to what was invalid.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
bool EndPaint(HWND window, const PAINTSTRUCT* paint);
// A context over the client area (GetDC) or the whole window (GetWindowDC); ReleaseDC frees it.
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// rect: client coordinates, nullptr for the whole client area.
bool InvalidateRect(HWND window, const TRect* rect, bool erase);
bool InvalidateRgn(HWND window, HRGN region, bool erase);
bool ValidateRect(HWND window, const TRect* rect);
bool ValidateRgn(HWND window, HRGN region);
// Paints the window now (WM_PAINT) when part of it is invalid.
bool UpdateWindow(HWND window);
bool RedrawWindow(HWND window, const TRect* rect, HRGN region, UINT flags);
bool GetUpdateRect(HWND window, TRect* rect, bool erase);
// Copies the invalid region into `region`; NULLREGION, SIMPLEREGION or COMPLEXREGION.
int GetUpdateRgn(HWND window, HRGN region, bool erase);
// Moves the client area's pixels and children, and invalidates what is uncovered.
bool ScrollWindow(HWND window, int dx, int dy, const TRect* scrollRect, const TRect* clipRect);
// Records every drawing call made on this window's contexts into log (nullptr: stop).
void SetWindowPaintLog(HWND window, TDrawingLog* log);
// The surface of the window's top-level window and where the window lies on it.
cairo_surface_t* GetWindowSurface(HWND window, TPoint* windowOrigin);

// --- Scroll bars --------------------------------------------------------------------------------

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};
constexpr UINT ESB_ENABLE_BOTH = 0;
constexpr UINT ESB_DISABLE_BOTH = 3;

int SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, bool redraw);
bool GetScrollInfo(HWND window, int bar, SCROLLINFO* info);
int SetScrollPos(HWND window, int bar, int pos, bool redraw);
int GetScrollPos(HWND window, int bar);
bool SetScrollRange(HWND window, int bar, int min, int max, bool redraw);
bool GetScrollRange(HWND window, int bar, int* min, int* max);
// Shows or hides a scroll bar of the window (WS_HSCROLL / WS_VSCROLL), resizing its client area.
bool ShowScrollBar(HWND window, int bar, bool show);
bool EnableScrollBar(HWND window, UINT bar, UINT arrows);

// --- System metrics and monitors ----------------------------------------------------------------

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXMIN = 28;
constexpr int SM_CYMIN = 29;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXMINTRACK = 34;
constexpr int SM_CYMINTRACK = 35;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXFIXEDFRAME = 7;
constexpr int SM_CYFIXEDFRAME = 8;
constexpr int SM_CXSIZEFRAME = 32;
constexpr int SM_CYSIZEFRAME = 33;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXSMSIZE = 52;
constexpr int SM_CYSMSIZE = 53;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
constexpr int SM_MOUSEWHEELPRESENT = 75;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;
constexpr int SM_CXFOCUSBORDER = 83;
constexpr int SM_CYFOCUSBORDER = 84;

int GetSystemMetrics(int index);
// Grows a client rectangle into the window rectangle the styles give it.
bool AdjustWindowRectEx(TRect* rect, DWORD style, bool menu, DWORD exStyle);

constexpr UINT SPI_GETWORKAREA = 0x0030;
constexpr UINT SPI_GETKEYBOARDCUES = 0x100A;
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;
constexpr UINT SPI_GETFLATMENU = 0x1022;
constexpr UINT SPI_GETDROPSHADOW = 0x1024;
// Answers the few parameters components read; false for any other.
bool SystemParametersInfo(UINT action, UINT param, void* out, UINT winIni);

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;
struct MONITORINFO {
  DWORD cbSize = sizeof(MONITORINFO);
  TRect rcMonitor;
  TRect rcWork;
  DWORD dwFlags = 0;
};
HMONITOR MonitorFromPoint(TPoint point, DWORD flags);
HMONITOR MonitorFromRect(const TRect& rect, DWORD flags);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info);
int MonitorCount();
HMONITOR MonitorByIndex(int index);

// The screen of the session: its monitors with their work areas (the first is the primary one).
// A session starts with one monitor of 1920 x 1080 whose work area leaves 40 pixels at the bottom.
struct TMonitorSetup {
  TRect Bounds;
  TRect WorkArea;
};
void SetMonitors(const std::vector<TMonitorSetup>& monitors);

// --- Watching messages (tests) ----------------------------------------------------------------

// Observes every message a window procedure receives, sent or dispatched, before it runs.
using TMessageSpy = std::function<void(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
void AddMessageSpy(TMessageSpy spy);
void ClearMessageSpies();
// How many times the session beeped (a click on a disabled window, MessageBeep).
int BeepCount();

// --- Popup menus (the raw calls; menus of the class library are TPopupMenu) ------------------------

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

HMENU CreatePopupMenu();
bool DestroyMenu(HMENU menu);
bool IsMenu(HMENU menu);
bool AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const String& text);
// position: an index with MF_BYPOSITION (-1 or past the end appends), else the id of the item the
// new one goes before.
bool InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const String& text);
int GetMenuItemCount(HMENU menu);
// -1 for a separator or a position with no item.
int GetMenuItemID(HMENU menu, int position);
// Return the item's previous state, or -1 when there is no such item.
int EnableMenuItem(HMENU menu, UINT item, UINT flags);
int CheckMenuItem(HMENU menu, UINT item, UINT flags);
// Shows the menu with its corner at a screen point and returns when it closes: an item chosen by
// the mouse (the button TPM_RIGHTBUTTON names, or the left one), Enter or its "&" letter, or
// closed by Escape or a press elsewhere. With TPM_RETURNCMD the chosen id is returned (0 for
// none); otherwise the choice is posted to `owner` as WM_COMMAND and the result says whether there
// was one.
int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const TRect* rect);
