// A top-level window on the X server: an X window that shows the window's cairo surface.
#include <cairo.h>

#include <X11/extensions/shape.h>

#include <algorithm>
#include <vector>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowStyles.h"
#include "platform/win/WindowSystem.h"

#include "platform/win/X11Connection.h"

namespace {

constexpr long WindowEvents = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                              ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                              LeaveWindowMask | StructureNotifyMask | FocusChangeMask;

bool LittleEndian() {
  const uint16_t probe = 1;
  return *reinterpret_cast<const uint8_t*>(&probe) == 1;
}

TWindow* LayerWindow(HWND handle) {
  return HasWindowSystem() ? WindowSystem().Find(handle) : nullptr;
}

// Drop-downs, menus and hints: shown at once where the program puts them, never framed or
// focused by the window manager.
bool IsPopup(const TWindow* window) {
  return (window->Style & WS_POPUP) && (window->Style & WS_CAPTION) != WS_CAPTION &&
         (window->ExStyle & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
}

}  // namespace

TX11Window::TX11Window(TX11Connection& x, HWND handle, const TRect& screenRect)
    : FX(x), FHandle(handle) {
  XSetWindowAttributes attributes{};
  attributes.colormap = FX.Cmap;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;  // our surface paints every pixel: no flash of grey
  attributes.event_mask = WindowEvents;
  FXRect = {screenRect.Left, screenRect.Top, screenRect.Left + std::max(screenRect.Width(), 1),
            screenRect.Top + std::max(screenRect.Height(), 1)};
  FWindow = XCreateWindow(FX.Dpy, FX.Root, FXRect.Left, FXRect.Top,
                          static_cast<unsigned>(FXRect.Width()),
                          static_cast<unsigned>(FXRect.Height()), 0, FX.Depth, InputOutput,
                          FX.Vis, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask,
                          &attributes);
  FGc = XCreateGC(FX.Dpy, FWindow, 0, nullptr);
  XSetWMProtocols(FX.Dpy, FWindow, &FX.WmDeleteWindow, 1);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(FX.Dpy, FWindow, &hints);
  char name[] = "records";
  XClassHint classHint{name, name};
  XSetClassHint(FX.Dpy, FWindow, &classHint);
  if (FX.Im) {
    FIc = XCreateIC(FX.Im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                    FWindow, XNFocusWindow, FWindow, nullptr);
    long filterEvents = 0;
    if (FIc && !XGetICValues(FIc, XNFilterEvents, &filterEvents, nullptr))
      XSelectInput(FX.Dpy, FWindow, WindowEvents | filterEvents);
  }
  if (FX.CurrentCursor) XDefineCursor(FX.Dpy, FWindow, FX.CurrentCursor);
  MakeXdndAware(FX, FWindow);
  FX.Windows[FWindow] = this;
  SetBounds(screenRect);
}

TX11Window::~TX11Window() {
  FX.Windows.erase(FWindow);
  if (FIc) XDestroyIC(FIc);
  XFreeGC(FX.Dpy, FGc);
  XDestroyWindow(FX.Dpy, FWindow);
  if (FSurface) cairo_surface_destroy(FSurface);
}

TRect TX11Window::ShownArea() {
  TWindow* window = LayerWindow(FHandle);
  if (!window || FOverride || (window->Style & WS_CAPTION) != WS_CAPTION)
    return {0, 0, std::max(FWidth, 1), std::max(FHeight, 1)};
  TRect client = window->Client;
  client.Right = std::max(client.Right, client.Left + 1);
  client.Bottom = std::max(client.Bottom, client.Top + 1);
  return client;
}

TPoint TX11Window::ToScreen(int x, int y) {
  TWindow* window = LayerWindow(FHandle);
  TRect shown = ShownArea();
  TPoint origin = window ? window->Rect.TopLeft() : FXRect.TopLeft();
  return {origin.X + shown.Left + x, origin.Y + shown.Top + y};
}

void TX11Window::SyncGeometry() {
  TWindow* window = LayerWindow(FHandle);
  if (FFollowing || !window) return;
  TRect wanted = ShownArea();
  OffsetRect(wanted, window->Rect.Left, window->Rect.Top);
  if (wanted == FXRect) return;
  bool resized = wanted.Width() != FXRect.Width() || wanted.Height() != FXRect.Height();
  FXRect = wanted;
  // A fixed size the window manager holds the window to must change first.
  if (resized && FVisible) SetSizeHints();
  XMoveResizeWindow(FX.Dpy, FWindow, wanted.Left, wanted.Top,
                    static_cast<unsigned>(wanted.Width()), static_cast<unsigned>(wanted.Height()));
}

void TX11Window::SetBounds(const TRect& screenRect) {
  int width = std::max(screenRect.Width(), 1);
  int height = std::max(screenRect.Height(), 1);
  if (!FSurface || width != FWidth || height != FHeight) {
    if (FSurface) cairo_surface_destroy(FSurface);
    FSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    FWidth = width;
    FHeight = height;
  }
  SyncGeometry();
}

// The program places its windows itself: the window manager is asked to keep the position, and
// not to let a person resize a form that has no sizing frame.
void TX11Window::SetSizeHints() {
  TWindow* window = LayerWindow(FHandle);
  if (!window || FOverride) return;
  XSizeHints size{};
  size.flags = PPosition | PSize;
  if (!(window->Style & WS_THICKFRAME)) {
    TRect shown = ShownArea();
    size.flags |= PMinSize | PMaxSize;
    size.min_width = size.max_width = shown.Width();
    size.min_height = size.max_height = shown.Height();
  }
  XSetWMNormalHints(FX.Dpy, FWindow, &size);
}

// The kind of window is settled when it is shown: its styles are complete by then.
void TX11Window::ApplyKind() {
  TWindow* window = LayerWindow(FHandle);
  if (!window) return;
  FOverride = IsPopup(window);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = FOverride ? True : False;
  attributes.save_under = FOverride ? True : False;
  XChangeWindowAttributes(FX.Dpy, FWindow, CWOverrideRedirect | CWSaveUnder, &attributes);
  if (FOverride) return;
  SetSizeHints();
  TWindow* owner = window->Owner;
  auto* ownerNative = owner && owner->Native ? dynamic_cast<TX11Window*>(owner->Native.get())
                                             : nullptr;
  if (ownerNative)
    XSetTransientForHint(FX.Dpy, FWindow, ownerNative->XId());
  else
    XDeleteProperty(FX.Dpy, FWindow, XA_WM_TRANSIENT_FOR);
  bool dialog = ownerNative || (window->ExStyle & WS_EX_DLGMODALFRAME);
  Atom type = dialog ? FX.NetWmTypeDialog : FX.NetWmTypeNormal;
  XChangeProperty(FX.Dpy, FWindow, FX.NetWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);
  // A modal form has disabled its owner before it shows.
  if (ownerNative && (owner->Style & WS_DISABLED))
    XChangeProperty(FX.Dpy, FWindow, FX.NetWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&FX.NetWmStateModal), 1);
  else
    XDeleteProperty(FX.Dpy, FWindow, FX.NetWmState);
}

