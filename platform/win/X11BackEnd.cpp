// The X11 back end: the connection, the event loop and what the window layer asks of the desktop.
#include "platform/win/X11BackEnd.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/rtl/TickCount.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/DragFormats.h"
#include "platform/win/Input.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

#include "platform/win/X11Connection.h"
#include <X11/XKBlib.h>
#include <X11/Xresource.h>
#include <X11/cursorfont.h>

extern char** environ;

namespace {

// A request the server refuses (a window gone meanwhile, focus on a window not yet shown) is
// no reason to end the program, which is what Xlib does by default.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The double-click time the desktop's resources set, or the usual half second.
UINT ReadDoubleClickTime(Display* dpy) {
  const char* resources = XResourceManagerString(dpy);
  if (!resources) return 500;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  UINT time = 500;
  char* type = nullptr;
  XrmValue value{};
  if (database && XrmGetResource(database, "multiClickTime", "MultiClickTime", &type, &value) &&
      value.addr) {
    long parsed = std::strtol(value.addr, nullptr, 10);
    if (parsed > 0 && parsed < 5000) time = static_cast<UINT>(parsed);
  }
  if (database) XrmDestroyDatabase(database);
  return time;
}

TX11Window* NativeOf(HWND handle) {
  TWindow* window = handle ? WindowSystem().Find(handle) : nullptr;
  return window && window->Native ? dynamic_cast<TX11Window*>(window->Native.get()) : nullptr;
}

unsigned FontCursorOf(int id) {
  switch (id) {
    case IDC_IBEAM: return XC_xterm;
    case IDC_WAIT: return XC_watch;
    case IDC_APPSTARTING: return XC_watch;
    case IDC_CROSS: return XC_crosshair;
    case IDC_UPARROW: return XC_sb_up_arrow;
    case IDC_SIZENWSE: return XC_bottom_right_corner;
    case IDC_SIZENESW: return XC_bottom_left_corner;
    case IDC_SIZEWE: return XC_sb_h_double_arrow;
    case IDC_SIZENS: return XC_sb_v_double_arrow;
    case IDC_SIZEALL: return XC_fleur;
    case IDC_NO: return XC_X_cursor;
    case IDC_HAND: return XC_hand2;
    case IDC_HELP: return XC_question_arrow;
    default: return XC_left_ptr;
  }
}

bool PostedMessageWaits() {
  TWindowSystem& system = WindowSystem();
  std::lock_guard<std::mutex> lock(system.QueueLock);
  return !system.Posted.empty() || system.QuitPosted;
}

void NoteTime(TX11Connection& x, const XEvent& event) {
  switch (event.type) {
    case KeyPress: case KeyRelease: x.LastTime = event.xkey.time; break;
    case ButtonPress: case ButtonRelease: x.LastTime = event.xbutton.time; break;
    case MotionNotify: x.LastTime = event.xmotion.time; break;
    case EnterNotify: case LeaveNotify: x.LastTime = event.xcrossing.time; break;
    case PropertyNotify: x.LastTime = event.xproperty.time; break;
    default: break;
  }
}

// The X focus follows the window layer's active window (the layer activates windows itself:
// when a form shows, when a modal form ends).
void SyncFocus(TX11Connection& x) {
  HWND active = GetActiveWindow();
  if (active == x.FocusedActive) return;
  TX11Window* native = NativeOf(active);
  if (!native) {
    x.FocusedActive = active;
    return;
  }
  if (!native->Viewable() || native->OverrideRedirect()) return;
  XSetInputFocus(x.Dpy, native->XId(), RevertToParent, CurrentTime);
  x.FocusedActive = active;
}

void Dispatch(TX11Connection& x, XEvent& event) {
  if (XFilterEvent(&event, None)) return;  // the input method took it (a compose sequence)
  NoteTime(x, event);
  if (HandleDragEvent(x, event)) return;
  if (HandleClipboardEvent(x, event)) return;
  TX11Window* window = x.WindowOf(event.xany.window);
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      FeedKeyEvent(x, window, event.xkey);
      break;
    case ButtonPress:
    case ButtonRelease: {
      if (!window) break;
      TPoint at = window->ToScreen(event.xbutton.x, event.xbutton.y);
      bool down = event.type == ButtonPress;
      switch (event.xbutton.button) {
        case Button1: InjectMouseButton(TMouseButtonId::Left, down, at); break;
        case Button2: InjectMouseButton(TMouseButtonId::Middle, down, at); break;
        case Button3: InjectMouseButton(TMouseButtonId::Right, down, at); break;
        case Button4: if (down) InjectMouseWheel(WHEEL_DELTA, at); break;
        case Button5: if (down) InjectMouseWheel(-WHEEL_DELTA, at); break;
        default: return;  // sideways scrolling and extra buttons: nothing here uses them
      }
      x.Fed = true;
      break;
    }
    case MotionNotify: {
      if (!window) break;
      // Only where the pointer is now matters: older moves are skipped.
      while (XCheckTypedWindowEvent(x.Dpy, event.xany.window, MotionNotify, &event)) {
      }
      InjectMouseMove(window->ToScreen(event.xmotion.x, event.xmotion.y));
      x.Fed = true;
      break;
    }
    case LeaveNotify:
      // The pointer's new place tells the window layer that it left (WM_MOUSELEAVE).
      if (window && event.xcrossing.mode == NotifyNormal) {
        InjectMouseMove(window->ToScreen(event.xcrossing.x, event.xcrossing.y));
        x.Fed = true;
      }
      break;
    case Expose:
      if (window) window->Exposed(event.xexpose);
      break;
    case ConfigureNotify:
      if (window) {
        window->Configured();
        x.Fed = true;
      }
      break;
    case MapNotify:
      if (window) {
        window->Mapped(true);
        if (window->Handle() == GetActiveWindow()) x.FocusedActive = nullptr;
      }
      break;
    case UnmapNotify:
      if (window) window->Mapped(false);
      break;
    case FocusIn:
      if (window && window->InputContext()) XSetICFocus(window->InputContext());
      if (window &&
          (event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed)) {
        HWND handle = window->Handle();
        if (!IsWindowEnabled(handle)) {
          // A form a modal form disables: the focus goes back to the modal one.
          x.FocusedActive = nullptr;
        } else if (GetActiveWindow() != handle && !window->OverrideRedirect()) {
          SetActiveWindow(handle);
          x.FocusedActive = handle;
        }
        x.Fed = true;
      }
      break;
    case FocusOut:
      if (window && window->InputContext()) XUnsetICFocus(window->InputContext());
      // Keys held while the focus leaves never report their release to us.
      if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior)
        ReleaseKeysDown(x);
      break;
    case ClientMessage:
      if (window && event.xclient.message_type == x.WmProtocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == x.WmDeleteWindow) {
        // The window manager's close button closes the form as its own would, unless a modal
        // form has disabled it.
        HWND handle = window->Handle();
        if (IsWindowEnabled(handle)) PostMessage(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        x.Fed = true;
      }
      break;
    case MappingNotify:
      XRefreshKeyboardMapping(&event.xmapping);
      break;
    default:
      break;
  }
}

}  // namespace

