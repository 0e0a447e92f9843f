// Pens and brushes of the GDI+ flat API, and the cairo sources they paint with.
#include <cairo.h>

#include <cmath>

#include "platform/gdi/GdiPlusObjects.h"

namespace {

double Channel(ARGB c, int shift) { return ((c >> shift) & 0xFF) / 255.0; }

void AddStop(cairo_pattern_t* pattern, double offset, ARGB c) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, Channel(c, 16), Channel(c, 8), Channel(c, 0), Channel(c, 24));
}

// The colour at t between two colours in linear light.
ARGB GammaMix(ARGB a, ARGB b, double t) {
  auto toLinear = [](double v) { return std::pow(v, 2.2); };
  auto fromLinear = [](double v) { return std::pow(v, 1 / 2.2); };
  ARGB out = 0;
  for (int shift : {16, 8, 0}) {
    double v = fromLinear(toLinear(Channel(a, shift)) * (1 - t) + toLinear(Channel(b, shift)) * t);
    out |= static_cast<ARGB>(std::lround(v * 255)) << shift;
  }
  double alpha = Channel(a, 24) * (1 - t) + Channel(b, 24) * t;
  return out | (static_cast<ARGB>(std::lround(alpha * 255)) << 24);
}

ARGB Mix(ARGB a, ARGB b, double t) {
  ARGB out = 0;
  for (int shift : {24, 16, 8, 0}) {
    double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
    out |= static_cast<ARGB>(std::lround(v)) << shift;
  }
  return out;
}

cairo_extend_t ExtendOf(GpWrapMode wrap) {
  switch (wrap) {
    case WrapModeTile: return CAIRO_EXTEND_REPEAT;
    case WrapModeClamp: return CAIRO_EXTEND_NONE;
    default: return CAIRO_EXTEND_REFLECT;
  }
}

// Ordered-dither thresholds: a percentage pattern sets the pixels whose value is below its share.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};

int Mod(int a, int m) { return ((a % m) + m) % m; }

}  // namespace

