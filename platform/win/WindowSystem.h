// The window layer's own state: the window objects, classes, queues, timers, focus, capture,
// keyboard and pointer state of one session. Only the window layer's sources include this header;
// everybody else uses the calls of WinApi.h.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Region.h"
#include "platform/rtl/Types.h"
#include "platform/win/BackEnd.h"
#include "platform/win/Messages.h"
#include "platform/win/WinApi.h"

class TDrawingLog;

struct TCursorObject {
  int Id = 0;     // IDC_* of a system cursor
  String Name;    // of a cursor the program made
};

struct TWindowClass {
  String Name;
  UINT Style = 0;
  WNDPROC Proc = nullptr;
  HINSTANCE Instance = nullptr;
  HICON Icon = nullptr;
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
};

struct TScrollBarState {
  int Min = 0;
  int Max = 100;
  UINT Page = 0;
  int Pos = 0;
  int TrackPos = 0;
  bool Enabled = true;
};

class TWindow {
 public:
  HWND Handle = nullptr;
  std::shared_ptr<TWindowClass> Class;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  // The desktop is the parent of every top-level window; only the desktop has none.
  TWindow* Parent = nullptr;
  TWindow* Owner = nullptr;
  // In z-order: the first child is on top.
  std::vector<TWindow*> Children;
  // The window rectangle in the parent's client coordinates (screen coordinates for top-level
  // windows) and the client rectangle in window coordinates.
  TRect Rect;
  TRect Client;
  // Where a minimized or maximized window returns to.
  TRect NormalRect;
  String Text;
  WNDPROC Proc = nullptr;
  HINSTANCE Instance = nullptr;
  LONG_PTR UserData = 0;
  LONG_PTR Id = 0;
  std::vector<std::pair<String, void*>> Props;

  // What is owed a paint: the invalid part of the client area (client coordinates), whether the
  // background must be erased, whether the frame must be drawn again.
  TRegionData Update;
  bool EraseOwed = false;
  bool FrameOwed = false;
  bool InternalPaint = false;
  // Counts BeginPaint calls, so the loop can tell a paint handler that never validated.
  unsigned PaintCount = 0;
  // Cleared by WM_SETREDRAW false: the window neither collects invalid areas nor paints.
  bool Redraw = true;
  // Non-client buttons: the hit code under a pressed left button.
  LRESULT PressedHit = HTNOWHERE;
  // Whether the frame shows the active look (WM_NCACTIVATE).
  bool NcActive = false;
  LRESULT UiState = 0;
  TScrollBarState Scroll[2];
  // Calls on device contexts of this window are recorded here when set.
  TDrawingLog* PaintLog = nullptr;
  std::unique_ptr<TNativeWindow> Native;
  // What the window shows while WS_EX_LAYERED is set (Layered.cpp).
  TLayeredLook Layered;
  bool Destroyed = false;

  bool IsDesktop() const { return Parent == nullptr; }
  bool IsChild() const { return (Style & 0x40000000u) != 0; }  // WS_CHILD
  bool IsTopLevel() const { return Parent != nullptr && Parent->IsDesktop(); }
  int Width() const { return Rect.Width(); }
  int Height() const { return Rect.Height(); }
};

// Keyboard, pointer and text input waiting to be retrieved by the message loop. The window that
// receives it is found when it is retrieved, as the focus and the pointer stand then.
struct TInputEvent {
  enum TKind { KeyEvent, CharEvent, MouseMove, MouseButton, Wheel };
  TKind Kind = KeyEvent;
  uint16_t Key = 0;      // virtual key or mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON)
  bool Down = false;
  char16_t Char = 0;
  int WheelDelta = 0;
  TPoint Pos;            // screen coordinates of pointer events
  uint64_t Time = 0;
};

struct TTimerEntry {
  HWND Window = nullptr;
  UINT_PTR Id = 0;
  UINT Interval = 0;
  TIMERPROC Proc = nullptr;
  uint64_t Due = 0;
};

struct TCaretState {
  HWND Owner = nullptr;
  int Width = 0;
  int Height = 0;
  TPoint Pos;
  int HideLevel = 1;  // a new caret is hidden until ShowCaret
};

struct TGlobalBlock;
class IDropTarget;
// The clipboard's content: the blocks by format, in the order they were set.
struct TClipboardState {
  ~TClipboardState();
  void Clear();
  bool Open = false;
  HWND Opener = nullptr;
  HWND Owner = nullptr;
  DWORD Sequence = 0;
  std::vector<std::pair<UINT, TGlobalBlock*>> Data;
};

struct TMonitorState {
  TRect Bounds;
  TRect WorkArea;
  bool Primary = false;
};


class TWindowSystem {
 public:
  explicit TWindowSystem(std::unique_ptr<TBackEnd> backEnd);
  ~TWindowSystem();
  TWindowSystem(const TWindowSystem&) = delete;
  TWindowSystem& operator=(const TWindowSystem&) = delete;

  TBackEnd& BackEnd() { return *FBackEnd; }
  uint64_t Now() { return FBackEnd->Now(); }

  // --- Windows ---
  TWindow* Desktop() { return FDesktop.get(); }
  // The window of a handle; nullptr for a handle that is no (longer a) window.
  TWindow* Find(HWND handle) const;
  std::shared_ptr<TWindow> Hold(HWND handle) const;
  std::shared_ptr<TWindow> NewWindow();
  // Takes the window out of the tree and the handle table; its object lives on while held.
  void Forget(TWindow* window);
  std::vector<std::shared_ptr<TWindowClass>> Classes;

