#include "platform/gdi/ProgramResources.h"

#include <cmath>
#include <map>

#include "platform/rtl/TextCompare.h"

namespace {

constexpr uint32_t kKey = 0xFFFF00FF;  // the background of glyphs drawn transparent
constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kGrey = 0xFF808080, kLight = 0xFFC0C0C0;
constexpr uint32_t kDark = 0xFF404040, kBlue = 0xFF1C5180, kSky = 0xFFDCEBFA, kFace = 0xFFF0F0F0;
constexpr uint32_t kPaleBlue = 0xFFA8B8C8;  // the shaded look's border when inactive

// Small pixel drawing on a picture.
struct TPainter {
  TRasterImage Image;
  TPainter(int width, int height, uint32_t background) { Image.Resize(width, height, background); }
  void Pixel(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < Image.Width && y < Image.Height) Image.At(x, y) = c;
  }
  void Fill(int left, int top, int right, int bottom, uint32_t c) {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) Pixel(x, y, c);
    }
  }
  void Frame(int left, int top, int right, int bottom, uint32_t c) {
    Fill(left, top, right, top + 1, c);
    Fill(left, bottom - 1, right, bottom, c);
    Fill(left, top, left + 1, bottom, c);
    Fill(right - 1, top, right, bottom, c);
  }
  // Both ends included.
  void Line(int x0, int y0, int x1, int y1, uint32_t c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      Pixel(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  // Pixels whose centres lie inside the triangle.
  void Triangle(double ax, double ay, double bx, double by, double cx, double cy, uint32_t c) {
    auto side = [](double px, double py, double qx, double qy, double x, double y) {
      return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    for (int y = 0; y < Image.Height; ++y) {
      for (int x = 0; x < Image.Width; ++x) {
        double u = x + 0.5, v = y + 0.5;
        double d1 = side(ax, ay, bx, by, u, v), d2 = side(bx, by, cx, cy, u, v), d3 = side(cx, cy, ax, ay, u, v);
        bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
        if (!(negative && positive)) Pixel(x, y, c);
      }
    }
  }
  void Disc(double cx, double cy, double r, uint32_t c) {
    for (int y = 0; y < Image.Height; ++y) {
      for (int x = 0; x < Image.Width; ++x) {
        if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r) Pixel(x, y, c);
      }
    }
  }
  void Ring(double cx, double cy, double r, uint32_t c) {
    for (int y = 0; y < Image.Height; ++y) {
      for (int x = 0; x < Image.Width; ++x) {
        double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        if (d <= r && d > r - 1.1) Pixel(x, y, c);
      }
    }
  }
};

// A check box of 15 x 15 with a clear margin; csQex flat, csWinXP blue and shaded.
TRasterImage CheckGlyph(bool xp, bool checked, bool active) {
  TPainter p(15, 15, kKey);
  uint32_t border = active ? (xp ? kBlue : kDark) : (xp ? kPaleBlue : kGrey);
  p.Fill(1, 1, 14, 14, active ? (xp ? kSky : kWhite) : kFace);
  if (xp && active) p.Fill(2, 2, 13, 8, kWhite);
  p.Frame(1, 1, 14, 14, border);
  if (checked) {
    uint32_t tick = active ? (xp ? 0xFF21A121 : kBlack) : kGrey;
    for (int k = 0; k < 2; ++k) {
      p.Line(4, 6 + k, 6, 8 + k, tick);
      p.Line(6, 8 + k, 10, 4 + k, tick);
    }
  }
  return p.Image;
}

TRasterImage RadioGlyph(bool xp, bool checked, bool active) {
  TPainter p(15, 15, kKey);
  p.Disc(7.5, 7.5, 6.5, active ? (xp ? kBlue : kDark) : (xp ? kPaleBlue : kGrey));
  p.Disc(7.5, 7.5, 5.5, active ? (xp ? kSky : kWhite) : kFace);
  if (checked) p.Disc(7.5, 7.5, 2.6, active ? (xp ? 0xFF21A121 : kBlack) : kGrey);
  return p.Image;
}

// Arrows pointing up or down, the width of the picture at their base.
TRasterImage ArrowGlyph(int width, int height, bool up, uint32_t colour, uint32_t background) {
  TPainter p(width, height, background);
  int rows = (width + 1) / 2;
  int top = (height - rows) / 2;
  for (int r = 0; r < rows; ++r) {
    int half = up ? r : rows - 1 - r;
    p.Fill(width / 2 - half, top + r, width / 2 + half + 1, top + r + 1, colour);
  }
  return p.Image;
}

TRasterImage SpinArrow(bool up) {
  TPainter p(9, 6, kLight);
  for (int r = 0; r < 4; ++r) {
    int half = up ? r : 3 - r;
    p.Fill(4 - half, 1 + r, 5 + half, 2 + r, kBlack);
  }
  return p.Image;
}

TRasterImage FilterGlyph() {
  TPainter p(16, 16, kKey);
  // A funnel: a wide top narrowing to a spout.
  for (int y = 3; y < 9; ++y) p.Fill(2 + (y - 3), y, 14 - (y - 3), y + 1, kBlack);
  p.Fill(7, 9, 9, 14, kBlack);
  p.Fill(3, 4, 13, 5, kWhite);
  return p.Image;
}

TRasterImage NodeGlyph(bool expanded) {
  TPainter p(9, 9, kKey);
  p.Fill(0, 0, 9, 9, kWhite);
  p.Frame(0, 0, 9, 9, 0xFF7898B5);
  p.Fill(2, 4, 7, 5, kBlack);
  if (!expanded) p.Fill(4, 2, 5, 7, kBlack);
  return p.Image;
}

TRasterImage LeafGlyph(bool open) {
  TPainter p(12, 12, kKey);
  if (open) {
    p.Triangle(2, 4, 10, 4, 6, 9, kDark);
  } else {
    p.Triangle(4, 2, 4, 10, 9, 6, kDark);
  }
  return p.Image;
}

TRasterImage CloseGlyph() {
  TPainter p(14, 14, kKey);
  for (int k = 0; k < 2; ++k) {
    p.Line(3 + k, 3, 10 + k, 10, kBlack);
    p.Line(10 + k, 3, 3 + k, 10, kBlack);
  }
  return p.Image;
}

// The pan anchor: a ring with arrow heads in the directions panning goes.
TRasterImage PanAnchor(bool horizontal, bool vertical) {
  TPainter p(32, 32, kWhite);
  p.Ring(16, 16, 15, kBlack);
  p.Disc(16, 16, 2, kBlack);
  if (vertical) {
    p.Triangle(16, 4, 11, 10, 21, 10, kBlack);
    p.Triangle(16, 28, 11, 22, 21, 22, kBlack);
  }
  if (horizontal) {
    p.Triangle(4, 16, 10, 11, 10, 21, kBlack);
    p.Triangle(28, 16, 22, 11, 22, 21, kBlack);
  }
  return p.Image;
}

// The memo's 16 x 16 pictures.
TRasterImage MemoPicture(char which) {
  TPainter p(16, 16, kKey);
  switch (which) {
    case 'b':  // bookmark: a blue ribbon
      p.Fill(4, 1, 12, 14, kBlue);
      p.Triangle(4, 14, 12, 14, 8, 10, kKey);
      break;
    case 'x':  // cut: scissors
      p.Line(4, 1, 10, 10, kBlack);
      p.Line(11, 1, 5, 10, kBlack);
      p.Ring(4.5, 12.5, 2.5, kBlack);
      p.Ring(11.5, 12.5, 2.5, kBlack);
      break;
    case 'c':  // copy: two sheets
      p.Fill(1, 1, 9, 11, kWhite);
      p.Frame(1, 1, 9, 11, kDark);
      p.Fill(6, 5, 15, 15, kWhite);
      p.Frame(6, 5, 15, 15, kDark);
      break;
    case 'p':  // paste: a board with a sheet
      p.Fill(2, 2, 12, 15, 0xFFB07830);
      p.Fill(5, 1, 9, 3, kDark);
      p.Fill(7, 6, 15, 15, kWhite);
      p.Frame(7, 6, 15, 15, kDark);
      break;
    case 'u':  // undo: an arrow turning left
    case 'r': {
      bool undo = which == 'u';
      p.Ring(8, 9, 5, kBlue);
      p.Fill(0, 10, 16, 16, kKey);
      if (undo) {
        p.Triangle(0, 9, 6, 9, 3, 13, kBlue);
      } else {
        p.Triangle(10, 9, 16, 9, 13, 13, kBlue);
      }
      break;
    }
  }
  return p.Image;
}

// A 32 x 32 cursor: black with a white outline on transparency.
TCursorImage Cursor(const std::function<void(TPainter&)>& shape, TPoint hotSpot) {
  TPainter p(32, 32, 0);
  shape(p);
  TRasterImage outlined = p.Image;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      if (p.Image.At(x, y) != 0) continue;
      bool touches = false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          int nx = x + dx, ny = y + dy;
          if (nx >= 0 && ny >= 0 && nx < 32 && ny < 32 && p.Image.At(nx, ny) == kBlack) touches = true;
        }
      }
      if (touches) outlined.At(x, y) = kWhite;
    }
  }
  return {outlined, hotSpot};
}

