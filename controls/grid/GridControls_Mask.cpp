// The alpha mask of the focus glow and the blur that softens its edge.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/GridControls.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/RtlMath.h"

// --- TGridAlphaMask ------------------------------------------------------------------------------

TGridAlphaMask::TGridAlphaMask() { SetPixelFormat(pf32bit); }

void TGridAlphaMask::LoadFromBitmaps(TBitmap* mask, TBitmap* image) {
  if (!image || image->PixelFormat() != pf24bit) return;
  SetPixelFormat(pf32bit);
  SetSize(image->Width(), image->Height());
  bool maskUsable = mask && mask->PixelFormat() == pf24bit;
  for (int y = 0; y < image->Height(); ++y) {
    const auto* src = static_cast<const uint8_t*>(image->ScanLine(y));
    const uint8_t* alphaRow = maskUsable && y < mask->Height()
                                  ? static_cast<const uint8_t*>(mask->ScanLine(y))
                                  : nullptr;
    auto* dst = static_cast<uint8_t*>(ScanLine(y));
    for (int x = 0; x < image->Width(); ++x) {
      int alpha = alphaRow && x < mask->Width() ? alphaRow[x * 3 + 2] : 0;
      for (int ch = 0; ch < 3; ++ch)
        dst[x * 4 + ch] = static_cast<uint8_t>(Round(src[x * 3 + ch] * alpha / 255.0));
      dst[x * 4 + 3] = static_cast<uint8_t>(alpha);
    }
  }
  SetAlphaFormat(afPremultiplied);
}

void TGridAlphaMask::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TGridAlphaMask*>(source);
  if (!other) {
    TBitmap::Assign(source);
    SetPixelFormat(pf32bit);
    return;
  }
  FOpacity = other->FOpacity;
  SetPixelFormat(pf32bit);
  SetSize(other->Width(), other->Height());
  for (int y = 0; y < other->Height(); ++y)
    std::memcpy(ScanLine(y), other->ScanLine(y), static_cast<size_t>(other->Width()) * 4);
  SetAlphaFormat(other->AlphaFormat());
}

// --- Blur ----------------------------------------------------------------------------------------

namespace {

constexpr int kMaxHalfWidth = 10;

struct TKernel {
  std::array<double, 2 * kMaxHalfWidth + 1> W{};  // W[k + 10] for k = -10..10
  int N = kMaxHalfWidth;
  double At(int k) const { return W[static_cast<size_t>(k + kMaxHalfWidth)]; }
};

TKernel MakeKernel(double radius) {
  TKernel kernel;
  double sum = 0;
  for (int k = -kMaxHalfWidth; k <= kMaxHalfWidth; ++k) {
    double v = std::exp(-(k / radius) * (k / radius) / 2);
    kernel.W[static_cast<size_t>(k + kMaxHalfWidth)] = v;
    sum += v;
  }
  for (double& w : kernel.W) w /= sum;
  // Cut the tails while what they carry stays below half a level of 255.
  double tails = 0;
  while (tails < 1.0 / 510 && kernel.N > 1) {
    tails += 2 * kernel.At(kernel.N);
    --kernel.N;
  }
  sum = 0;
  for (int k = -kernel.N; k <= kernel.N; ++k) sum += kernel.At(k);
  for (double& w : kernel.W) w /= sum;
  return kernel;
}

// Blurs a line of 3-byte pixels from `in` into `out` (both `length` pixels).
void BlurLine(const TKernel& kernel, const uint8_t* in, uint8_t* out, int length) {
  for (int i = 0; i < length; ++i)
    for (int ch = 0; ch < 3; ++ch) {
      double sum = 0;
      for (int k = -kernel.N; k <= kernel.N; ++k) {
        int j = std::clamp(i - k, 0, length - 1);
        sum += kernel.At(k) * in[j * 3 + ch];
      }
      // A sum that is 255 but for rounding of the weights still gives 255.
      sum = std::clamp(sum + 1e-9, 0.0, 255.0);
      out[i * 3 + ch] = static_cast<uint8_t>(sum);
    }
}

// Rows (columns) from 21 to length - 21 whose pixels equal those of line 15 blur to what line 15
// blurs to: they are copied instead of blurred.
bool CopiesLine15(int line, int count) { return line >= 21 && line <= count - 21 && count > 15; }

}  // namespace

void GaussianBlur(TBitmap* bitmap, double radius) {
  if (!bitmap || bitmap->PixelFormat() != pf24bit)
    throw EInvalidGraphicOperation(u"Blur only works for 24-bit bitmaps");
  int width = bitmap->Width(), height = bitmap->Height();
  if (width <= 0 || height <= 0) return;
  TKernel kernel = MakeKernel(radius);
  size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> in(std::max(rowBytes, static_cast<size_t>(height) * 3));
  std::vector<uint8_t> line15;

  // Horizontal pass, top to bottom.
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
    std::memcpy(in.data(), row, rowBytes);
    if (y == 15) line15.assign(row, row + rowBytes);
    if (CopiesLine15(y, height) && std::memcmp(row, line15.data(), rowBytes) == 0) {
      std::memcpy(row, bitmap->ScanLine(15), rowBytes);
      continue;
    }
    BlurLine(kernel, in.data(), row, width);
  }

  // Vertical pass, left to right.
  std::vector<uint8_t> column(static_cast<size_t>(height) * 3);
  std::vector<uint8_t> out(column.size());
  std::vector<uint8_t> column15, blurred15;
  auto gather = [&](int x, std::vector<uint8_t>& into) {
    for (int y = 0; y < height; ++y)
      std::memcpy(&into[static_cast<size_t>(y) * 3],
                  static_cast<uint8_t*>(bitmap->ScanLine(y)) + x * 3, 3);
  };
  for (int x = 0; x < width; ++x) {
    gather(x, column);
    if (CopiesLine15(x, width) && column == column15) {
      out = blurred15;
    } else {
      BlurLine(kernel, column.data(), out.data(), height);
      if (x == 15) {
        column15 = column;
        blurred15 = out;
      }
    }
    for (int y = 0; y < height; ++y)
      std::memcpy(static_cast<uint8_t*>(bitmap->ScanLine(y)) + x * 3,
                  &out[static_cast<size_t>(y) * 3], 3);
  }
}

void MakeBlurredRoundRect(TBitmap* bitmap, int width, int height, int penWidth, int corner,
                          double radius) {
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  TCanvas* canvas = bitmap->Canvas();
  canvas->Brush()->SetColor(clBlack);
  canvas->FillRect(Rect(0, 0, width, height));
  canvas->Pen()->SetColor(clWhite);
  if (penWidth > 0) {
    canvas->Pen()->SetWidth(penWidth);
    canvas->Brush()->SetColor(clBlack);
  } else {
    canvas->Pen()->SetWidth(1);
    canvas->Brush()->SetColor(clWhite);
  }
  int inset = 2 + penWidth / 2;
  canvas->RoundRect(inset, inset, width - inset, height - inset, corner, corner);
  if (radius > 0) GaussianBlur(bitmap, radius);
}

// --- Theme tests ---------------------------------------------------------------------------------

bool OsIsXPOrLater() {
  return PlatformInfo::WindowsMajorVersion > 5 ||
         (PlatformInfo::WindowsMajorVersion == 5 && PlatformInfo::WindowsMinorVersion >= 1);
}

bool ThemesUsable() {
  return OsIsXPOrLater() && AdvXPVS::ThemeBinder().IsThemeActive() &&
         PlatformInfo::ComCtlMajorVersion > 5;
}