void TX11Window::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  if (visible) {
    ApplyKind();
    SyncGeometry();
    XMapRaised(FX.Dpy, FWindow);
  } else if (FOverride) {
    XUnmapWindow(FX.Dpy, FWindow);
  } else {
    XWithdrawWindow(FX.Dpy, FWindow, FX.ScreenNo);
  }
}

void TX11Window::SetTitle(const String& title) {
  AnsiString utf8 = UTF8Encode(title);
  XChangeProperty(FX.Dpy, FWindow, FX.NetWmName, FX.Utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()),
                  static_cast<int>(utf8.size()));
  // The old property for window managers that know no other: UTF-8 as well, which is what
  // they show best.
  XChangeProperty(FX.Dpy, FWindow, XA_WM_NAME, FX.Utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()),
                  static_cast<int>(utf8.size()));
}

void TX11Window::Present(const TRect& area) {
  SyncGeometry();
  Show(area);
}

void TX11Window::Show(const TRect& areaInWindow) {
  if (!FViewable || !FSurface) return;
  if (FLook.Kind != TLayeredLook::lkNone) return ShowLayered();
  cairo_surface_flush(FSurface);
  TRect shown = ShownArea();
  TRect area;
  if (!IntersectRect(area, areaInWindow, shown)) return;
  TRect whole{0, 0, FWidth, FHeight};
  if (!IntersectRect(area, area, whole)) return;
  int stride = cairo_image_surface_get_stride(FSurface);
  auto* data = reinterpret_cast<char*>(cairo_image_surface_get_data(FSurface));
  XImage* image = XCreateImage(FX.Dpy, FX.Vis, static_cast<unsigned>(FX.Depth), ZPixmap, 0,
                               data, static_cast<unsigned>(FWidth),
                               static_cast<unsigned>(FHeight), 32, stride);
  if (!image) return;
  // The surface holds native-endian 32-bit pixels; Xlib swaps them when the server wants
  // the other order.
  image->byte_order = LittleEndian() ? LSBFirst : MSBFirst;
  XPutImage(FX.Dpy, FWindow, FGc, image, area.Left, area.Top, area.Left - shown.Left,
            area.Top - shown.Top, static_cast<unsigned>(area.Width()),
            static_cast<unsigned>(area.Height()));
  image->data = nullptr;  // the surface's memory is not Xlib's to free
  XDestroyImage(image);
}

void TX11Window::Exposed(const XExposeEvent& event) {
  TRect shown = ShownArea();
  TRect area = Bounds(event.x + shown.Left, event.y + shown.Top, event.width, event.height);
  Show(area);
}

