// Helpers of the GDI+ layer's tests: the drawing fixtures, files written for a test, and a 32-bit
// bitmap with a graphics drawing into it whose pixels can be read back.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "controls/graphics/AdvGDIP.h"
#include "tests/platform/ui/SettingsTestSupport.h"

namespace gdiptest {

inline std::string FixturePath(const std::string& name) {
  return std::string(SOURCE_TREE) + "/tests/platform/gdi/fixtures/" + name;
}

inline TBytes ReadFixture(const std::string& name) {
  std::ifstream file(FixturePath(name), std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(file), {});
}

inline String WriteFile(const TTempFolder& folder, const std::string& name, const TBytes& bytes) {
  std::ofstream file(folder.File(name), std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return folder.FileName(name);
}

// A 32-bit bitmap cleared to one colour, with a graphics over it.
struct TSurface {
  TGPBitmap Bitmap;
  TGPGraphics Graphics;
  TSurface(int width, int height, ARGB background = 0xFFFFFFFF)
      : Bitmap(width, height, PixelFormat32bppARGB), Graphics(&Bitmap) {
    Graphics.Clear(background);
  }
  ARGB At(int x, int y) {
    ARGB color = 0;
    EXPECT_EQ(Bitmap.GetPixel(x, y, color), Ok) << x << "," << y;
    return color;
  }
  // Whether two surfaces of one size hold the same pixels.
  bool SamePixels(TSurface& other) {
    int w = static_cast<int>(Bitmap.GetWidth()), h = static_cast<int>(Bitmap.GetHeight());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (At(x, y) != other.At(x, y)) return false;
      }
    }
    return true;
  }
  // How many pixels of the surface differ from the colour.
  int CountOther(ARGB color) {
    int w = static_cast<int>(Bitmap.GetWidth()), h = static_cast<int>(Bitmap.GetHeight()), n = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) n += At(x, y) != color;
    }
    return n;
  }
};

}  // namespace gdiptest
