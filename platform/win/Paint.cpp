// Invalid regions, WM_PAINT, and the device contexts of windows. Every window of a top-level
// window paints into that window's surface; a context covers the window's visible part: inside
// its ancestors' client areas, without the siblings above it when it clips siblings, and without
// its children when it clips children.
#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

using TOp = TRegionData::TOp;

TRect ClientBounds(TWindow* window) {
  return {0, 0, window->Client.Width(), window->Client.Height()};
}

// Rectangles in the coordinates of the top-level window's surface.
TRect WindowInTop(TWindow* window) {
  TWindow* top = TopLevelOf(window);
  TRect r = ScreenRectOf(window);
  TRect t = ScreenRectOf(top);
  OffsetRect(r, -t.Left, -t.Top);
  return r;
}

TRect ClientInTop(TWindow* window) {
  TRect r = window->Client;
  TRect w = WindowInTop(window);
  OffsetRect(r, w.Left, w.Top);
  return r;
}

// The part of the top-level surface a window covers: its rectangle, or its shape.
TRegionData AreaInTop(TWindow* window) {
  TRect r = WindowInTop(window);
  if (!window->HasShape) return TRegionData::FromRect(r);
  TRegionData shape = window->Shape;
  shape.Offset(r.Left, r.Top);
  return TRegionData::Combine(shape, TRegionData::FromRect(r), TOp::And);
}

TRegionData VisibleInTop(TWindow* window, bool client) {
  TWindow* top = TopLevelOf(window);
  TRegionData region = TRegionData::FromRect(client ? ClientInTop(window) : WindowInTop(window));
  region = TRegionData::Combine(region, TRegionData::FromRect({0, 0, top->Width(), top->Height()}),
                                TOp::And);
  for (TWindow* w = window; w; w = w == top ? nullptr : w->Parent) {
    if (w->HasShape) region = TRegionData::Combine(region, AreaInTop(w), TOp::And);
    if (w == top) break;
    TWindow* parent = w->Parent;
    region = TRegionData::Combine(region, TRegionData::FromRect(ClientInTop(parent)), TOp::And);
    if (w->Style & WS_CLIPSIBLINGS) {
      for (TWindow* sibling : parent->Children) {
        if (sibling == w) break;
        if (sibling->Style & WS_VISIBLE)
          region = TRegionData::Combine(region, AreaInTop(sibling), TOp::Diff);
      }
    }
  }
  if (window->Style & WS_CLIPCHILDREN)
    for (TWindow* child : window->Children)
      if (child->Style & WS_VISIBLE)
        region = TRegionData::Combine(region, AreaInTop(child), TOp::Diff);
  return region;
}

TDrawingLog* PaintLogOf(TWindow* window) {
  for (; window && !window->IsDesktop(); window = window->Parent)
    if (window->PaintLog) return window->PaintLog;
  return nullptr;
}

// A context over the client area (or the whole window), limited to the visible part and, when
// given, to a clip region in the context's own coordinates.
HDC MakeDC(TWindow* window, bool client, const TRegionData* clip) {
  TWindow* top = TopLevelOf(window);
  cairo_surface_t* surface = top && top->Native ? top->Native->Surface() : nullptr;
  if (!surface) return CreateImageDC(1, 1);
  TRect area = client ? ClientInTop(window) : WindowInTop(window);
  HDC dc = CreateSurfaceDC(surface, area.TopLeft(), {0, 0, area.Width(), area.Height()});
  TRegionData visible = CanPaint(window) ? VisibleInTop(window, client) : TRegionData();
  visible.Offset(-area.Left, -area.Top);
  if (clip) visible = TRegionData::Combine(visible, *clip, TOp::And);
  SetDCVisibleRegion(dc, visible);
  if (TDrawingLog* log = PaintLogOf(window)) SetDrawingLog(dc, log);
  return dc;
}

