// TAdvGDIPPicture: an encoded image file, decoded through GDI+ each time it is used.
#include "controls/graphics/AdvGDIP.h"

TDecodedImage::TDecodedImage(const TBytes& bytes)
    : FStream(CreateMemoryStream(bytes.data(), bytes.size())), FImage(new TGPImage(FStream)) {}

TDecodedImage::~TDecodedImage() {
  FImage.reset();
  FStream->Release();
}

std::unique_ptr<TGPBitmap, TObjectFree> TDecodedImage::NewBitmap() const {
  FStream->Seek(0, STREAM_SEEK_SET, nullptr);
  return std::unique_ptr<TGPBitmap, TObjectFree>(new TGPBitmap(FStream));
}

TAdvGDIPPicture::TAdvGDIPPicture() = default;
TAdvGDIPPicture::~TAdvGDIPPicture() = default;

void TAdvGDIPPicture::LoadFromFile(const String& fileName) {
  try {
    ReadFileBytes(fileName);
    TImageHeaderSize size =
        ReadImageHeaderSize(FBytes.data(), FBytes.size(), PictureFileExtension(fileName));
    FWidth = size.Width;
    FHeight = size.Height;
    Changed();
  } catch (const std::exception&) {
    // Callers expect a picture that could not be read to be empty, not an error.
    FEmpty = true;
  }
}

void TAdvGDIPPicture::LoadFromStream(TStream* stream) {
  if (stream == nullptr || stream->Size() == 0) return;
  stream->SetPosition(0);
  FBytes = ReadPictureBytes(stream);
  FEmpty = false;
  TakeDecodedSize();
  Changed();
}

void TAdvGDIPPicture::ReadData(TStream* stream) {
  if (stream == nullptr) return;
  TBytes bytes = ReadPictureBytes(stream);
  if (bytes.empty()) return;
  FBytes = std::move(bytes);
  FEmpty = false;
  TakeDecodedSize();
}

void TAdvGDIPPicture::Assign(TPersistent* source) {
  if (AssignStart(source)) return;
  if (auto* same = dynamic_cast<TAdvGDIPPicture*>(source)) {
    FBytes = same->FBytes;
    FEmpty = FBytes.empty();
    Changed();
  } else if (TGraphic* graphic = GraphicOf(source)) {
    TakeGraphic(graphic);
  }
  TakeDecodedSize();
}

void TAdvGDIPPicture::Draw(TCanvas* canvas, const TRect& rect) {
  DrawOnCanvas(canvas, rect, false);
}

void TAdvGDIPPicture::GDIPDraw(TGPGraphics* graphics, const TRect& rect) {
  if (FEmpty || graphics == nullptr) return;
  TDecodedImage decoded(FBytes);
  TGPImage& image = decoded.Image();
  FWidth = static_cast<int>(image.GetWidth());
  FHeight = static_cast<int>(image.GetHeight());
  if (image.GetFormat() == TGPImageFormat::ifBMP && Transparent()) {
    ARGB key = MakeColorAlpha(255, FColorKey);
    if (FColorKeyMode == ckAuto) decoded.NewBitmap()->GetPixel(0, FHeight - 1, key);
    TGPImageAttributes attributes;
    attributes.SetColorKey(key, key);
    float w = static_cast<float>(FWidth), h = static_cast<float>(FHeight);
    graphics->DrawImageRect(&image, MakeRectF(rect.Left, rect.Top, w, h), 0, 0, w, h, UnitPixel,
                            &attributes);
    return;
  }
  graphics->DrawImageStretched(&image, rect.Left, rect.Top, rect.Width(), rect.Height());
}

void FillTexturePath(TAdvGDIPPicture* picture, TGPGraphics* graphics, TGPGraphicsPath* path) {
  if (picture == nullptr || picture->Empty() || graphics == nullptr) return;
  TDecodedImage decoded(picture->Bytes());
  TGPTextureBrush brush(&decoded.Image(), WrapModeTile);
  graphics->FillPath(&brush, path);
}

void FillTextureRect(TAdvGDIPPicture* picture, TGPGraphics* graphics, const TGPFloatRect& rect) {
  if (picture == nullptr || picture->Empty() || graphics == nullptr) return;
  TDecodedImage decoded(picture->Bytes());
  TGPTextureBrush brush(&decoded.Image(), WrapModeTile);
  graphics->FillRectangle(&brush, rect);
}
