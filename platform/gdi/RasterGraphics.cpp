#include "platform/gdi/RasterGraphics.h"

#include "platform/gdi/RasterDraw.h"

void TRasterGraphic::Assign(TPersistent* source) {
  if (source == nullptr) {
    FData.clear();
    FImage = {};
    Changed();
  } else if (typeid(*source) == typeid(*this)) {
    auto* other = static_cast<TRasterGraphic*>(source);
    if (other == this) return;
    FData = other->FData;
    FImage = other->FImage;
    FTransparent = other->FTransparent;
    Changed();
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    SetImage(graphic->ToRaster());
  } else {
    TGraphic::Assign(source);
  }
}

void TRasterGraphic::Draw(TCanvas* canvas, const TRect& rect) {
  if (canvas == nullptr || Empty()) return;
  DrawRasterImage(canvas->Handle(), rect, FImage);
}

void TRasterGraphic::SetWidth(int value) {
  if (value != Width()) throw EInvalidGraphicOperation(u"Cannot change the size of this picture");
}

void TRasterGraphic::SetHeight(int value) {
  if (value != Height()) throw EInvalidGraphicOperation(u"Cannot change the size of this picture");
}

void TRasterGraphic::Load(TBytes data) {
  TRasterImage image;
  if (!Decode(data, image)) RaiseInvalid();
  FData = std::move(data);
  FImage = std::move(image);
  Changed();
}

void TRasterGraphic::LoadFromStream(TStream* stream) { Load(ReadPictureBytes(stream)); }

void TRasterGraphic::SaveToStream(TStream* stream) {
  if (FData.empty() && !FImage.Empty()) FData = Encode(FImage);
  WritePictureBytes(stream, FData);
}

void TRasterGraphic::SetImage(const TRasterImage& image) {
  FImage = image;
  FData.clear();
  Changed();
}

bool TIcon::Decode(const TBytes& data, TRasterImage& image) {
  return DecodeIcoFile(data.data(), data.size(), image);
}

TBytes TIcon::Encode(const TRasterImage& image) { return EncodeIcoFile({image}); }

bool TPngImage::Decode(const TBytes& data, TRasterImage& image) {
  return DecodePngFile(data.data(), data.size(), image);
}

TBytes TPngImage::Encode(const TRasterImage& image) { return EncodePngFile(image); }

bool TGIFImage::Decode(const TBytes& data, TRasterImage& image) {
  int count = 0;
  if (!DecodeGifFile(data.data(), data.size(), 0, image, &count)) return false;
  FFrame = 0;
  FFrameCount = count;
  return true;
}

TBytes TGIFImage::Encode(const TRasterImage& image) { return EncodeGifFile(image); }

void TGIFImage::SetFrame(int index) {
  if (index == FFrame || FData.empty()) return;
  TRasterImage image;
  if (index < 0 || index >= FFrameCount || !DecodeGifFile(FData.data(), FData.size(), index, image)) {
    throw EInvalidGraphicOperation(u"GIF frame index out of range");
  }
  FImage = std::move(image);
  FFrame = index;
  Changed();
}