TX11BackEnd::TX11BackEnd() : FX(std::make_unique<TX11Connection>()) {
  TX11Connection& x = *FX;
  x.Dpy = XOpenDisplay(nullptr);
  if (!x.Dpy) throw EX11Error(u"Cannot open the X display");
  XSetErrorHandler(IgnoreXError);
  x.ScreenNo = DefaultScreen(x.Dpy);
  x.Root = RootWindow(x.Dpy, x.ScreenNo);
  XVisualInfo info{};
  if (!XMatchVisualInfo(x.Dpy, x.ScreenNo, 24, TrueColor, &info) || info.red_mask != 0xff0000 ||
      info.green_mask != 0x00ff00 || info.blue_mask != 0x0000ff) {
    XCloseDisplay(x.Dpy);
    x.Dpy = nullptr;
    throw EX11Error(u"The X display offers no 24-bit true-colour visual");
  }
  x.Vis = info.visual;
  x.Depth = info.depth;
  x.Cmap = XCreateColormap(x.Dpy, x.Root, x.Vis, AllocNone);
  auto atom = [&](const char* name) { return XInternAtom(x.Dpy, name, False); };
  x.WmProtocols = atom("WM_PROTOCOLS");
  x.WmDeleteWindow = atom("WM_DELETE_WINDOW");
  x.NetWmName = atom("_NET_WM_NAME");
  x.Utf8String = atom("UTF8_STRING");
  x.NetWmWindowType = atom("_NET_WM_WINDOW_TYPE");
  x.NetWmTypeDialog = atom("_NET_WM_WINDOW_TYPE_DIALOG");
  x.NetWmTypeNormal = atom("_NET_WM_WINDOW_TYPE_NORMAL");
  x.NetWmState = atom("_NET_WM_STATE");
  x.NetWmStateModal = atom("_NET_WM_STATE_MODAL");
  x.Clipboard = atom("CLIPBOARD");
  x.Targets = atom("TARGETS");
  x.Incr = atom("INCR");
  x.TextAtom = atom("TEXT");
  x.TextPlainUtf8 = atom(TargetTextUtf8);
  x.TextPlain = atom(TargetText);
  x.ClipProperty = atom("RECORDS_CLIPBOARD");
  x.NetWorkArea = atom("_NET_WORKAREA");
  // The input method turns key presses into text in any layout (Cyrillic keys give Cyrillic
  // letters whatever the program's locale). The desktop's input method server when one is set
  // (XMODIFIERS), else Xlib's own.
  if (XSupportsLocale()) {
    XSetLocaleModifiers("");
    x.Im = XOpenIM(x.Dpy, nullptr, nullptr, nullptr);
    if (!x.Im) {
      XSetLocaleModifiers("@im=none");
      x.Im = XOpenIM(x.Dpy, nullptr, nullptr, nullptr);
    }
  }
  x.DoubleClick = ReadDoubleClickTime(x.Dpy);
  // Key repeat sends presses only, as the window layer expects, not release-press pairs.
  Bool supported = False;
  XkbSetDetectableAutoRepeat(x.Dpy, True, &supported);
  StartClipboard(x);
  StartDragDrop(x);
}