void Present(TWindow* window, TRect areaInClient) {
  TWindow* top = TopLevelOf(window);
  if (!top || !top->Native || IsRectEmpty(areaInClient)) return;
  TRect client = ClientInTop(window);
  OffsetRect(areaInClient, client.Left, client.Top);
  top->Native->Present(areaInClient);
}

// Adds a region (client coordinates) to what a window owes; children follow by mode:
// 0 none, 1 unless the window clips its children, 2 all.
void InvalidateArea(TWindow* window, const TRegionData& area, bool erase, int childMode,
                    bool frame) {
  if (!CanPaint(window)) return;
  TRegionData region =
      TRegionData::Combine(area, TRegionData::FromRect(ClientBounds(window)), TOp::And);
  if (!region.IsEmpty()) {
    window->Update = TRegionData::Combine(window->Update, region, TOp::Or);
    if (erase) window->EraseOwed = true;
  }
  if (frame) window->FrameOwed = true;
  bool children = childMode == 2 || (childMode == 1 && !(window->Style & WS_CLIPCHILDREN));
  if (!children) return;
  for (TWindow* child : window->Children) {
    if (!(child->Style & WS_VISIBLE)) continue;
    TRegionData inChild = area;
    inChild.Offset(-child->Rect.Left, -child->Rect.Top);  // child window coordinates
    if (!inChild.IntersectsRect({0, 0, child->Width(), child->Height()})) continue;
    TRegionData nonClient = TRegionData::Combine(
        TRegionData::FromRect({0, 0, child->Width(), child->Height()}),
        TRegionData::FromRect(child->Client), TOp::Diff);
    bool childFrame = frame || !TRegionData::Combine(inChild, nonClient, TOp::And).IsEmpty();
    inChild.Offset(-child->Client.Left, -child->Client.Top);
    InvalidateArea(child, inChild, erase, childMode, childFrame);
  }
}

void ValidateArea(TWindow* window, const TRegionData& area, bool children) {
  window->Update = TRegionData::Combine(window->Update, area, TOp::Diff);
  if (window->Update.IsEmpty()) window->EraseOwed = false;
  if (!children) return;
  for (TWindow* child : window->Children) {
    TRegionData inChild = area;
    inChild.Offset(-child->Rect.Left - child->Client.Left, -child->Rect.Top - child->Client.Top);
    ValidateArea(child, inChild, true);
  }
}

bool OwesPaint(TWindow* window) {
  return !window->Update.IsEmpty() || window->FrameOwed || window->InternalPaint;
}

TWindow* FindOwingPaint(TWindow* window, HWND filter, bool insideFilter) {
  if (!(window->Style & WS_VISIBLE) || !window->Redraw) return nullptr;
  bool inside = insideFilter || !filter || window->Handle == filter;
  if (inside && OwesPaint(window)) return window;
  for (TWindow* child : window->Children)
    if (TWindow* found = FindOwingPaint(child, filter, inside)) return found;
  return nullptr;
}

void PaintNow(TWindow* window, bool children) {
  if (OwesPaint(window)) UpdateWindow(window->Handle);
  if (!children || window->Destroyed) return;
  std::vector<HWND> handles;
  for (TWindow* child : window->Children) handles.push_back(child->Handle);
  for (HWND h : handles)
    if (TWindow* child = WindowSystem().Find(h)) PaintNow(child, true);
}

TRegionData RegionOf(TWindow* window, const TRect* rect, HRGN rgn) {
  if (rgn) {
    const TRegionData* data = RegionData(rgn);
    return data ? *data : TRegionData();
  }
  return TRegionData::FromRect(rect ? *rect : ClientBounds(window));
}

}  // namespace

void InvalidateInParent(TWindow* window, const TRect& rectInParent) {
  TWindow* parent = window->Parent;
  if (!parent || parent->IsDesktop()) return;
  InvalidateArea(parent, TRegionData::FromRect(rectInParent), true, 2, false);
}

void InvalidateWhole(TWindow* window) {
  InvalidateArea(window, TRegionData::FromRect(ClientBounds(window)), true, 2, true);
}

