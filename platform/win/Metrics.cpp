// System metrics, system parameters and monitors. The metrics are those of the classic look
// (no visual-style theme) at 96 dots per inch.
#include <algorithm>
#include <climits>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

constexpr int CaptionHeight = 19;
constexpr int SmallCaptionHeight = 16;
constexpr int ScrollBarSize = 17;
constexpr int FixedFrame = 3;
constexpr int SizingFrame = 4;

TRect VirtualScreen() {
  TRect all;
  for (const TMonitorState& m : WindowSystem().Monitors) UnionRect(all, all, m.Bounds);
  return all;
}

HMONITOR HandleOf(size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

HMONITOR Fallback(DWORD flags, TPoint toward) {
  const auto& monitors = WindowSystem().Monitors;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
  if (flags != MONITOR_DEFAULTTONEAREST) return nullptr;
  size_t best = 0;
  long long bestDistance = LLONG_MAX;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const TRect& r = monitors[i].Bounds;
    long long dx = toward.X < r.Left ? r.Left - toward.X : toward.X >= r.Right ? toward.X - r.Right + 1 : 0;
    long long dy = toward.Y < r.Top ? r.Top - toward.Y : toward.Y >= r.Bottom ? toward.Y - r.Bottom + 1 : 0;
    long long distance = dx * dx + dy * dy;
    if (distance < bestDistance) bestDistance = distance, best = i;
  }
  return HandleOf(best);
}

}  // namespace

int GetSystemMetrics(int index) {
  TWindowSystem& system = WindowSystem();
  const TMonitorState& primary = system.Monitors.front();
  switch (index) {
    case SM_CXSCREEN: return primary.Bounds.Width();
    case SM_CYSCREEN: return primary.Bounds.Height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return ScrollBarSize;
    case SM_CYCAPTION: return CaptionHeight;
    case SM_CYSMCAPTION: return SmallCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER: return 1;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return FixedFrame;
    case SM_CXSIZEFRAME:
    case SM_CYSIZEFRAME: return SizingFrame;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return CaptionHeight;
    case SM_CXFULLSCREEN: return primary.WorkArea.Width();
    case SM_CYFULLSCREEN: return primary.WorkArea.Height() - CaptionHeight;
    case SM_SWAPBUTTON: return 0;
    case SM_CXMIN:
    case SM_CXMINTRACK: return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK: return 27;
    case SM_CXSIZE:
    case SM_CYSIZE: return CaptionHeight - 1;
    case SM_CXSMSIZE: return 12;
    case SM_CYSMSIZE: return SmallCaptionHeight - 1;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXMAXIMIZED: return primary.WorkArea.Width() + 2 * SizingFrame;
    case SM_CYMAXIMIZED: return primary.WorkArea.Height() + 2 * SizingFrame;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_XVIRTUALSCREEN: return VirtualScreen().Left;
    case SM_YVIRTUALSCREEN: return VirtualScreen().Top;
    case SM_CXVIRTUALSCREEN: return VirtualScreen().Width();
    case SM_CYVIRTUALSCREEN: return VirtualScreen().Height();
    case SM_CMONITORS: return static_cast<int>(system.Monitors.size());
    default: return 0;
  }
}

bool SystemParametersInfo(UINT action, UINT, void* out, UINT) {
  if (!out) return false;
  switch (action) {
    case SPI_GETWORKAREA:
      *static_cast<TRect*>(out) = WindowSystem().Monitors.front().WorkArea;
      return true;
    case SPI_GETWHEELSCROLLLINES: *static_cast<UINT*>(out) = 3; return true;
    case SPI_GETDRAGFULLWINDOWS: *static_cast<bool*>(out) = true; return true;
    // Keyboard cues show, menus are not flat and drop no shadow: the classic desktop.
    case SPI_GETKEYBOARDCUES: *static_cast<bool*>(out) = true; return true;
    case SPI_GETFLATMENU:
    case SPI_GETDROPSHADOW: *static_cast<bool*>(out) = false; return true;
    default: return false;
  }
}

bool AdjustWindowRectEx(TRect* rect, DWORD style, bool, DWORD exStyle) {
  if (!rect) return false;
  TRect insets = FrameInsets(style, exStyle);
  rect->Left -= insets.Left;
  rect->Top -= insets.Top;
  rect->Right += insets.Right;
  rect->Bottom += insets.Bottom;
  return true;
}

TRect FrameInsets(DWORD style, DWORD exStyle) {
  int border = 0;
  if (style & WS_THICKFRAME)
    border = SizingFrame;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    border = FixedFrame;
  else if (style & WS_BORDER)
    border = 1;
  if (exStyle & WS_EX_CLIENTEDGE) border += 2;
  if (exStyle & WS_EX_STATICEDGE) border += 1;
  TRect insets{border, border, border, border};
  if ((style & WS_CAPTION) == WS_CAPTION)
    insets.Top += (exStyle & WS_EX_TOOLWINDOW) ? SmallCaptionHeight : CaptionHeight;
  return insets;
}

// --- Monitors -----------------------------------------------------------------------------------

HMONITOR MonitorFromPoint(TPoint point, DWORD flags) {
  const auto& monitors = WindowSystem().Monitors;
  for (size_t i = 0; i < monitors.size(); ++i)
    if (PtInRect(monitors[i].Bounds, point)) return HandleOf(i);
  return Fallback(flags, point);
}

HMONITOR MonitorFromRect(const TRect& rect, DWORD flags) {
  const auto& monitors = WindowSystem().Monitors;
  long long bestArea = 0;
  HMONITOR best = nullptr;
  for (size_t i = 0; i < monitors.size(); ++i) {
    TRect overlap;
    if (!IntersectRect(overlap, rect, monitors[i].Bounds)) continue;
    long long area = static_cast<long long>(overlap.Width()) * overlap.Height();
    if (area > bestArea) bestArea = area, best = HandleOf(i);
  }
  if (best) return best;
  return Fallback(flags, {(rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2});
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
  TRect rect;
  if (!GetWindowRect(window, &rect)) return Fallback(flags, {});
  return MonitorFromRect(rect, flags);
}

bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  const auto& monitors = WindowSystem().Monitors;
  size_t index = reinterpret_cast<size_t>(monitor);
  if (!info || index == 0 || index > monitors.size()) return false;
  const TMonitorState& m = monitors[index - 1];
  info->rcMonitor = m.Bounds;
  info->rcWork = m.WorkArea;
  info->dwFlags = m.Primary ? MONITORINFOF_PRIMARY : 0;
  return true;
}

int MonitorCount() { return static_cast<int>(WindowSystem().Monitors.size()); }

HMONITOR MonitorByIndex(int index) {
  if (index < 0 || index >= MonitorCount()) return nullptr;
  return HandleOf(static_cast<size_t>(index));
}

void SetMonitors(const std::vector<TMonitorSetup>& monitors) {
  if (monitors.empty()) return;
  TWindowSystem& system = WindowSystem();
  system.Monitors.clear();
  for (size_t i = 0; i < monitors.size(); ++i)
    system.Monitors.push_back({monitors[i].Bounds, monitors[i].WorkArea, i == 0});
  TWindow* desktop = system.Desktop();
  desktop->Rect = VirtualScreen();
  desktop->Client = {0, 0, desktop->Rect.Width(), desktop->Rect.Height()};
}
