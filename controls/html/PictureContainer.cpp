#include "controls/html/PictureContainer.h"

#include <cstring>

#include "platform/gdi/ProgramResources.h"
#include "platform/gdi/RasterDraw.h"
#include "platform/rtl/TextCompare.h"

namespace PictureContainer {

namespace {

const char16_t kInvalidFormat[] = u"Could not load image. Invalid format";

bool StartsWithGif(const TBytes& bytes) {
  return bytes.size() >= 5 && std::memcmp(bytes.data(), "GIF8", 4) == 0;
}

}  // namespace

THTMLPicture::THTMLPicture() = default;
THTMLPicture::~THTMLPicture() = default;

int THTMLPicture::Width() const { return FDecoded ? FImage.Width : 0; }
int THTMLPicture::Height() const { return FDecoded ? FImage.Height : 0; }

int THTMLPicture::FrameWidth() const { return FFrameW != 0 ? FFrameW : Width(); }
int THTMLPicture::FrameHeight() const { return FFrameH != 0 ? FFrameH : Height(); }

int THTMLPicture::FrameCount() {
  if (FFrameCount != -1 || !StartsWithGif(FBytes)) return FFrameCount;
  TGifLayout layout;
  if (ReadGifLayout(FBytes.data(), FBytes.size(), layout)) {
    FFrameCount = static_cast<int>(layout.Frames.size());
  }
  return FFrameCount;
}

void THTMLPicture::Decode() {
  FDecoded = false;
  FImage = TRasterImage();
  FFrameX = FFrameY = FFrameW = FFrameH = 0;
  FAnimWidth = FAnimHeight = 0;
  bool ok;
  if (FrameCount() > 0) {
    TGifLayout layout;
    ReadGifLayout(FBytes.data(), FBytes.size(), layout);
    FAnimWidth = layout.ScreenWidth;
    FAnimHeight = layout.ScreenHeight;
    ok = FFrame >= 1 && FFrame <= FFrameCount &&
         DecodeGifFile(FBytes.data(), FBytes.size(), FFrame - 1, FImage);
    if (ok) {
      const TRect& frame = layout.Frames[FFrame - 1];
      FFrameX = frame.Left;
      FFrameY = frame.Top;
      FFrameW = frame.Width();
      FFrameH = frame.Height();
    }
  } else {
    ok = DecodeImageFile(FBytes.data(), FBytes.size(), FImage);
  }
  if (!ok) throw EInvalidGraphic(kInvalidFormat);
  FDecoded = true;
}

void THTMLPicture::Reset() {
  FEmpty = true;
  FDecoded = false;
  FImage = TRasterImage();
  FFrameCount = -1;
  FFrame = 1;
}

void THTMLPicture::ReadData(TStream* stream) {
  if (stream == nullptr) return;
  FBytes = ReadPictureBytes(stream);
  FEmpty = false;
  FFrameCount = -1;
  Decode();
}

void THTMLPicture::LoadFromStream(TStream* stream) {
  if (stream == nullptr) return;
  ReadData(stream);
  Changed();
}

void THTMLPicture::LoadFromFile(const String& fileName) {
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
  } catch (const Exception&) {
    Reset();
    FBytes.clear();
  }
}

void THTMLPicture::LoadFromResourceName(const String& name) {
  TBytes data;
  if (!FindResourceData(name, data)) return;
  TBytesStream stream(std::move(data));
  LoadFromStream(&stream);
}

void THTMLPicture::LoadFromURL(const String& url) {
  String upper = UpperCase(url);
  if (upper.rfind(u"RES://", 0) == 0) {
    FIdentity = url;
    LoadFromResourceName(url.substr(6));
  } else if (upper.rfind(u"FILE://", 0) == 0) {
    FIdentity = url;
    LoadFromFile(url.substr(7));
  } else {
    FIdentity = url;
    if (!FDownloadErrorFired && OnDownLoadError) {
      FDownloadErrorFired = true;
      OnDownLoadError(this, u"Downloading pictures is not supported");
    }
  }
}

void THTMLPicture::SaveToStream(TStream* stream) { WritePictureBytes(stream, FBytes); }

void THTMLPicture::Assign(TPersistent* source) {
  Reset();
  if (source == nullptr) {
    FBytes.clear();
    return;
  }
  if (auto* picture = dynamic_cast<THTMLPicture*>(source)) {
    FStretch = picture->FStretch;
    FFrame = picture->FFrame;
    FIdentity = picture->FIdentity;
    FBytes = picture->FBytes;
    if (!FBytes.empty()) {
      FEmpty = false;
      Decode();
    }
    Changed();
    return;
  }
  TGraphic* graphic = nullptr;
  if (auto* picture = dynamic_cast<TPicture*>(source)) graphic = picture->Graphic();
  if (graphic == nullptr) graphic = dynamic_cast<TGraphic*>(source);
  if (graphic == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  TBytesStream stream;
  graphic->SaveToStream(&stream);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void THTMLPicture::SetFrame(int value) {
  FFrame = value;
  if (FBytes.empty()) return;
  Decode();
  if (OnFrameChange) OnFrameChange(this);
}

void THTMLPicture::Draw(TCanvas* canvas, const TRect& rect) {
  if (FEmpty || !FDecoded || canvas == nullptr) return;
  TRect dest = rect;
  if (!FStretch)
    dest = TRect{rect.Left, rect.Top, rect.Left + FImage.Width, rect.Top + FImage.Height};
  DrawRasterImage(canvas->Handle(), dest, FImage);
}

TRasterImage THTMLPicture::ToRaster() { return FDecoded ? FImage : TRasterImage(); }

THTMLPicture* THTMLPictureCache::AddPicture() {
  FItems.emplace_back(new THTMLPicture);
  return FItems.back().get();
}

THTMLPicture* THTMLPictureCache::FindPicture(const String& url) const {
  for (const auto& picture : FItems) {
    if (picture->ID() == url) return picture.get();
  }
  return nullptr;
}

TPictureContainer::TPictureContainer(TComponent* owner)
    : TComponent(owner), FItems(new TPictureCollection(this)) {}

TPictureContainer::~TPictureContainer() = default;

THTMLPicture* TPictureContainer::FindPicture(const String& name) {
  return FItems->FindPicture(name);
}

}  // namespace PictureContainer