bool GpHatchCovers(int style, int x, int y) {
  x = Mod(x, 8);
  y = Mod(y, 8);
  auto percent = [&](int share) { return kBayer[y][x] < share * 64 / 100; };
  int dx = std::abs(x - 4), dy = std::abs(y - 4);
  switch (style) {
    case HatchStyleHorizontal: return y == 0;
    case HatchStyleVertical: return x == 0;
    case HatchStyleForwardDiagonal: return x == y;
    case HatchStyleBackwardDiagonal: return x + y == 7;
    case HatchStyleCross: return x == 0 || y == 0;
    case HatchStyleDiagonalCross: return x == y || x + y == 7;
    case HatchStyle05Percent: return percent(5);
    case HatchStyle10Percent: return percent(10);
    case HatchStyle20Percent: return percent(20);
    case HatchStyle25Percent: return percent(25);
    case HatchStyle30Percent: return percent(30);
    case HatchStyle40Percent: return percent(40);
    case HatchStyle50Percent: return percent(50);
    case HatchStyle60Percent: return percent(60);
    case HatchStyle70Percent: return percent(70);
    case HatchStyle75Percent: return percent(75);
    case HatchStyle80Percent: return percent(80);
    case HatchStyle90Percent: return percent(90);
    case HatchStyleLightDownwardDiagonal: return Mod(x - y, 4) == 0;
    case HatchStyleLightUpwardDiagonal: return Mod(x + y, 4) == 3;
    case HatchStyleDarkDownwardDiagonal: return Mod(x - y, 4) < 2;
    case HatchStyleDarkUpwardDiagonal: return Mod(x + y, 4) >= 2;
    case HatchStyleWideDownwardDiagonal: return Mod(x - y, 8) < 3;
    case HatchStyleWideUpwardDiagonal: return Mod(x + y, 8) >= 5;
    case HatchStyleLightVertical: return x % 4 == 0;
    case HatchStyleLightHorizontal: return y % 4 == 0;
    case HatchStyleNarrowVertical: return x % 2 == 0;
    case HatchStyleNarrowHorizontal: return y % 2 == 0;
    case HatchStyleDarkVertical: return x % 4 < 2;
    case HatchStyleDarkHorizontal: return y % 4 < 2;
    case HatchStyleDashedDownwardDiagonal: return y < 4 && Mod(x - y, 4) == 0;
    case HatchStyleDashedUpwardDiagonal: return y < 4 && Mod(x + y, 4) == 3;
    case HatchStyleDashedHorizontal: return (y == 0 && x < 4) || (y == 4 && x >= 4);
    case HatchStyleDashedVertical: return (x == 0 && y < 4) || (x == 4 && y >= 4);
    case HatchStyleSmallConfetti: return x == Mod(y * 5, 8);
    case HatchStyleLargeConfetti: return (x / 2 + y / 2 * 3) % 4 == 0 && (x + y) % 4 != 3;
    case HatchStyleZigZag: return y % 4 == (x % 8 < 4 ? x % 4 : 3 - x % 4);
    case HatchStyleWave: {
      static constexpr int kWave[8] = {1, 0, 0, 1, 2, 3, 3, 2};
      return y % 4 == kWave[x] && y < 4;
    }
    case HatchStyleDiagonalBrick: return (y < 4 && x + y == 3) || (y >= 4 && x + y == 11) || (y == 4 && x < 4);
    case HatchStyleHorizontalBrick: return y == 0 || y == 4 || (x == 0 && y < 4) || (x == 4 && y > 4);
    case HatchStyleWeave: return Mod(x + y, 8) == 0 || (Mod(x - y, 8) == 4 && y % 2 == 0) || (x == 4 && y == 0);
    case HatchStylePlaid: return (y < 4 && (x + y) % 2 == 0) || (x < 4 && y >= 4) || y == 4;
    case HatchStyleDivot: return (x == 2 && (y == 1 || y == 3)) || (x == 3 && y == 2) || (x == 6 && (y == 5 || y == 7)) ||
                                 (x == 7 && y == 6);
    case HatchStyleDottedGrid: return (y == 0 && x % 2 == 0) || (x == 0 && y % 2 == 0);
    case HatchStyleDottedDiamond: return (x + y == 4 || x - y == 4 || y - x == 4 || x + y == 12) && x % 2 == 0;
    case HatchStyleShingle: return (x + y == 7 && x >= 2) || (y == 7 && x < 2) || (x == 0 && y < 2);
    case HatchStyleTrellis: return y % 4 == 0 || (y % 4 == 2 && x % 4 < 2);
    case HatchStyleSphere: return (x - 3.5) * (x - 3.5) + (y - 3.5) * (y - 3.5) < 10 &&
                                  !((x - 2.5) * (x - 2.5) + (y - 2.5) * (y - 2.5) < 2);
    case HatchStyleSmallGrid: return x % 4 == 0 || y % 4 == 0;
    case HatchStyleSmallCheckerBoard: return (x + y) % 2 == 0;
    case HatchStyleLargeCheckerBoard: return (x / 4 + y / 4) % 2 == 0;
    case HatchStyleOutlinedDiamond: return dx + dy == 4;
    case HatchStyleSolidDiamond: return dx + dy <= 3;
  }
  return false;
}

void SetSourceArgb(cairo_t* cr, ARGB c) {
  cairo_set_source_rgba(cr, Channel(c, 16), Channel(c, 8), Channel(c, 0), Channel(c, 24));
}

cairo_pattern_t* GpSolidFill::Pattern() const {
  return cairo_pattern_create_rgba(Channel(Color, 16), Channel(Color, 8), Channel(Color, 0), Channel(Color, 24));
}

cairo_pattern_t* GpHatch::Pattern() const {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_t* cr = cairo_create(tile);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      SetSourceArgb(cr, GpHatchCovers(Style, x, y) ? Fore : Back);
      cairo_rectangle(cr, x, y, 1, 1);
      cairo_fill(cr);
    }
  }
  cairo_destroy(cr);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

GpTexture::~GpTexture() {
  if (Surface != nullptr) cairo_surface_destroy(Surface);
}

cairo_pattern_t* GpTexture::Pattern() const {
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(Surface);
  cairo_pattern_set_extend(pattern, ExtendOf(Wrap));
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  // Texel k covers world coordinates k - 0.5 up to k + 0.5, pixel centres being whole numbers.
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, 0.5, 0.5);
  cairo_pattern_set_matrix(pattern, &m);
  return pattern;
}

