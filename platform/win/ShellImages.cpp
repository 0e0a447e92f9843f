// The pictures of the system image list: a sheet of paper with a folded corner for files (with a
// mark for each known kind) and a folder, drawn at both sizes on first use.
#include <array>

#include "platform/rtl/TextCompare.h"
#include "platform/win/Shell.h"

namespace {

enum TKind { kFile, kFolder, kText, kPicture, kDocument, kSheet, kArchive, kKinds };

void FillBox(TRasterImage& image, int left, int top, int right, int bottom, uint32_t argb) {
  for (int y = std::max(0, top); y < std::min(image.Height, bottom); ++y) {
    for (int x = std::max(0, left); x < std::min(image.Width, right); ++x) image.At(x, y) = argb;
  }
}

void Frame(TRasterImage& image, int left, int top, int right, int bottom, uint32_t argb) {
  FillBox(image, left, top, right, top + 1, argb);
  FillBox(image, left, bottom - 1, right, bottom, argb);
  FillBox(image, left, top, left + 1, bottom, argb);
  FillBox(image, right - 1, top, right, bottom, argb);
}

TRasterImage Draw(TKind kind, int size) {
  TRasterImage image;
  image.Resize(size, size, 0);
  const int u = size / 16;  // one unit of the 16-pixel design
  const uint32_t outline = 0xFF505050;
  if (kind == kFolder) {
    FillBox(image, 1 * u, 3 * u, 7 * u, 5 * u, 0xFFE0B040);
    FillBox(image, 1 * u, 5 * u, 15 * u, 14 * u, 0xFFF0C850);
    Frame(image, 1 * u, 5 * u, 15 * u, 14 * u, 0xFF9C7A20);
    return image;
  }
  FillBox(image, 3 * u, 1 * u, 13 * u, 15 * u, 0xFFFFFFFF);
  Frame(image, 3 * u, 1 * u, 13 * u, 15 * u, outline);
  FillBox(image, 10 * u, 1 * u, 13 * u, 4 * u, 0xFFC8C8C8);  // the folded corner
  uint32_t mark = 0;
  switch (kind) {
    case kText: mark = 0xFF808080; break;
    case kPicture: mark = 0xFF3C9A3C; break;
    case kDocument: mark = 0xFF2F5FB3; break;
    case kSheet: mark = 0xFF1E8449; break;
    case kArchive: mark = 0xFFB07A2A; break;
    default: return image;
  }
  for (int line = 0; line < 4; ++line) {
    int top = (5 + 2 * line) * u;
    FillBox(image, 5 * u, top, (line % 2 ? 9 : 11) * u, top + u, mark);
  }
  return image;
}

const std::array<TRasterImage, kKinds>& Images(bool large) {
  static const auto make = [](int size) {
    std::array<TRasterImage, kKinds> images;
    for (int k = 0; k < kKinds; ++k) images[k] = Draw(static_cast<TKind>(k), size);
    return images;
  };
  static const std::array<TRasterImage, kKinds> small = make(16), big = make(32);
  return large ? big : small;
}

}  // namespace

int SystemImageCount() { return kKinds; }

const TRasterImage& SystemImage(int index, bool large) {
  static const TRasterImage none;
  if (index < 0 || index >= kKinds) return none;
  return Images(large)[index];
}

int SystemImageIndex(const String& name, bool isDirectory) {
  if (isDirectory) return kFolder;
  size_t dot = name.find_last_of(u'.');
  size_t slash = name.find_last_of(u"/\\");
  if (dot == String::npos || (slash != String::npos && dot < slash)) return kFile;
  String ext = LowerCase(name.substr(dot + 1));
  static const struct {
    const char16_t* Ext;
    TKind Kind;
  } kTypes[] = {
      {u"txt", kText},      {u"log", kText},     {u"csv", kText},      {u"png", kPicture},
      {u"jpg", kPicture},   {u"jpeg", kPicture}, {u"gif", kPicture},   {u"bmp", kPicture},
      {u"ico", kPicture},   {u"pdf", kDocument}, {u"doc", kDocument},  {u"docx", kDocument},
      {u"odt", kDocument},  {u"rtf", kDocument}, {u"xls", kSheet},     {u"xlsx", kSheet},
      {u"ods", kSheet},     {u"zip", kArchive},  {u"gz", kArchive},    {u"7z", kArchive},
      {u"tar", kArchive},
  };
  for (const auto& t : kTypes) {
    if (ext == t.Ext) return t.Kind;
  }
  return kFile;
}
