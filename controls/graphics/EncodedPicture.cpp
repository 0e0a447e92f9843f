#include "controls/graphics/EncodedPicture.h"

#include "controls/graphics/AdvGDIP.h"
#include "platform/gdi/Bitmap.h"

void TEncodedPicture::SaveToStream(TStream* stream) { WritePictureBytes(stream, FBytes); }

TRasterImage TEncodedPicture::ToRaster() {
  TRasterImage image;
  if (!FBytes.empty()) DecodeImageFile(FBytes.data(), FBytes.size(), image);
  return image;
}

bool TEncodedPicture::AssignStart(TPersistent* source) {
  auto* picture = dynamic_cast<TPicture*>(source);
  if (picture != nullptr && picture->Graphic() == nullptr) return true;
  FEmpty = true;
  if (source != nullptr) return false;
  FBytes.clear();
  Changed();
  if (OnClear) OnClear(this);
  return true;
}

TGraphic* TEncodedPicture::GraphicOf(TPersistent* source) {
  if (auto* picture = dynamic_cast<TPicture*>(source)) return picture->Graphic();
  return dynamic_cast<TGraphic*>(source);
}

void TEncodedPicture::TakeGraphic(TGraphic* graphic) {
  TBytesStream stream;
  graphic->SaveToStream(&stream);
  FBytes = stream.Bytes();
  FEmpty = false;
  Changed();
}

void TEncodedPicture::ReadFileBytes(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  FBytes = ReadPictureBytes(&stream);
  FEmpty = false;
  if (OnClear) OnClear(this);
}

bool TEncodedPicture::TakeDecodedSize() {
  FWidth = FHeight = 0;
  if (FBytes.empty()) return false;
  TDecodedImage decoded(FBytes);
  if (!decoded.Valid()) return false;
  FWidth = static_cast<int>(decoded.Image().GetWidth());
  FHeight = static_cast<int>(decoded.Image().GetHeight());
  return true;
}

void TEncodedPicture::DrawOnCanvas(TCanvas* canvas, const TRect& rect, bool stretchBmp) {
  if (FEmpty || FBytes.empty() || canvas == nullptr) return;
  TDecodedImage decoded(FBytes);
  if (decoded.Image().GetFormat() == TGPImageFormat::ifBMP) {
    TBitmap bitmap;
    TBytesStream stream(FBytes);
    bitmap.LoadFromStream(&stream);
    bitmap.SetTransparentMode(tmAuto);
    bitmap.SetTransparent(true);
    if (stretchBmp) {
      canvas->StretchDraw(rect, &bitmap);
    } else {
      canvas->Draw(rect.Left, rect.Top, &bitmap);
    }
    return;
  }
  TGPGraphics graphics(canvas->Handle());
  graphics.DrawImageStretched(&decoded.Image(), rect.Left, rect.Top, rect.Width(), rect.Height());
  FWidth = static_cast<int>(decoded.Image().GetWidth());
  FHeight = static_cast<int>(decoded.Image().GetHeight());
}

String PictureFileExtension(const String& fileName) {
  size_t slash = fileName.find_last_of(u"/\\");
  size_t dot = fileName.find_last_of(u'.');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return {};
  return fileName.substr(dot + 1);
}