bool TakePaintMessage(MSG& msg, HWND filter, bool) {
  TWindowSystem& system = WindowSystem();
  for (TWindow* top : system.Desktop()->Children) {
    TWindow* owing = FindOwingPaint(top, filter, false);
    if (!owing) continue;
    msg = MSG{};
    msg.hwnd = owing->Handle;
    msg.message = WM_PAINT;
    msg.time = static_cast<DWORD>(system.Now());
    msg.pt = system.CursorPos;
    return true;
  }
  return false;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window || !paint) return nullptr;
  ++window->PaintCount;
  if (system.Caret.Owner == handle) HideCaret(handle);
  if (window->FrameOwed) {
    window->FrameOwed = false;
    SendMessage(handle, WM_NCPAINT, 1, 0);
    if (window->Destroyed) return nullptr;
  }
  TRegionData update = window->Update;
  bool erase = window->EraseOwed;
  window->Update = TRegionData();
  window->EraseOwed = false;
  window->InternalPaint = false;
  HDC dc = MakeDC(window.get(), true, &update);
  paint->hdc = dc;
  paint->rcPaint = update.Bounds();
  paint->fErase = false;
  if (erase) paint->fErase = SendMessage(handle, WM_ERASEBKGND, ToWParam(dc), 0) == 0;
  return dc;
}

bool EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  TWindowSystem& system = WindowSystem();
  if (!paint) return false;
  if (paint->hdc) DeleteDC(paint->hdc);
  TWindow* window = system.Find(handle);
  if (!window) return true;
  Present(window, paint->rcPaint);
  if (system.Caret.Owner == handle) ShowCaret(handle);
  return true;
}

HDC GetDC(HWND handle) {
  if (!handle) return CreateImageDC(1, 1);
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return nullptr;
  if (window->IsDesktop()) return CreateImageDC(1, 1);
  return MakeDC(window, true, nullptr);
}

HDC GetWindowDC(HWND handle) {
  TWindow* window = handle ? WindowSystem().Find(handle) : nullptr;
  if (!window || window->IsDesktop()) return CreateImageDC(1, 1);
  return MakeDC(window, false, nullptr);
}

int ReleaseDC(HWND handle, HDC dc) {
  if (!dc) return 0;
  DeleteDC(dc);
  TWindow* window = handle && HasWindowSystem() ? WindowSystem().Find(handle) : nullptr;
  if (window && !window->IsDesktop()) {
    TWindow* top = TopLevelOf(window);
    if (top->Native) top->Native->Present({0, 0, top->Width(), top->Height()});
  }
  return 1;
}