TX11BackEnd::~TX11BackEnd() {
  TX11Connection& x = *FX;
  if (!x.Dpy) return;
  StopDragDrop(x);
  for (auto& [id, cursor] : x.Cursors) XFreeCursor(x.Dpy, cursor);
  if (x.Clip.Wnd) XDestroyWindow(x.Dpy, x.Clip.Wnd);
  if (x.Im) XCloseIM(x.Im);
  XFreeColormap(x.Dpy, x.Cmap);
  XCloseDisplay(x.Dpy);
}

bool TX11BackEnd::DisplayAvailable() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return false;
  XCloseDisplay(dpy);
  return true;
}

std::unique_ptr<TNativeWindow> TX11BackEnd::CreateNativeWindow(HWND window,
                                                               const TRect& screenRect) {
  TX11Connection& x = *FX;
  if (!x.MonitorsSet) {
    // The session's screen is the X screen; the work area leaves out the desktop's panels.
    x.MonitorsSet = true;
    TRect bounds{0, 0, DisplayWidth(x.Dpy, x.ScreenNo), DisplayHeight(x.Dpy, x.ScreenNo)};
    TRect work = bounds;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x.Dpy, x.Root, x.NetWorkArea, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32 && count >= 4) {
      const auto* values = reinterpret_cast<const long*>(data);
      TRect area = Bounds(static_cast<int>(values[0]), static_cast<int>(values[1]),
                          static_cast<int>(values[2]), static_cast<int>(values[3]));
      if (!IsRectEmpty(area)) work = area;
    }
    if (data) XFree(data);
    SetMonitors({{bounds, work}});
  }
  return std::make_unique<TX11Window>(x, window, screenRect);
}

uint64_t TX11BackEnd::Now() { return GetTickCount64(); }

void TX11BackEnd::WaitForInput(uint64_t deadline) {
  TX11Connection& x = *FX;
  x.Fed = false;
  for (;;) {
    SyncClipboardOut(x);
    SyncFocus(x);
    while (XPending(x.Dpy)) {
      XEvent event;
      XNextEvent(x.Dpy, &event);
      Dispatch(x, event);
    }
    XFlush(x.Dpy);
    if (x.Fed || InputPending() || PostedMessageWaits()) return;
    uint64_t now = Now();
    if (now >= deadline) return;
    // Another thread may post a message meanwhile, which wakes nobody: the wait is cut into
    // short slices to look for one.
    int timeout = static_cast<int>(std::min<uint64_t>(deadline - now, 50));
    pollfd fd{ConnectionNumber(x.Dpy), POLLIN, 0};
    poll(&fd, 1, timeout);
  }
}

void TX11BackEnd::SetCursorShape(HCURSOR cursor) {
  TX11Connection& x = *FX;
  int id = CursorId(cursor);
  auto found = x.Cursors.find(id);
  if (found == x.Cursors.end())
    found = x.Cursors.emplace(id, XCreateFontCursor(x.Dpy, FontCursorOf(id))).first;
  x.CurrentCursor = found->second;
  for (auto& [id_, window] : x.Windows) XDefineCursor(x.Dpy, window->XId(), x.CurrentCursor);
}

void TX11BackEnd::Beep() { XBell(FX->Dpy, 0); }

bool TX11BackEnd::OpenUrl(const String& url) {
  // The desktop's opener runs on its own; the shell in between ends at once and is waited for,
  // so no child is left behind. The link goes in as an argument, never as shell text.
  AnsiString link = UTF8Encode(url);
  const char* script =
      "command -v xdg-open >/dev/null || exit 1; xdg-open \"$1\" >/dev/null 2>&1 &";
  const char* argv[] = {"sh", "-c", script, "sh", link.c_str(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
    return false;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

UINT TX11BackEnd::DoubleClickTime() { return FX->DoubleClick; }

// The window layer's screen is the X root window's: a point of one is a point of the other.
IDropTarget* TX11BackEnd::ForeignDropTargetAt(TPoint screen) {
  return XdndTargetAt(*FX, screen);
}

unsigned long TX11BackEnd::XWindowOf(HWND window) const {
  TX11Window* native = NativeOf(window);
  return native ? native->XId() : 0;
}

bool TX11BackEnd::OwnsClipboardSelection() const { return FX->Clip.Owned; }
