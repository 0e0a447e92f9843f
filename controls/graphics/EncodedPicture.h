// What the library's two picture classes share: a TGraphic that holds nothing but an encoded
// image file (PNG, JPEG, GIF, BMP, ICO, ...) and a cached size, and decodes the bytes through GDI+
// each time it draws, so alpha channels survive and stored forms stay small.
#pragma once

#include "platform/gdi/Graphic.h"

class TEncodedPicture : public TGraphic {
 public:
  bool Empty() const override { return FEmpty; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void SaveToStream(TStream* stream) override;
  TRasterImage ToRaster() override;
  void LoadFromClipboardFormat() {}
  void SaveToClipboardFormat() {}
  // The "Data" property: the encoded bytes unchanged, no prefix.
  void WriteData(TStream* stream) { SaveToStream(stream); }
  const TBytes& Bytes() const { return FBytes; }
  TNotifyEvent OnClear;

 protected:
  // The first steps of Assign: a TPicture without a graphic changes nothing, anything else marks
  // the picture empty, and no source at all clears it (OnChange, then OnClear). True when the
  // source was dealt with.
  bool AssignStart(TPersistent* source);
  // Takes a graphic's saved bytes; the picture is then not empty.
  void TakeGraphic(TGraphic* graphic);
  // A TPicture's graphic, or the source itself when it is a graphic.
  static TGraphic* GraphicOf(TPersistent* source);
  // Replaces the bytes with the file's, marks the picture loaded and fires OnClear; raises the
  // file's read error.
  void ReadFileBytes(const String& fileName);
  // The size from decoding: 0 x 0 when the bytes do not decode. True when they did.
  bool TakeDecodedSize();
  // A BMP at its own size (stretchBmp: scaled) with automatic transparency; anything else scaled
  // into the rectangle through GDI+, refreshing the cached size.
  void DrawOnCanvas(TCanvas* canvas, const TRect& rect, bool stretchBmp);

  TBytes FBytes;
  bool FEmpty = true;
  int FWidth = 0;
  int FHeight = 0;
};

// The extension of a file name without its dot ("" for none).
String PictureFileExtension(const String& fileName);