  // --- Focus, activation, capture ---
  HWND Focus = nullptr;
  HWND Active = nullptr;
  HWND Capture = nullptr;
  HWND MouseTracked = nullptr;  // TrackMouseEvent(TME_LEAVE)
  HWND LastMouseWindow = nullptr;

  // --- Queues ---
  // Posted messages may come from other threads; everything else is the GUI thread's (the
  // thread that started the session).
  std::thread::id GuiThread = std::this_thread::get_id();
  std::mutex QueueLock;
  std::deque<MSG> Posted;
  bool QuitPosted = false;
  int QuitCode = 0;
  std::deque<TInputEvent> Input;
  // The time and pointer position of the message last retrieved.
  DWORD MessageTime = 0;
  TPoint MessagePos;
  int PaintDepth = 0;

  // --- Timers ---
  std::vector<TTimerEntry> Timers;
  UINT_PTR NextThreadTimerId = 1;

  // --- Keyboard and pointer ---
  // The key state as the retrieved messages have left it (GetKeyState), and as the input has
  // left it (GetAsyncKeyState): bit 0x80 down, bit 0x01 toggled.
  uint8_t KeyState[256] = {};
  uint8_t AsyncKeyState[256] = {};
  TPoint CursorPos;
  HCURSOR Cursor = nullptr;
  // The last button press, for double clicks.
  HWND LastClickWindow = nullptr;
  UINT LastClickMessage = 0;
  uint64_t LastClickTime = 0;
  TPoint LastClickPos;
  TCaretState Caret;

  // --- The rest ---
  std::vector<String> RegisteredMessages;
  std::vector<TMonitorState> Monitors;
  std::vector<TMessageSpy> Spies;
  std::vector<std::unique_ptr<TCursorObject>> NamedCursors;
  TClipboardState Clipboard;
  // The drop targets windows registered, each holding a reference.
  std::vector<std::pair<HWND, IDropTarget*>> DropTargets;
  bool Dragging = false;
  int Beeps = 0;

 private:
  std::unique_ptr<TBackEnd> FBackEnd;
  std::shared_ptr<TWindow> FDesktop;
  std::unordered_map<uintptr_t, std::shared_ptr<TWindow>> FWindows;
  uintptr_t FNextHandle = 0x10000;
};

// The window system of the running session; raises EInvalidOperation when there is none.
TWindowSystem& WindowSystem();
bool HasWindowSystem();

// --- Helpers the window layer's sources share ---

// The top-level window that holds the window (itself for a top-level window).
TWindow* TopLevelOf(TWindow* window);
// Brings the window's layered look in line with WS_EX_LAYERED (cleared: not layered; newly set:
// showing nothing until an image or attributes come) and tells its native window.
void ApplyLayeredStyle(TWindow* window);
// The window's rectangle and its client rectangle in screen coordinates.
TRect ScreenRectOf(TWindow* window);
TRect ScreenClientOf(TWindow* window);
// Whether the window and all its ancestors are visible.
bool IsShowing(TWindow* window);
// Whether the window and its ancestors show and allow painting (WM_SETREDRAW).
bool CanPaint(TWindow* window);
// Sends a message to a window procedure, telling the spies first.
LRESULT DeliverMessage(TWindow* window, UINT message, WPARAM wParam, LPARAM lParam);
// Recomputes the client rectangle with WM_NCCALCSIZE.
void RecalcClient(TWindow* window);
// Activates a top-level window because of a click (WA_CLICKACTIVE).
HWND ActivateByClick(HWND window);
// Moves the active window away from a window that is hidden, disabled or destroyed.
void ActivateOtherWindow(TWindow* leaving);
// Takes the focus, capture and activation away from a window that goes (hidden or destroyed).
void ReleaseWindowState(TWindow* window, bool destroying);
// Marks the area uncovered when a child moves or hides as owing a paint in its parent (and in
// the siblings there).
void InvalidateInParent(TWindow* window, const TRect& rectInParent);
// Marks the whole window (frame, client area and children) as owing a paint.
void InvalidateWhole(TWindow* window);
// Brings a top-level window to the top of its band (topmost or not), with the windows it owns
// above it; no messages.
void RaiseTopLevel(TWindow* window);
// The next input event turned into a message, when one is waiting; false when none.
bool TakeInputMessage(MSG& msg, HWND filter, UINT first, UINT last, bool remove);
// The next paint or timer message, when one is due.
bool TakePaintMessage(MSG& msg, HWND filter, bool remove);
bool TakeTimerMessage(MSG& msg, HWND filter, bool remove);
// The due time of the next timer; UINT64_MAX when none runs.
uint64_t NextTimerDue();
void KillWindowTimers(HWND window);
// The widths of the frame (and the caption's height) that the styles give a window.
TRect FrameInsets(DWORD style, DWORD exStyle);
void DestroyCaretOf(HWND window);
// Lets go of a window's drop target (the window goes).
void RevokeDropTarget(HWND window);
// The registered drop target of our window under a screen point, or of its nearest ancestor
// that has one; nullptr when there is none.
IDropTarget* DropTargetAt(TPoint screen);
