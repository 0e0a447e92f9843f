// The X11 back end's own state, shared by its sources (window, keyboard, clipboard). Only those
// sources include this header: it brings Xlib in, whose macros (None, Bool, Status...) must not
// reach the rest of the program. It is included after every header of ours for the same reason.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/BackEnd.h"
#include "platform/win/ForeignDrag.h"
#include "platform/win/WinDefs.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

class TX11Window;

// What the program offers on the CLIPBOARD selection, and what it knows of the selection.
struct TX11ClipboardState {
  Window Wnd = 0;              // a hidden window that owns the selection and receives data
  bool Owned = false;
  Time OwnedSince = 0;
  // The clipboard sequence number last offered or imported: another one means the program
  // changed the clipboard since.
  DWORD KnownSequence = 0;
  bool ImportPending = false;  // another client took the selection while the clipboard was open
  std::string Text;            // UTF-8, without a terminator
  bool HasText = false;
  std::vector<std::pair<Atom, std::string>> Formats;  // the program's named formats by target
};

// Drag and drop with other clients (XDND, version 5).
struct TX11DragState {
  Atom Aware = 0, Enter = 0, Position = 0, Reply = 0, Leave = 0, Drop = 0, Finished = 0,
       Selection = 0, TypeList = 0, Proxy = 0, ActionCopy = 0, ActionMove = 0, ActionLink = 0;
  // Another client's drag over one of our windows.
  Window InSource = 0;
  Window InWindow = 0;
  DWORD InOffered = 0;
  std::unique_ptr<TIncomingDrag> In;
  // Our drag, while another client's window is under the pointer: the data we serve on
  // XdndSelection, and the target object the drag loop speaks to (a reference held).
  IDataObject* OutData = nullptr;
  IDropTarget* OutTarget = nullptr;
  Window OutWindow = 0;
};

struct TX11Connection {
  Display* Dpy = nullptr;
  int ScreenNo = 0;
  Window Root = 0;
  Visual* Vis = nullptr;
  int Depth = 0;
  Colormap Cmap = 0;
  XIM Im = nullptr;
  bool HasXFixes = false;
  int XFixesEventBase = 0;
  UINT DoubleClick = 500;
  Time LastTime = 0;           // the server time of the last event with one
  bool Fed = false;            // the current round fed the window layer something to do
  bool MonitorsSet = false;
  HWND FocusedActive = nullptr;  // the active window the X focus was last given to
  // The key codes pressed as virtual keys, so their release goes out as one too.
  std::unordered_map<unsigned, uint16_t> KeysDown;
  std::unordered_map<Window, TX11Window*> Windows;
  std::unordered_map<int, Cursor> Cursors;
  Cursor CurrentCursor = 0;
  TX11ClipboardState Clip;
  TX11DragState Dnd;

  Atom WmProtocols = 0, WmDeleteWindow = 0, NetWmName = 0, Utf8String = 0, NetWmWindowType = 0,
       NetWmTypeDialog = 0, NetWmTypeNormal = 0, NetWmState = 0, NetWmStateModal = 0,
       Clipboard = 0, Targets = 0, Incr = 0, TextAtom = 0, TextPlainUtf8 = 0, TextPlain = 0,
       ClipProperty = 0,
       NetWorkArea = 0;

  TX11Window* WindowOf(Window w) const {
    auto it = Windows.find(w);
    return it == Windows.end() ? nullptr : it->second;
  }
};

class TX11Window : public TNativeWindow {
 public:
  TX11Window(TX11Connection& x, HWND handle, const TRect& screenRect);
  ~TX11Window() override;

  void SetBounds(const TRect& screenRect) override;
  void SetVisible(bool visible) override;
  void SetTitle(const String& title) override;
  cairo_surface_t* Surface() override { return FSurface; }
  void Present(const TRect& area) override;
  void SetShape(const std::vector<TRect>& rects, bool shaped) override;
  void SetLayeredLook(const TLayeredLook& look) override;

  Window XId() const { return FWindow; }
  HWND Handle() const { return FHandle; }
  XIC InputContext() const { return FIc; }
  bool Viewable() const { return FViewable; }
  bool OverrideRedirect() const { return FOverride; }
  // A point of the X window in the window layer's screen coordinates.
  TPoint ToScreen(int x, int y);
  // Events that concern this window alone.
  void Exposed(const XExposeEvent& event);
  void Configured();
  void Mapped(bool viewable) { FViewable = viewable; }

 private:
  // Where the X window shows the surface: the client area of a window the window manager frames
  // (its own caption and close button stand in for ours), else the whole window.
  TRect ShownArea();
  void SyncGeometry();
  void Show(const TRect& areaInWindow);
  // A layered window: its pixels as a window without a compositor shows them (premultiplied),
  // cut to those that are not fully transparent.
  void ShowLayered();
  void ApplyKind();
  void SetSizeHints();

  TX11Connection& FX;
  HWND FHandle;
  Window FWindow = 0;
  GC FGc = nullptr;
  XIC FIc = nullptr;
  cairo_surface_t* FSurface = nullptr;
  TLayeredLook FLook;
  std::vector<TRect> FLayeredShape;
  int FWidth = 0;
  int FHeight = 0;
  TRect FXRect;          // the geometry last asked of the server (screen coordinates)
  bool FOverride = false;
  bool FVisible = false;
  bool FViewable = false;
  bool FFollowing = false;  // taking a geometry from the server: do not send it back
};

// Keyboard (X11Keys.cpp).
uint16_t VirtualKeyOfKeySym(KeySym sym);
char32_t UnicodeOfKeySym(KeySym sym);
void FeedKeyEvent(TX11Connection& x, TX11Window* window, XKeyEvent& event);
void ReleaseKeysDown(TX11Connection& x);

// The clipboard (X11Clipboard.cpp).
void StartClipboard(TX11Connection& x);
// Drag and drop (X11DragDrop.cpp).
void StartDragDrop(TX11Connection& x);
void StopDragDrop(TX11Connection& x);
// Marks a top-level window as a drop target for other clients.
void MakeXdndAware(TX11Connection& x, Window window);
// Handles XDND messages and requests for the drag's selection; false for other events.
bool HandleDragEvent(TX11Connection& x, XEvent& event);
// Another client's drop target under a root point while our drag runs; nullptr over none (or
// over one of our own windows).
IDropTarget* XdndTargetAt(TX11Connection& x, TPoint root);
// The answer to a selection request, refusing until its property is set; the property to put
// the data in; the most bytes one property change may carry.
XSelectionEvent SelectionReplyTo(TX11Connection& x, const XSelectionRequestEvent& request);
Atom RequestProperty(const XSelectionRequestEvent& request);
size_t MaxPropertyBytes(TX11Connection& x);
// Asks a selection's owner for one target, in pieces when large; false when it refuses, does not
// answer within 3 seconds, or sends more than MaxForeignTransfer.
bool FetchSelection(TX11Connection& x, Atom selection, Atom target, Time time,
                    std::string& bytes, Atom& type);
// Offers the program's clipboard on the selection when the program changed it.
void SyncClipboardOut(TX11Connection& x);
// Handles selection events; false for an event that is not about the clipboard.
bool HandleClipboardEvent(TX11Connection& x, XEvent& event);
