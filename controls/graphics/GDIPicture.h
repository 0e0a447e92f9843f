// TGDIPPicture: the picture of the rich hint and of the glow button; like TAdvGDIPPicture it keeps
// the encoded image file and decodes it on each use, remembers the file it was last loaded from,
// and has no colour key.
#pragma once

#include "controls/graphics/AdvGDIP.h"

class TGDIPPicture : public TEncodedPicture {
 public:
  TGDIPPicture();
  ~TGDIPPicture() override;

  // Takes another TGDIPPicture, a TBitmap, a TIcon or a TPicture's graphic; anything else leaves
  // the picture empty.
  void Assign(TPersistent* source) override;
  // Scaled into the rectangle (a BMP with its automatic transparency).
  void Draw(TCanvas* canvas, const TRect& rect) override;
  // The whole stream from its start, an empty one too; nothing for no stream.
  void LoadFromStream(TStream* stream) override;
  TGraphic* NewInstance() const override { return new TGDIPPicture; }
  // The file's bytes and name, its size by decoding; read errors leave it empty.
  void LoadFromFile(const String& fileName);
  // The "Data" property: the bytes, not decoded.
  void ReadData(TStream* stream);
  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
};