using TMakers = std::map<String, std::function<TRasterImage()>>;

TMakers& Images() {
  static TMakers images = [] {
    TMakers made;
    for (int i = 0; i < 8; ++i) {
      // 01-04 the flat look, 05-08 the shaded one: checked active, unchecked active, checked
      // inactive, unchecked inactive.
      bool xp = i >= 4, checked = i % 2 == 0, active = i % 4 < 2;
      String number = String(u"0") + static_cast<char16_t>(u'1' + i);
      made[u"asgchk" + number] = [=] { return CheckGlyph(xp, checked, active); };
      made[u"asgrad" + number] = [=] { return RadioGlyph(xp, checked, active); };
    }
    made[u"asgspinup"] = [] { return SpinArrow(true); };
    made[u"asgspindown"] = [] { return SpinArrow(false); };
    made[u"asgfilt"] = FilterGlyph;
    made[u"xpnodec"] = [] { return NodeGlyph(false); };
    made[u"xpnodeo"] = [] { return NodeGlyph(true); };
    made[u"asgleafclose"] = [] { return LeafGlyph(false); };
    made[u"asgleafopen"] = [] { return LeafGlyph(true); };
    made[u"asgclose"] = CloseGlyph;
    made[u"intli1"] = [] { return PanAnchor(true, true); };
    made[u"intli2"] = [] { return PanAnchor(true, false); };
    made[u"intli3"] = [] { return PanAnchor(false, true); };
    made[u"qex_book"] = [] { return MemoPicture('b'); };
    made[u"qex_cut"] = [] { return MemoPicture('x'); };
    made[u"qex_copy"] = [] { return MemoPicture('c'); };
    made[u"qex_paste"] = [] { return MemoPicture('p'); };
    made[u"qex_undo"] = [] { return MemoPicture('u'); };
    made[u"qex_redo"] = [] { return MemoPicture('r'); };
    made[u"ac_miniarrow_down"] = [] { return ArrowGlyph(7, 6, false, kBlack, kKey); };
    made[u"ac_miniarrow_up"] = [] { return ArrowGlyph(7, 6, true, kBlack, kKey); };
    return made;
  }();
  return images;
}

