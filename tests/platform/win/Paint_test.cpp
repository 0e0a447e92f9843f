#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/DrawingLog.h"
#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;

class PaintTest : public TWinTest {
 public:
  // A window that paints itself in one colour and counts its paints.
  void PaintsIn(HWND window, COLORREF color, int* paints = nullptr, TRect* lastPaint = nullptr) {
    Answer(window, [=](UINT message, WPARAM, LPARAM, LRESULT&) {
      if (message != WM_PAINT) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      HBRUSH brush = CreateSolidBrush(color);
      TRect client;
      GetClientRect(window, &client);
      FillRect(dc, client, brush);
      DeleteObject(brush);
      EndPaint(window, &ps);
      if (paints) ++*paints;
      if (lastPaint) *lastPaint = ps.rcPaint;
      return true;
    });
  }
  // A pixel of the window's surface, whichever window painted it.
  COLORREF PixelOf(HWND window, int x, int y) {
    TPoint origin;
    cairo_surface_t* surface = GetWindowSurface(window, &origin);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    uint32_t pixel;
    std::memcpy(&pixel, data + (origin.Y + y) * stride + (origin.X + x) * 4, 4);
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
};

TEST_F(PaintTest, InvalidAreasAreRecordedAndPaintedOnce) {
  HWND window = TopLevel("W", Bounds(0, 0, 200, 100), WS_POPUP | WS_VISIBLE);
  int paints = 0;
  TRect painted;
  PaintsIn(window, RGB(255, 0, 0), &paints, &painted);
  Script().RunScript();
  EXPECT_EQ(paints, 1);  // the first showing
  TRect a{10, 10, 20, 20}, b{50, 30, 60, 40};
  InvalidateRect(window, &a, false);
  InvalidateRect(window, &b, true);
  TRect update;
  EXPECT_TRUE(GetUpdateRect(window, &update, false));
  EXPECT_EQ(update, Rect(10, 10, 60, 40));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(window, region, false), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(region, 15, 15));
  EXPECT_FALSE(PtInRegion(region, 30, 30));
  DeleteObject(region);
  Script().RunScript();
  EXPECT_EQ(paints, 2);
  EXPECT_EQ(painted, Rect(10, 10, 60, 40));
  EXPECT_FALSE(GetUpdateRect(window, &update, false));

  ValidateRect(window, nullptr);
  InvalidateRect(window, &a, false);
  ValidateRect(window, &a);
  Script().RunScript();
  EXPECT_EQ(paints, 2);
}

TEST_F(PaintTest, RedrawOffAndHiddenWindowsCollectNothing) {
  HWND window = TopLevel("W", Bounds(0, 0, 200, 100), WS_POPUP | WS_VISIBLE);
  int paints = 0;
  PaintsIn(window, RGB(255, 0, 0), &paints);
  Script().RunScript();
  SendMessage(window, WM_SETREDRAW, 0);
  InvalidateRect(window, nullptr, true);
  TRect update;
  EXPECT_FALSE(GetUpdateRect(window, &update, false));
  SendMessage(window, WM_SETREDRAW, 1);
  InvalidateRect(window, nullptr, true);
  EXPECT_TRUE(GetUpdateRect(window, &update, false));
  ShowWindow(window, SW_HIDE);
  Script().RunScript();
  EXPECT_EQ(paints, 1);
  ShowWindow(window, SW_SHOW);  // showing owes the whole window
  UpdateWindow(window);         // ... and UpdateWindow pays it at once
  EXPECT_EQ(paints, 2);
}

TEST_F(PaintTest, ChildrenAndSiblingsClipEachOther) {
  HWND form = TopLevel("F", Bounds(0, 0, 200, 200), WS_POPUP | WS_CLIPCHILDREN);
  HWND lower = Child("Lower", form, Bounds(10, 10, 100, 100));
  HWND upper = Child("Upper", form, Bounds(50, 50, 100, 100));
  SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PaintsIn(form, RGB(255, 0, 0));
  PaintsIn(lower, RGB(0, 255, 0));
  PaintsIn(upper, RGB(0, 0, 255));
  ShowWindow(form, SW_SHOW);
  Script().RunScript();
  EXPECT_EQ(PixelOf(form, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(form, 20, 20), RGB(0, 255, 0));
  EXPECT_EQ(PixelOf(form, 80, 80), RGB(0, 0, 255));  // the upper sibling wins the overlap
  // Painting the lower one again does not reach into the upper one or the form's own area.
  InvalidateRect(lower, nullptr, true);
  PaintsIn(lower, RGB(0, 128, 0));
  Script().RunScript();
  EXPECT_EQ(PixelOf(form, 20, 20), RGB(0, 128, 0));
  EXPECT_EQ(PixelOf(form, 80, 80), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(form, 5, 5), RGB(255, 0, 0));
}

TEST_F(PaintTest, ThePaintLogRecordsTheWindowsDrawing) {
  WNDCLASS windowClass;
  windowClass.lpfnWndProc = DefWindowProc;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = u"Erasing";
  RegisterClass(windowClass);
  HWND window = CreateWindowEx(0, u"Erasing", u"", WS_POPUP, 0, 0, 50, 40, nullptr, nullptr,
                               HInstance, nullptr);
  TDrawingLog log;
  SetWindowPaintLog(window, &log);
  ShowWindow(window, SW_SHOW);
  Script().RunScript();
  ASSERT_EQ(log.Named("FillRect").size(), 1u) << log.Dump();
  EXPECT_EQ(log.Named("FillRect")[0].ArgRect(), Rect(0, 0, 50, 40));
  EXPECT_EQ(PixelOf(window, 25, 20), GetSysColor(COLOR_BTNFACE));
}

}  // namespace

namespace {

TEST_F(PaintTest, TheCaretNestsItsHidingAndGoesWithItsWindow) {
  HWND window = TopLevel("W", Bounds(0, 0, 200, 100), WS_POPUP | WS_VISIBLE);
  EXPECT_TRUE(CreateCaret(window, nullptr, 1, 16));
  EXPECT_FALSE(IsCaretShowing());  // a new caret is hidden
  ShowCaret(window);
  EXPECT_TRUE(IsCaretShowing());
  HideCaret(window);
  HideCaret(window);
  ShowCaret(window);
  EXPECT_FALSE(IsCaretShowing());  // two hides need two shows
  ShowCaret(window);
  SetCaretPos(30, 4);
  TPoint pos;
  GetCaretPos(&pos);
  EXPECT_EQ(pos, Point(30, 4));
  EXPECT_EQ(GetCaretSize().cy, 16);
  bool showingWhilePainting = true;
  Answer(window, [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    showingWhilePainting = IsCaretShowing();
    EndPaint(window, &ps);
    return true;
  });
  InvalidateRect(window, nullptr, false);
  UpdateWindow(window);
  EXPECT_FALSE(showingWhilePainting);  // painting hides it
  EXPECT_TRUE(IsCaretShowing());
  DestroyWindow(window);
  EXPECT_EQ(GetCaretOwner(), nullptr);
  EXPECT_FALSE(IsCaretShowing());
}

}  // namespace