bool InvalidateRect(HWND handle, const TRect* rect, bool erase) {
  return RedrawWindow(handle, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

bool InvalidateRgn(HWND handle, HRGN region, bool erase) {
  return RedrawWindow(handle, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

bool ValidateRect(HWND handle, const TRect* rect) {
  return RedrawWindow(handle, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

bool ValidateRgn(HWND handle, HRGN region) {
  return RedrawWindow(handle, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

bool RedrawWindow(HWND handle, const TRect* rect, HRGN rgn, UINT flags) {
  TWindowSystem& system = WindowSystem();
  if (!handle) {
    std::vector<HWND> tops;
    for (TWindow* top : system.Desktop()->Children) tops.push_back(top->Handle);
    for (HWND top : tops) RedrawWindow(top, nullptr, nullptr, flags);
    return true;
  }
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window || window->IsDesktop()) return false;
  TRegionData region = RegionOf(window.get(), rect, rgn);
  int childMode = (flags & RDW_ALLCHILDREN) ? 2 : (flags & RDW_NOCHILDREN) ? 0 : 1;
  if (flags & RDW_INVALIDATE)
    InvalidateArea(window.get(), region, (flags & RDW_ERASE) != 0, childMode,
                   (flags & RDW_FRAME) != 0);
  if ((flags & RDW_INTERNALPAINT) && CanPaint(window.get())) window->InternalPaint = true;
  if (flags & RDW_VALIDATE) {
    ValidateArea(window.get(), region, childMode == 2);
    if (flags & RDW_NOFRAME) window->FrameOwed = false;
    if (flags & RDW_NOINTERNALPAINT) window->InternalPaint = false;
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) PaintNow(window.get(), childMode != 0);
  return true;
}

bool UpdateWindow(HWND handle) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window) return false;
  if (!CanPaint(window.get()) || !OwesPaint(window.get())) return true;
  unsigned paintsBefore = window->PaintCount;
  SendMessage(handle, WM_PAINT, 0, 0);
  if (!window->Destroyed && window->PaintCount == paintsBefore) {
    window->Update = TRegionData();
    window->EraseOwed = window->FrameOwed = window->InternalPaint = false;
  }
  return true;
}

bool GetUpdateRect(HWND handle, TRect* rect, bool erase) {
  std::shared_ptr<TWindow> window = WindowSystem().Hold(handle);
  if (!window) return false;
  if (rect) *rect = window->Update.Bounds();
  if (erase && window->EraseOwed && !window->Update.IsEmpty()) {
    HDC dc = MakeDC(window.get(), true, &window->Update);
    if (SendMessage(handle, WM_ERASEBKGND, ToWParam(dc), 0)) window->EraseOwed = false;
    DeleteDC(dc);
  }
  return !window->Update.IsEmpty();
}

int GetUpdateRgn(HWND handle, HRGN region, bool) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || !region) return RGN_ERROR;
  SetRectRgn(region, 0, 0, 0, 0);
  for (const TRect& r : window->Update.Rects()) {
    HRGN part = CreateRectRgnIndirect(r);
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  return window->Update.Complexity();
}

bool ScrollWindow(HWND handle, int dx, int dy, const TRect* scrollRect, const TRect* clipRect) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window) return false;
  // The pixels are not moved: the whole scrolled area is painted again, which is the same
  // picture for a window that paints what it owes.
  window->Update.Offset(dx, dy);
  TRect area = scrollRect ? *scrollRect : ClientBounds(window.get());
  if (clipRect) IntersectRect(area, area, *clipRect);
  InvalidateArea(window.get(), TRegionData::FromRect(area), true, 0, false);
  if (!scrollRect) {
    std::vector<HWND> children;
    for (TWindow* child : window->Children) children.push_back(child->Handle);
    for (HWND h : children) {
      TWindow* child = system.Find(h);
      if (!child) continue;
      SetWindowPos(h, nullptr, child->Rect.Left + dx, child->Rect.Top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  return true;
}

void SetWindowPaintLog(HWND handle, TDrawingLog* log) {
  if (TWindow* window = WindowSystem().Find(handle)) window->PaintLog = log;
}

cairo_surface_t* GetWindowSurface(HWND handle, TPoint* windowOrigin) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || window->IsDesktop()) return nullptr;
  TWindow* top = TopLevelOf(window);
  if (windowOrigin) *windowOrigin = WindowInTop(window).TopLeft();
  return top->Native ? top->Native->Surface() : nullptr;
}

// --- Window shapes -----------------------------------------------------------------------------

int SetWindowRgn(HWND handle, HRGN region, bool redraw) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || window->IsDesktop()) {
    if (region) DeleteObject(region);
    return 0;
  }
  window->HasShape = region != nullptr;
  window->Shape = region ? region->Data : TRegionData();
  if (region) DeleteObject(region);
  if (window->IsTopLevel() && window->Native) {
    std::vector<TRect> rects = window->Shape.Rects();
    window->Native->SetShape(rects, window->HasShape);
  }
  if (redraw) {
    // The window paints again inside its new shape; the parent where the old one was cut away.
    InvalidateRect(handle, nullptr, true);
    if (!window->IsTopLevel())
      InvalidateArea(window->Parent, TRegionData::FromRect(window->Rect), true, 0, false);
  }
  return 1;
}

int GetWindowRgn(HWND handle, HRGN region) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || !window->HasShape || !region) return RGN_ERROR;
  region->Data = window->Shape;
  return region->Data.Complexity();
}