cairo_pattern_t* GpLineGradient::Pattern() const {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(Start.X, Start.Y, End.X, End.Y);
  std::vector<std::pair<double, ARGB>> stops;
  if (!BlendColors.empty()) {
    for (size_t i = 0; i < BlendColors.size(); ++i) stops.push_back({std::clamp<double>(BlendPositions[i], 0, 1), BlendColors[i]});
  } else {
    stops = {{0, Color1}, {1, Color2}};
  }
  for (size_t i = 0; i < stops.size(); ++i) {
    AddStop(pattern, stops[i].first, stops[i].second);
    if (Gamma && i + 1 < stops.size()) {
      // Linear-light interpolation, approximated by intermediate stops.
      constexpr int kSteps = 16;
      for (int s = 1; s < kSteps; ++s) {
        double t = double(s) / kSteps;
        AddStop(pattern, stops[i].first + (stops[i + 1].first - stops[i].first) * t,
                GammaMix(stops[i].second, stops[i + 1].second, t));
      }
    }
  }
  cairo_pattern_set_extend(pattern, Wrap == WrapModeTile ? CAIRO_EXTEND_REPEAT : Wrap == WrapModeClamp ? CAIRO_EXTEND_PAD
                                                                                                     : CAIRO_EXTEND_REFLECT);
  cairo_matrix_t m;
  cairo_matrix_init_identity(&m);
  if (UnitSquare) {
    cairo_matrix_init_scale(&m, 1.0 / UnitSquare->Width, 1.0 / UnitSquare->Height);
    cairo_matrix_translate(&m, -UnitSquare->X, -UnitSquare->Y);
  }
  // A pixel centre exactly on the start must not fall into the tile before it.
  double dx = End.X - Start.X, dy = End.Y - Start.Y, length = std::hypot(dx, dy);
  if (length > 0) {
    cairo_matrix_t nudge;
    cairo_matrix_init_translate(&nudge, dx * 1e-4, dy * 1e-4);
    cairo_matrix_multiply(&m, &m, &nudge);
  }
  cairo_pattern_set_matrix(pattern, &m);
  return pattern;
}

cairo_pattern_t* GpPathGradient::Pattern() const {
  cairo_pattern_t* mesh = cairo_pattern_create_mesh();
  auto surround = [&](const GpPath::TVertex& v) {
    auto at = [&](int k) { return Surround[std::min<size_t>(static_cast<size_t>(std::max(k, 0)), Surround.size() - 1)]; };
    return Mix(at(v.Point), at(v.Next), v.Fraction);
  };
  // Rings from the path (position 0) to the centre (position 1).
  std::vector<std::pair<double, int>> rings;  // position, index into ring colours (-1: surround)
  std::vector<ARGB> ringColors;
  if (!BlendColors.empty()) {
    for (size_t i = 0; i < BlendColors.size(); ++i) {
      rings.push_back({std::clamp<double>(BlendPositions[i], 0, 1), static_cast<int>(i)});
      ringColors.push_back(BlendColors[i]);
    }
  } else {
    rings = {{0, -1}, {1, 0}};
    ringColors = {CenterColor};
  }
  auto colorOf = [&](int ring, const GpPath::TVertex& v) { return ring < 0 ? surround(v) : ringColors[ring]; };
  auto toward = [&](const GpPath::TVertex& v, double position) {
    double s = 1 - position;
    return std::pair<double, double>{Center.X + s * (v.X - Center.X), Center.Y + s * (v.Y - Center.Y)};
  };
  for (const auto& figure : Path.Flatten()) {
    if (figure.size() < 2) continue;
    for (size_t i = 0; i < figure.size(); ++i) {
      const auto& a = figure[i];
      const auto& b = figure[(i + 1) % figure.size()];
      for (size_t r = 0; r + 1 < rings.size(); ++r) {
        auto [p0x, p0y] = toward(a, rings[r].first);
        auto [p1x, p1y] = toward(b, rings[r].first);
        auto [p2x, p2y] = toward(b, rings[r + 1].first);
        auto [p3x, p3y] = toward(a, rings[r + 1].first);
        ARGB outerA = colorOf(rings[r].second, a), outerB = colorOf(rings[r].second, b);
        ARGB innerA = colorOf(rings[r + 1].second, a), innerB = colorOf(rings[r + 1].second, b);
        cairo_mesh_pattern_begin_patch(mesh);
        cairo_mesh_pattern_move_to(mesh, p0x, p0y);
        cairo_mesh_pattern_line_to(mesh, p1x, p1y);
        cairo_mesh_pattern_line_to(mesh, p2x, p2y);
        cairo_mesh_pattern_line_to(mesh, p3x, p3y);
        ARGB corners[4] = {outerA, outerB, innerB, innerA};
        for (int c = 0; c < 4; ++c) {
          cairo_mesh_pattern_set_corner_color_rgba(mesh, c, Channel(corners[c], 16), Channel(corners[c], 8),
                                                   Channel(corners[c], 0), Channel(corners[c], 24));
        }
        cairo_mesh_pattern_end_patch(mesh);
      }
    }
  }
  return mesh;
}

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit, GpPen** pen) {
  if (pen == nullptr || !std::isfinite(width) || width < 0) return InvalidParameter;
  *pen = new GpPen{color, width, DashStyleSolid};
  return Ok;
}

