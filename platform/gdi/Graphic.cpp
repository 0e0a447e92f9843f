#include "platform/gdi/Graphic.h"

#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Jpeg.h"
#include "platform/gdi/RasterGraphics.h"
#include "platform/rtl/TextCompare.h"

void TGraphic::SetSize(int width, int height) {
  SetWidth(width);
  SetHeight(height);
}

void TGraphic::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::Changed() {
  FModified = true;
  if (OnChange) OnChange(this);
}

TBytes ReadPictureBytes(TStream* stream) {
  TBytes bytes;
  if (stream == nullptr) return bytes;
  uint8_t chunk[65536];
  for (;;) {
    int32_t got = stream->Read(chunk, sizeof chunk);
    if (got <= 0) break;
    if (static_cast<int64_t>(bytes.size()) + got > kMaxPictureBytes) throw EInvalidGraphic(u"Picture data too large");
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

void WritePictureBytes(TStream* stream, const TBytes& bytes) {
  if (stream != nullptr && !bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

namespace {

struct TFileFormat {
  String Extension;
  String Description;
  TGraphicFactory Factory;
};

// The registered kinds: the built-in ones first, then any a program adds.
std::vector<TFileFormat>& FileFormats() {
  static std::vector<TFileFormat> formats = {
      {u"bmp", u"Bitmaps", [] { return static_cast<TGraphic*>(new TBitmap); }},
      {u"ico", u"Icons", [] { return static_cast<TGraphic*>(new TIcon); }},
      {u"jpg", u"JPEG Image File", [] { return static_cast<TGraphic*>(new TJPEGImage); }},
      {u"jpeg", u"JPEG Image File", [] { return static_cast<TGraphic*>(new TJPEGImage); }},
      {u"png", u"Portable Network Graphics", [] { return static_cast<TGraphic*>(new TPngImage); }},
      {u"gif", u"GIF Image", [] { return static_cast<TGraphic*>(new TGIFImage); }},
  };
  return formats;
}

String ExtensionOf(const String& fileName) {
  size_t dot = fileName.find_last_of(u'.');
  size_t slash = fileName.find_last_of(u"/\\");
  if (dot == String::npos || (slash != String::npos && dot < slash)) return {};
  return fileName.substr(dot + 1);
}

}  // namespace

void RegisterFileFormat(const String& extension, const String& description, TGraphicFactory factory) {
  String ext = extension.starts_with(u".") ? extension.substr(1) : extension;
  auto& formats = FileFormats();
  formats.insert(formats.begin(), {ext, description, std::move(factory)});
}

TGraphic* NewGraphicForExtension(const String& extension) {
  String ext = extension.starts_with(u".") ? extension.substr(1) : extension;
  for (const TFileFormat& format : FileFormats()) {
    if (SameText(format.Extension, ext)) return format.Factory();
  }
  return nullptr;
}

TGraphic* NewGraphicForData(const uint8_t* data, size_t size) {
  switch (DetectImageFormat(data, size)) {
    case TImageFormat::Bmp: return new TBitmap;
    case TImageFormat::Ico: return new TIcon;
    case TImageFormat::Jpeg: return new TJPEGImage;
    case TImageFormat::Png: return new TPngImage;
    case TImageFormat::Gif: return new TGIFImage;
    default: return nullptr;
  }
}

// --- TPicture ----------------------------------------------------------------------------------

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Replace(TGraphic* graphic) {
  FGraphic.reset(graphic);
  if (graphic != nullptr) graphic->OnChange = [this](TObject* sender) { Changed(sender); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == FGraphic.get()) return;
  if (value == nullptr) {
    Replace(nullptr);
    return;
  }
  std::unique_ptr<TGraphic, TObjectFree> copy(value->NewInstance());
  copy->Assign(value);
  Replace(copy.release());
}

void TPicture::Assign(TPersistent* source) {
  if (source == nullptr) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(source)) {
    SetGraphic(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) {
  if (auto* graphic = dynamic_cast<TGraphic*>(dest); graphic != nullptr && FGraphic) {
    graphic->Assign(FGraphic.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

TBitmap* TPicture::Bitmap() {
  if (dynamic_cast<TBitmap*>(FGraphic.get()) == nullptr) Replace(new TBitmap);
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (dynamic_cast<TIcon*>(FGraphic.get()) == nullptr) Replace(new TIcon);
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& fileName) {
  String ext = ExtensionOf(fileName);
  std::unique_ptr<TGraphic, TObjectFree> graphic(NewGraphicForExtension(ext));
  if (!graphic) throw EInvalidGraphic(u"Unknown picture file extension (." + ext + u")");
  graphic->LoadFromFile(fileName);
  Replace(graphic.release());
}

void TPicture::SaveToFile(const String& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream* stream) {
  if (stream == nullptr) return;
  int64_t start = stream->Position();
  uint8_t head[16] = {};
  int32_t got = stream->Read(head, sizeof head);
  stream->SetPosition(start);
  std::unique_ptr<TGraphic, TObjectFree> graphic(NewGraphicForData(head, static_cast<size_t>(std::max(got, 0))));
  if (!graphic) throw EInvalidGraphic(u"Unsupported image format");
  graphic->LoadFromStream(stream);
  Replace(graphic.release());
}

void TPicture::SaveToStream(TStream* stream) {
  if (FGraphic && stream != nullptr) FGraphic->SaveToStream(stream);
}
