// The seam between the window layer and what shows its windows. The window layer keeps the whole
// window tree, the messages, focus, capture and timers itself; a back end only gives top-level
// windows a surface to paint on, shows them, tells the time, and feeds input while the message
// loop waits. The headless back end (tests) and the X11 back end (people) implement it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/WinDefs.h"

typedef struct _cairo_surface cairo_surface_t;
class IDropTarget;

// What a layered top-level window (WS_EX_LAYERED) shows. Not layered: its surface as painted.
// Layered but given nothing yet: nothing. With an image: that image (straight ARGB, top row
// first) at the window's top-left, its alpha counting when PerPixelAlpha. With attributes: its
// surface. Then, for either, the constant Alpha when UseAlpha, fully transparent where the
// colour equals Key (0x00BBGGRR) when UseKey, and opaque throughout when Opaque.
struct TLayeredLook {
  enum TKind { lkNone, lkUnset, lkImage, lkAttributes };
  TKind Kind = lkNone;
  std::vector<uint32_t> Image;
  int ImageWidth = 0;
  int ImageHeight = 0;
  bool PerPixelAlpha = false;
  bool UseAlpha = false;
  uint8_t Alpha = 255;
  bool UseKey = false;
  uint32_t Key = 0;
  bool Opaque = false;
};

// The back end's side of one top-level window.
class TNativeWindow {
 public:
  virtual ~TNativeWindow() = default;
  // The window rectangle on the screen; the surface follows its size.
  virtual void SetBounds(const TRect& screenRect) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetTitle(const String& title) = 0;
  // The surface the window and its children paint into, the size of the whole window.
  virtual cairo_surface_t* Surface() = 0;
  // Painting into the surface has finished for the area (window coordinates): show it.
  virtual void Present(const TRect& area) = 0;
  // The window's layered look changed (a back end without layering shows the surface as is).
  virtual void SetLayeredLook(const TLayeredLook&) {}
};

class TBackEnd {
 public:
  virtual ~TBackEnd() = default;

  virtual std::unique_ptr<TNativeWindow> CreateNativeWindow(HWND window,
                                                            const TRect& screenRect) = 0;
  // Milliseconds of the clock that timers and message times run on.
  virtual uint64_t Now() = 0;
  // Called when the message loop has nothing to do: returns once input has been fed to the
  // window layer (Input.h) or the clock has reached the deadline (a Now() value; UINT64_MAX when
  // no timer waits).
  virtual void WaitForInput(uint64_t deadline) = 0;
  // The pointer shape to show.
  virtual void SetCursorShape(HCURSOR cursor) = 0;
  // An audible warning (a click on a disabled window, MessageBeep).
  virtual void Beep() {}
  // The longest time in milliseconds between two clicks that make a double click.
  virtual UINT DoubleClickTime() { return 500; }
  // Opens a link of an allowed scheme with the desktop's handler. Answers whether it started.
  virtual bool OpenUrl(const String& url) = 0;
  // While a drag of ours runs and none of our windows is under the pointer: the drop target of
  // another program there, or nullptr. The back end holds the object (the same one while the
  // pointer stays over the same target); its DragEnter, DragOver, DragLeave and Drop speak to
  // the other program. Drags from other programs over our windows go the other way: the back
  // end hands them to the windows' registered targets (ForeignDrag.h).
  virtual IDropTarget* ForeignDropTargetAt(TPoint) { return nullptr; }
};
