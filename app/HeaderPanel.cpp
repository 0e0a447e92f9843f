#include "app/HeaderPanel.h"

#include "platform/gdi/Gdi.h"

namespace {
// A quiet blue for the strip, white text on it.
constexpr TColor HeaderColor = static_cast<TColor>(0x00A0602C);
}

THeaderPanel::THeaderPanel(TComponent* owner) : TPanel(owner) { SetBevelOuter(bvLowered); }

void THeaderPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  DrawEdge(canvas->Handle(), r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  TRect header{r.Left, r.Top, r.Right, r.Top + HeaderHeight};
  canvas->Brush()->SetColor(HeaderColor);
  canvas->FillRect(header);
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(clWhite);
  canvas->Font()->SetStyle(TFontStyles{fsBold});
  canvas->Brush()->SetStyle(bsClear);
  // The canvas's own text call selects the font set above.
  const String caption = Caption();
  canvas->TextRect(header, header.Left + 4,
                   header.Top + (header.Height() - canvas->TextHeight(caption)) / 2, caption);
}
