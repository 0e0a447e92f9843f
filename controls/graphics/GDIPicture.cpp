#include "controls/graphics/GDIPicture.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/RasterGraphics.h"

TGDIPPicture::TGDIPPicture() = default;
TGDIPPicture::~TGDIPPicture() = default;

void TGDIPPicture::LoadFromFile(const String& fileName) {
  try {
    ReadFileBytes(fileName);
    FFileName = fileName;
    TakeDecodedSize();
    Changed();
  } catch (const std::exception&) {
    // Callers expect a picture that could not be read to be empty, not an error.
    FEmpty = true;
  }
}

void TGDIPPicture::LoadFromStream(TStream* stream) {
  if (stream == nullptr) return;
  stream->SetPosition(0);
  FBytes = ReadPictureBytes(stream);
  FEmpty = false;
  TakeDecodedSize();
  Changed();
}

void TGDIPPicture::ReadData(TStream* stream) {
  if (stream == nullptr) return;
  FBytes = ReadPictureBytes(stream);
  FEmpty = false;
}

void TGDIPPicture::Assign(TPersistent* source) {
  if (AssignStart(source)) return;
  TGraphic* graphic = GraphicOf(source);
  if (auto* same = dynamic_cast<TGDIPPicture*>(source)) {
    FBytes = same->FBytes;
    FEmpty = FBytes.empty();
    Changed();
  } else if (dynamic_cast<TBitmap*>(graphic) != nullptr ||
             dynamic_cast<TIcon*>(graphic) != nullptr) {
    TakeGraphic(graphic);
  }
  TakeDecodedSize();
}

void TGDIPPicture::Draw(TCanvas* canvas, const TRect& rect) { DrawOnCanvas(canvas, rect, true); }
