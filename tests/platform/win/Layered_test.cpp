#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;

// Shown pixels are 0xAARRGGBB.
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

class LayeredTest : public TWinTest {
 public:
  // A window that paints its client area green with a red square at (10, 10)-(20, 20).
  HWND Painted(DWORD exStyle) {
    HWND window = TopLevel("L", Bounds(50, 60, 40, 30), WS_POPUP | WS_VISIBLE, nullptr, exStyle);
    Answer(window, [window](UINT message, WPARAM, LPARAM, LRESULT&) {
      if (message != WM_PAINT) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(dc, {0, 0, 40, 30}, green);
      FillRect(dc, {10, 10, 20, 20}, red);
      DeleteObject(green);
      DeleteObject(red);
      EndPaint(window, &ps);
      return true;
    });
    UpdateWindow(window);
    return window;
  }
  uint32_t Shown(HWND window, int x, int y) { return Script().ShownPixel(window, x, y); }
};

TEST_F(LayeredTest, AttributesSetAlphaAndKeyOnWhatTheWindowPaints) {
  HWND plain = Painted(0);
  EXPECT_EQ(Shown(plain, 2, 2), Argb(255, 0, 200, 0)) << "not layered: as painted";
  EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 128, LWA_ALPHA)) << "not layered";

  HWND window = Painted(WS_EX_LAYERED);
  EXPECT_EQ(Shown(window, 2, 2), 0u) << "layered shows nothing until told what";
  EXPECT_FALSE(GetLayeredWindowAttributes(window, nullptr, nullptr, nullptr));

  struct Case {
    const char* name;
    COLORREF key;
    BYTE alpha;
    DWORD flags;
    uint32_t green, red;
  } cases[] = {
      {"alpha", 0, 128, LWA_ALPHA, Argb(128, 0, 200, 0), Argb(128, 255, 0, 0)},
      {"key", RGB(255, 0, 0), 0, LWA_COLORKEY, Argb(255, 0, 200, 0), Argb(0, 255, 0, 0)},
      {"both", RGB(255, 0, 0), 64, LWA_COLORKEY | LWA_ALPHA, Argb(64, 0, 200, 0),
       Argb(0, 255, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetLayeredWindowAttributes(window, c.key, c.alpha, c.flags));
    EXPECT_EQ(Shown(window, 2, 2), c.green);
    EXPECT_EQ(Shown(window, 15, 15), c.red);
    COLORREF key = 1;
    BYTE alpha = 1;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(flags, c.flags);
    if (c.flags & LWA_COLORKEY) {
      EXPECT_EQ(key, c.key);
    }
    if (c.flags & LWA_ALPHA) {
      EXPECT_EQ(alpha, c.alpha);
    }
  }
  EXPECT_FALSE(SetLayeredWindowAttributes(window, 0, 0, 0x10)) << "an unknown flag";
}

TEST_F(LayeredTest, UpdateTakesAnImageOfItsOwnAndMovesTheWindow) {
  HWND window = Painted(WS_EX_LAYERED);
  // The image: a 32-bit top-down section, blue with premultiplied alpha 128 in its top row.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 20;
  info.bmiHeader.biHeight = -10;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(image, nullptr);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 20 * 10; ++i) pixels[i] = 0xFF0000FF;  // opaque blue
  for (int x = 0; x < 20; ++x) pixels[x] = 0x80000080;       // half blue at half alpha
  pixels[20 + 5] = 0xFFFFFFFF;                               // one white pixel
  HDC memory = CreateCompatibleDC(nullptr);
  SelectObject(memory, image);

  TPoint at{200, 150};
  TSize size{20, 10};
  TPoint from{0, 0};
  BLENDFUNCTION blend;
  blend.AlphaFormat = AC_SRC_ALPHA;
  blend.SourceConstantAlpha = 255;
  ASSERT_TRUE(UpdateLayeredWindow(window, nullptr, &at, &size, memory, &from, 0, &blend,
                                  ULW_ALPHA));
  TRect rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect, (TRect{200, 150, 220, 160}));
  EXPECT_EQ(Shown(window, 3, 0), Argb(128, 0, 0, 255)) << "straight colour, its own alpha";
  EXPECT_EQ(Shown(window, 3, 5), Argb(255, 0, 0, 255));

  // A constant alpha over the image's own, and a colour key, without a new image.
  blend.SourceConstantAlpha = 128;
  ASSERT_TRUE(UpdateLayeredWindow(window, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  RGB(255, 255, 255), &blend, ULW_ALPHA | ULW_COLORKEY));
  EXPECT_EQ(Shown(window, 3, 5), Argb(128, 0, 0, 255));
  EXPECT_EQ(Shown(window, 3, 0), Argb(64, 0, 0, 255));
  EXPECT_EQ(Shown(window, 5, 1), Argb(0, 255, 255, 255)) << "the key colour is transparent";

  // Without AC_SRC_ALPHA the image is opaque.
  blend.AlphaFormat = 0;
  blend.SourceConstantAlpha = 255;
  ASSERT_TRUE(UpdateLayeredWindow(window, nullptr, nullptr, nullptr, memory, nullptr, 0, &blend,
                                  ULW_ALPHA));
  EXPECT_EQ(Shown(window, 3, 0) >> 24, 255u);

  // Misuse fails.
  EXPECT_FALSE(UpdateLayeredWindow(window, nullptr, nullptr, nullptr, memory, nullptr, 0,
                                   nullptr, ULW_ALPHA))
      << "alpha without a blend";
  TSize empty{0, 5};
  EXPECT_FALSE(UpdateLayeredWindow(window, nullptr, nullptr, &empty, memory, nullptr, 0, &blend,
                                   ULW_ALPHA));
  EXPECT_FALSE(UpdateLayeredWindow(window, nullptr, nullptr, nullptr, memory, nullptr, 0, &blend,
                                   0x80));

  // Attributes take over; updating fails until the style is cleared and set again.
  ASSERT_TRUE(SetLayeredWindowAttributes(window, 0, 200, LWA_ALPHA));
  EXPECT_FALSE(UpdateLayeredWindow(window, nullptr, nullptr, nullptr, memory, nullptr, 0, &blend,
                                   ULW_ALPHA));
  SetWindowLongPtr(window, GWL_EXSTYLE, 0);
  EXPECT_EQ(Shown(window, 3, 5) >> 24, 255u) << "no longer layered: as painted";
  SetWindowLongPtr(window, GWL_EXSTYLE, WS_EX_LAYERED);
  EXPECT_EQ(Shown(window, 3, 5), 0u);
  EXPECT_TRUE(UpdateLayeredWindow(window, nullptr, nullptr, nullptr, memory, nullptr, 0, &blend,
                                  ULW_ALPHA));
  EXPECT_EQ(Shown(window, 3, 5), Argb(255, 0, 0, 255));

  DeleteDC(memory);
  DeleteObject(image);
}

TEST_F(LayeredTest, ChildWindowsAndDestroyedWindowsAreNotLayered) {
  HWND top = Painted(0);
  HWND child = Child("C", top, {0, 0, 10, 10}, WS_CHILD | WS_VISIBLE, WS_EX_LAYERED);
  EXPECT_FALSE(SetLayeredWindowAttributes(child, 0, 10, LWA_ALPHA));
  HWND layered = Painted(WS_EX_LAYERED);
  DestroyWindow(layered);
  EXPECT_FALSE(SetLayeredWindowAttributes(layered, 0, 10, LWA_ALPHA));
  EXPECT_EQ(Shown(layered, 1, 1), 0u);
}

}  // namespace