void TX11Window::Configured() {
  TWindow* window = LayerWindow(FHandle);
  if (!window) return;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(FX.Dpy, FWindow, &attributes)) return;
  int rootX = 0, rootY = 0;
  Window child = 0;
  XTranslateCoordinates(FX.Dpy, FWindow, FX.Root, 0, 0, &rootX, &rootY, &child);
  TRect now = Bounds(rootX, rootY, attributes.width, attributes.height);
  if (now == FXRect) return;
  FXRect = now;
  TRect shown = ShownArea();
  int width = attributes.width + window->Width() - shown.Width();
  int height = attributes.height + window->Height() - shown.Height();
  FFollowing = true;
  SetWindowPos(FHandle, nullptr, rootX - shown.Left, rootY - shown.Top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  FFollowing = false;
}

void TX11Window::SetShape(const std::vector<TRect>& rects, bool shaped) {
  // The X server cuts the window to the shape, so it shows without a compositor.
  if (!shaped) {
    XShapeCombineMask(FX.Dpy, FWindow, ShapeBounding, 0, 0, None, ShapeSet);
  } else {
    std::vector<XRectangle> xrects;
    xrects.reserve(rects.size());
    for (const TRect& r : rects)
      xrects.push_back({static_cast<short>(r.Left), static_cast<short>(r.Top),
                        static_cast<unsigned short>(r.Width()),
                        static_cast<unsigned short>(r.Height())});
    XShapeCombineRectangles(FX.Dpy, FWindow, ShapeBounding, 0, 0, xrects.data(),
                            static_cast<int>(xrects.size()), ShapeSet, Unsorted);
  }
  XFlush(FX.Dpy);
}

void TX11Window::SetLayeredLook(const TLayeredLook& look) {
  FLook = look;
  if (look.Kind == TLayeredLook::lkNone) {
    FLayeredShape.clear();
    SetShape({}, false);
    Show(Bounds(0, 0, FWidth, FHeight));
    return;
  }
  ShowLayered();
}

namespace {

// The colour (0x00RRGGBB) the program's own windows below a top-level window show at a screen
// point: the first visible window under it in z-order, black where there is none.
uint32_t BelowPixel(TWindow* window, TPoint screen) {
  if (!window || !window->Parent) return 0;
  const auto& tops = window->Parent->Children;
  auto it = std::find(tops.begin(), tops.end(), window);
  if (it == tops.end()) return 0;
  for (++it; it != tops.end(); ++it) {
    TWindow* below = *it;
    if (!(below->Style & WS_VISIBLE) || !below->Native || !PtInRect(below->Rect, screen)) continue;
    if (below->Layered.Kind != TLayeredLook::lkNone) continue;
    cairo_surface_t* surface = below->Native->Surface();
    if (!surface) return 0;
    return LayeredShownPixel(TLayeredLook(), surface, screen.X - below->Rect.Left,
                             screen.Y - below->Rect.Top) &
           0xFFFFFF;
  }
  return 0;
}

}  // namespace

void TX11Window::ShowLayered() {
  if (!FSurface || FWidth <= 0 || FHeight <= 0) return;
  // No compositor blends the window with what lies below, so it is blended here with the
  // program's own windows below it, and cut away where it shows nothing.
  TWindow* window = LayerWindow(FHandle);
  std::vector<uint32_t> pixels(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight));
  std::vector<TRect> shape;
  for (int y = 0; y < FHeight; ++y) {
    int runStart = -1;
    for (int x = 0; x <= FWidth; ++x) {
      uint32_t argb = x < FWidth ? LayeredShownPixel(FLook, FSurface, x, y) : 0;
      uint32_t a = argb >> 24;
      if (x < FWidth && a > 0) {
        uint32_t below = a == 255 || !window
                             ? 0
                             : BelowPixel(window, {window->Rect.Left + x, window->Rect.Top + y});
        auto blend = [a, argb, below](int shift) {
          uint32_t src = (argb >> shift) & 0xFF, dst = (below >> shift) & 0xFF;
          return ((src * a + dst * (255 - a) + 127) / 255) << shift;
        };
        pixels[static_cast<size_t>(y) * FWidth + x] = blend(16) | blend(8) | blend(0);
      }
      if (a > 0 && runStart < 0) runStart = x;
      if (a == 0 && runStart >= 0) {
        shape.push_back(Rect(runStart, y, x, y + 1));
        runStart = -1;
      }
    }
  }
  if (shape != FLayeredShape) {
    FLayeredShape = shape;
    // An empty shape hides every pixel; SHAPE takes an empty list as that.
    SetShape(shape, true);
  }
  if (!FViewable) return;
  XImage* image = XCreateImage(FX.Dpy, FX.Vis, static_cast<unsigned>(FX.Depth), ZPixmap, 0,
                               reinterpret_cast<char*>(pixels.data()),
                               static_cast<unsigned>(FWidth), static_cast<unsigned>(FHeight), 32,
                               FWidth * 4);
  if (!image) return;
  image->byte_order = LittleEndian() ? LSBFirst : MSBFirst;
  XPutImage(FX.Dpy, FWindow, FGc, image, 0, 0, 0, 0, static_cast<unsigned>(FWidth),
            static_cast<unsigned>(FHeight));
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(FX.Dpy);
}