std::map<String, TBytes>& Data() {
  static std::map<String, TBytes> data;
  return data;
}

TCursorImage PanCursor(int direction) {
  // 8000 all ways; 8001-8008 north, north-east, east, south-east, south, south-west, west, north-west.
  return Cursor(
      [direction](TPainter& p) {
        p.Disc(16, 16, 2.5, kBlack);
        static const int kDx[] = {0, 1, 1, 1, 0, -1, -1, -1}, kDy[] = {-1, -1, 0, 1, 1, 1, 0, -1};
        for (int d = 0; d < 8; ++d) {
          if (direction != 0 && direction != d + 1) continue;
          if (direction == 0 && d % 2 == 1) continue;
          double tx = 16 + kDx[d] * 12, ty = 16 + kDy[d] * 12;
          double nx = -kDy[d] * 4.0, ny = kDx[d] * 4.0;
          p.Triangle(tx, ty, tx - kDx[d] * 6 + nx, ty - kDy[d] * 6 + ny, tx - kDx[d] * 6 - nx, ty - kDy[d] * 6 - ny,
                     kBlack);
        }
      },
      {16, 16});
}

}  // namespace

void RaiseResourceNotFound(std::u16string_view name) {
  throw EResNotFound(u"Resource " + String(name) + u" not found");
}

bool FindResourceImage(std::u16string_view name, TRasterImage& image) {
  auto it = Images().find(LowerCase(name));
  if (it == Images().end()) return false;
  image = it->second();
  return true;
}

void RegisterResourceImage(std::u16string_view name, std::function<TRasterImage()> make) {
  Images()[LowerCase(name)] = std::move(make);
}

bool FindResourceCursor(int id, TCursorImage& cursor) {
  if (id >= 8000 && id <= 8008) {
    cursor = PanCursor(id - 8000);
    return true;
  }
  switch (id) {
    case 8010:  // arrow pointing right
      cursor = Cursor([](TPainter& p) {
        p.Fill(6, 14, 20, 19, kBlack);
        p.Triangle(19, 9, 19, 24, 27, 16.5, kBlack);
      }, {26, 16});
      return true;
    case 8011:  // arrow pointing down
      cursor = Cursor([](TPainter& p) {
        p.Fill(11, 6, 16, 20, kBlack);
        p.Triangle(6, 19, 21, 19, 13.5, 27, kBlack);
      }, {13, 26});
      return true;
    case 8012:  // cross
      cursor = Cursor([](TPainter& p) {
        p.Fill(15, 4, 17, 29, kBlack);
        p.Fill(4, 15, 29, 17, kBlack);
      }, {16, 16});
      return true;
    case 8014:  // hollow cross
      cursor = Cursor([](TPainter& p) {
        p.Frame(13, 4, 20, 29, kBlack);
        p.Frame(4, 13, 29, 20, kBlack);
        p.Fill(14, 14, 19, 19, 0);
      }, {16, 16});
      return true;
  }
  return false;
}

bool FindResourceCursor(std::u16string_view name, TCursorImage& cursor) {
  if (!SameText(name, u"QEX_POINTER")) return false;
  // A pointing hand.
  cursor = Cursor([](TPainter& p) {
    p.Fill(9, 2, 13, 18, kBlack);
    p.Fill(9, 12, 24, 26, kBlack);
    p.Fill(5, 16, 9, 22, kBlack);
  }, {11, 2});
  return true;
}

bool FindResourceData(std::u16string_view name, TBytes& data) {
  auto it = Data().find(LowerCase(name));
  if (it == Data().end()) return false;
  data = it->second;
  return true;
}

void RegisterResourceData(std::u16string_view name, TBytes data) { Data()[LowerCase(name)] = std::move(data); }