GpStatus GdipDeletePen(GpPen* pen) {
  if (pen == nullptr) return InvalidParameter;
  delete pen;
  return Ok;
}

GpStatus GdipSetPenDashStyle(GpPen* pen, GpDashStyle dashStyle) {
  if (pen == nullptr || dashStyle < DashStyleSolid || dashStyle > DashStyleCustom) return InvalidParameter;
  pen->Dash = dashStyle;
  return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (brush == nullptr) return InvalidParameter;
  delete brush;
  return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  if (brush == nullptr) return InvalidParameter;
  *brush = new GpSolidFill;
  (*brush)->Color = color;
  return Ok;
}

GpStatus GdipCreateHatchBrush(int32_t hatchStyle, ARGB foreColor, ARGB backColor, GpHatch** brush) {
  if (brush == nullptr || hatchStyle < HatchStyleMin || hatchStyle > HatchStyleMax) return InvalidParameter;
  *brush = new GpHatch;
  (*brush)->Style = hatchStyle;
  (*brush)->Fore = foreColor;
  (*brush)->Back = backColor;
  return Ok;
}

GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapMode, GpTexture** brush) {
  if (image == nullptr || brush == nullptr || image->Surface == nullptr) return InvalidParameter;
  *brush = new GpTexture;
  // The texture keeps a copy, so the image may go first.
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image->Width(), image->Height());
  cairo_t* cr = cairo_create(copy);
  cairo_set_source_surface(cr, image->Surface, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  (*brush)->Surface = copy;
  (*brush)->Wrap = wrapMode;
  return Ok;
}

GpStatus GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB color1, ARGB color2,
                             GpWrapMode wrapMode, GpLineGradient** brush) {
  if (point1 == nullptr || point2 == nullptr || brush == nullptr) return InvalidParameter;
  if (point1->X == point2->X && point1->Y == point2->Y) return OutOfMemory;  // as the real thing answers
  *brush = new GpLineGradient;
  (*brush)->Start = *point1;
  (*brush)->End = *point2;
  (*brush)->Color1 = color1;
  (*brush)->Color2 = color2;
  (*brush)->Wrap = wrapMode;
  return Ok;
}

GpStatus GdipCreateLineBrushFromRectWithAngle(const GpRectF* rect, ARGB color1, ARGB color2, REAL angle,
                                              bool isAngleScalable, GpWrapMode wrapMode, GpLineGradient** brush) {
  if (rect == nullptr || brush == nullptr || !(rect->Width > 0) || !(rect->Height > 0) || !std::isfinite(angle)) {
    return OutOfMemory;
  }
  double a = angle * kPi / 180, dx = std::cos(a), dy = std::sin(a);
  auto* made = new GpLineGradient;
  // The gradient runs along the angle between the corners that lie furthest back and forward.
  GpRectF space = isAngleScalable ? GpRectF{0, 0, 1, 1} : *rect;
  double corners[4][2] = {{space.X, space.Y},
                          {space.X + space.Width, space.Y},
                          {space.X, space.Y + space.Height},
                          {space.X + space.Width, space.Y + space.Height}};
  double lo = 0, hi = 0;
  for (int i = 0; i < 4; ++i) {
    double t = corners[i][0] * dx + corners[i][1] * dy;
    lo = i == 0 ? t : std::min(lo, t);
    hi = i == 0 ? t : std::max(hi, t);
  }
  double cx = space.X + space.Width / 2, cy = space.Y + space.Height / 2;
  double mid = cx * dx + cy * dy;
  made->Start = {static_cast<REAL>(cx + (lo - mid) * dx), static_cast<REAL>(cy + (lo - mid) * dy)};
  made->End = {static_cast<REAL>(cx + (hi - mid) * dx), static_cast<REAL>(cy + (hi - mid) * dy)};
  if (isAngleScalable) made->UnitSquare = *rect;
  made->Color1 = color1;
  made->Color2 = color2;
  made->Wrap = wrapMode;
  *brush = made;
  return Ok;
}

GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, GpLinearGradientMode mode,
                                     GpWrapMode wrapMode, GpLineGradient** brush) {
  static constexpr REAL kAngles[] = {0, 90, 45, 135};
  if (mode < LinearGradientModeHorizontal || mode > LinearGradientModeBackwardDiagonal) return InvalidParameter;
  return GdipCreateLineBrushFromRectWithAngle(rect, color1, color2, kAngles[mode], true, wrapMode, brush);
}

GpStatus GdipSetLineGammaCorrection(GpLineGradient* brush, bool useGammaCorrection) {
  if (brush == nullptr) return InvalidParameter;
  brush->Gamma = useGammaCorrection;
  return Ok;
}

GpStatus GdipSetLinePresetBlend(GpLineGradient* brush, const ARGB* colors, const REAL* positions, int32_t count) {
  if (brush == nullptr || colors == nullptr || positions == nullptr || count < 2) return InvalidParameter;
  brush->BlendColors.assign(colors, colors + count);
  brush->BlendPositions.assign(positions, positions + count);
  return Ok;
}

GpStatus GdipCreatePathGradientFromPath(const GpPath* path, GpPathGradient** brush) {
  if (path == nullptr || brush == nullptr || path->Points.size() < 2) return OutOfMemory;
  auto* made = new GpPathGradient;
  made->Path = *path;
  // The centre starts at the mean of the path's points.
  double x = 0, y = 0;
  for (const auto& p : path->Points) x += p.X, y += p.Y;
  made->Center = {static_cast<REAL>(x / path->Points.size()), static_cast<REAL>(y / path->Points.size())};
  *brush = made;
  return Ok;
}

GpStatus GdipSetPathGradientCenterColor(GpPathGradient* brush, ARGB color) {
  if (brush == nullptr) return InvalidParameter;
  brush->CenterColor = color;
  brush->BlendColors.clear();
  return Ok;
}

GpStatus GdipSetPathGradientCenterPoint(GpPathGradient* brush, const GpPointF* point) {
  if (brush == nullptr || point == nullptr) return InvalidParameter;
  brush->Center = *point;
  return Ok;
}

GpStatus GdipSetPathGradientCenterPointI(GpPathGradient* brush, const GpPoint* point) {
  if (point == nullptr) return InvalidParameter;
  GpPointF p{REAL(point->X), REAL(point->Y)};
  return GdipSetPathGradientCenterPoint(brush, &p);
}

GpStatus GdipGetPathGradientPointCount(GpPathGradient* brush, int32_t* count) {
  if (brush == nullptr || count == nullptr) return InvalidParameter;
  *count = static_cast<int32_t>(brush->Path.Points.size());
  return Ok;
}

GpStatus GdipSetPathGradientSurroundColorsWithCount(GpPathGradient* brush, const ARGB* colors, int32_t* count) {
  if (brush == nullptr || colors == nullptr || count == nullptr || *count <= 0) return InvalidParameter;
  if (static_cast<size_t>(*count) > brush->Path.Points.size()) return InvalidParameter;
  brush->Surround.assign(colors, colors + *count);
  return Ok;
}

GpStatus GdipSetPathGradientPresetBlend(GpPathGradient* brush, const ARGB* colors, const REAL* positions,
                                        int32_t count) {
  if (brush == nullptr || colors == nullptr || positions == nullptr || count < 2) return InvalidParameter;
  brush->BlendColors.assign(colors, colors + count);
  brush->BlendPositions.assign(positions, positions + count);
  return Ok;
}

GpStatus GdipSetPathGradientWrapMode(GpPathGradient* brush, GpWrapMode wrapMode) {
  if (brush == nullptr) return InvalidParameter;
  brush->Wrap = wrapMode;
  return Ok;
}
