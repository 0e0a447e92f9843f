// The mini-HTML engine's output surface over a GDI+ graphics: runs measured and drawn with the
// wrappers' DrawText, fills, bullets and lines with GDI+ brushes and pens, and pictures from the
// image list, the system image list and a GDI+ picture container.
#include <memory>
#include <vector>

#include "controls/graphics/AdvSmoothPanelHtml.h"
#include "controls/html/AsgHTMLE_Surface.h"
#include "platform/gdi/RasterDraw.h"

namespace {

class TGPHtmlSurface : public AsgHtml::THtmlSurface {
 public:
  TGPHtmlSurface(TGPGraphics* graphics, TFont* font, TGDIPPictureContainer* pictures)
      : FGraphics(graphics), FPictures(pictures) {
    FFont.Assign(font);
  }
  TFont* Font() override { return &FFont; }
  TSize Measure(std::u16string_view text, uint32_t) override {
    TRect r{0, 0, 0, 0};
    FGraphics->DrawText(String(text), static_cast<int>(text.size()), r, &FFont, DT_CALCRECT);
    return TSize{r.Width(), r.Height()};
  }
  void Run(const TRect& rect, std::u16string_view text, uint32_t, TColor color,
           TColor background) override {
    // DrawText paints in the font's colour; a shadow run asks for another one.
    const TColor own = FFont.Color();
    if (color != own) FFont.SetColor(color);
    TRect r = rect;
    FGraphics->DrawText(String(text), static_cast<int>(text.size()), r, &FFont, 0, background);
    if (color != own) FFont.SetColor(own);
  }
  void Fill(const TRect& rect, TColor color) override {
    if (color == clNone || rect.Width() <= 0 || rect.Height() <= 0) return;
    TGPSolidBrush brush(ColorToARGB(color));
    FGraphics->FillRectangle(&brush, rect.Left, rect.Top, rect.Width(), rect.Height());
  }
  void Ellipse(const TRect& rect, TColor color) override {
    if (color == clNone) return;
    TGPSolidBrush brush(ColorToARGB(color));
    FGraphics->FillEllipse(&brush, rect.Left, rect.Top, rect.Width(), rect.Height());
  }
  void Line(const std::vector<TPoint>& points, TColor color) override {
    TGPPen pen(ColorToARGB(color), 1);
    for (size_t i = 1; i < points.size(); ++i) {
      FGraphics->DrawLine(&pen, points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
    }
  }
  // Image-list and system pictures go through a device context of the graphics.
  void ListPicture(TCustomImageList* images, int index, const TRect& rect, bool) override {
    if (images == nullptr || index < 0 || index >= images->Count()) return;
    Raster(images->Image(index), rect);
  }
  void SystemIcon(const String& name, bool large, TPoint at, bool stretch,
                  double scale) override {
    const TRasterImage* icon = FindSystemIcon(name, large);
    if (icon == nullptr) return;
    const double s = stretch ? scale : 1.0;
    Raster(*icon, TRect{at.X, at.Y, at.X + static_cast<int>(icon->Width * s + 0.5),
                        at.Y + static_cast<int>(icon->Height * s + 0.5)});
  }
  int FindNamedPicture(const String& name, TSize& size) override {
    if (FPictures == nullptr) return -1;
    TAdvGDIPPicture* picture = FPictures->FindPicture(name);
    if (picture == nullptr || picture->Empty()) return -1;
    size = TSize{picture->Width(), picture->Height()};
    FFound.push_back(picture);
    return static_cast<int>(FFound.size()) - 1;
  }
  void NamedPicture(int handle, const TRect& rect, bool) override {
    if (handle < 0 || handle >= static_cast<int>(FFound.size())) return;
    FFound[handle]->GDIPDraw(FGraphics, rect);
  }

 private:
  void Raster(const TRasterImage& image, const TRect& rect) {
    HDC dc = nullptr;
    if (FGraphics->GetHDC(dc) != Ok || dc == nullptr) return;
    DrawRasterImage(dc, rect, image);
    FGraphics->ReleaseHDC(dc);
  }

  TGPGraphics* FGraphics;
  TGDIPPictureContainer* FPictures;
  TFont FFont;
  std::vector<TAdvGDIPPicture*> FFound;  // the pictures handed out by name in this call
};

}  // namespace

THtmlRenderOptions PanelHtmlOptions(TCustomImageList* images, TColor urlColor, TColor shadowColor,
                                    int shadowOffset) {
  THtmlRenderOptions o;
  o.Dialect = PanelHtmlDialect();
  o.Images = images;
  o.WordWrap = true;
  o.ImageScale = 1.0;
  o.ScaleImages = o.Selected = o.HoverOnlyLink = false;
  o.BlinkOn = false;
  o.FocusLink = o.HoverLink = -1;
  o.HoverColor = o.HoverFontColor = clNone;
  o.UrlColor = urlColor;
  o.ShadowColor = shadowColor;
  o.ShadowOffset = shadowOffset;
  return o;
}

bool RenderHtmlTextPanel(TGPGraphics* graphics, TFont* font, const String& html, const TRect& rect,
                         const THtmlRenderOptions& options, TGDIPPictureContainer* pictures,
                         THtmlRenderResult& result) {
  if (graphics == nullptr || font == nullptr) return false;
  TGPHtmlSurface surface(graphics, font, pictures);
  return AsgHtml::RenderHtml(surface, html, rect, options, result);
}
