// TImage: a picture on a form.
#include "platform/gdi/Bitmap.h"
#include "platform/ui/ExtCtrls.h"

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetBounds(Left(), Top(), 105, 105);
  FPicture->OnChange = [this](TObject* sender) { PictureChanged(sender); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

TCanvas* TImage::Canvas() {
  TGraphic* graphic = FPicture->Graphic();
  if (!graphic) {
    TBitmap bitmap;
    bitmap.SetSize(Width(), Height());
    FPicture->SetGraphic(&bitmap);
    graphic = FPicture->Graphic();
  }
  auto* bitmap = dynamic_cast<TBitmap*>(graphic);
  if (!bitmap) throw EInvalidOperation(u"Can only modify an image if it contains a bitmap");
  return bitmap->Canvas();
}

void TImage::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  Invalidate();
}

void TImage::SetProportional(bool value) {
  if (value == FProportional) return;
  FProportional = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (TGraphic* graphic = FPicture->Graphic()) graphic->SetTransparent(value);
  Invalidate();
}

void TImage::SetAutoSize(bool value) {
  FAutoSize = value;
  if (value) PictureChanged(this);
}

void TImage::PictureChanged(TObject*) {
  TGraphic* graphic = FPicture->Graphic();
  if (graphic && FTransparent != graphic->Transparent()) graphic->SetTransparent(FTransparent);
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  Invalidate();
}

TRect TImage::DestRect() {
  int w = FPicture->Width();
  int h = FPicture->Height();
  int cw = ClientWidth();
  int ch = ClientHeight();
  if (w > 0 && h > 0 && (FStretch || (FProportional && (w > cw || h > ch)))) {
    if (FProportional) {
      // The larger side fills its room; the other follows the picture's aspect.
      double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (FCenter) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->Graphic();
  if (!graphic || graphic->Empty()) return;
  TCanvas* canvas = TGraphicControl::Canvas();
  canvas->StretchDraw(DestRect(), graphic);
}
