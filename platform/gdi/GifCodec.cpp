// GIF: the block structure, the LZW-coded frames and their composition on the logical screen. A
// file counts only when its structure runs complete to the trailer.
#include <cstring>
#include <map>

#include "platform/gdi/Dib.h"
#include "platform/gdi/ImageCodecs.h"
#include "platform/gdi/WinTypes.h"

namespace {

class TGifReader {
 public:
  TGifReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  bool Has(size_t n) const { return n <= FSize - FPos; }
  const uint8_t* Take(size_t n) {
    const uint8_t* p = FData + FPos;
    FPos += n;
    return p;
  }
  // Data sub-blocks up to their terminator, appended to out (or skipped for null).
  bool SubBlocks(std::vector<uint8_t>* out) {
    for (;;) {
      if (!Has(1)) return false;
      size_t length = *Take(1);
      if (length == 0) return true;
      if (!Has(length)) return false;
      const uint8_t* block = Take(length);
      if (out != nullptr) out->insert(out->end(), block, block + length);
    }
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

// LZW-decodes colour indices; fewer codes than pixels leave the rest 0, as decoders commonly allow.
bool DecodeLzw(const std::vector<uint8_t>& in, int minCodeSize, size_t pixels, std::vector<uint8_t>& out) {
  const int clear = 1 << minCodeSize, end = clear + 1;
  int codeSize = minCodeSize + 1, next = clear + 2, old = -1;
  uint8_t first = 0;
  std::vector<uint16_t> prefix(4096);
  std::vector<uint8_t> suffix(4096), stack(4097);
  out.assign(pixels, 0);
  size_t written = 0, bitPos = 0, totalBits = in.size() * 8;
  while (written < pixels) {
    if (bitPos + codeSize > totalBits) break;
    int code = 0;
    for (int i = 0; i < codeSize; ++i, ++bitPos) code |= ((in[bitPos >> 3] >> (bitPos & 7)) & 1) << i;
    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = clear + 2;
      old = -1;
      continue;
    }
    if (code == end) break;
    if (old < 0) {
      if (code >= clear) return false;
      out[written++] = static_cast<uint8_t>(code);
      old = code;
      first = static_cast<uint8_t>(code);
      continue;
    }
    int current = code;
    size_t depth = 0;
    if (code > next) return false;
    if (code == next) {
      stack[depth++] = first;
      code = old;
    }
    // Table entries always point to lower ones, so this walk ends.
    while (code > end) {
      stack[depth++] = suffix[code];
      code = prefix[code];
    }
    if (code >= clear) return false;
    first = static_cast<uint8_t>(code);
    stack[depth++] = first;
    while (depth > 0 && written < pixels) out[written++] = stack[--depth];
    if (next < 4096) {
      prefix[next] = static_cast<uint16_t>(old);
      suffix[next] = first;
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    old = current;
  }
  return true;
}

// The row of a frame that the n-th decoded row fills, for interlaced frames.
int InterlacedRow(int n, int height) {
  static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (n < rows) return kStart[pass] + n * kStep[pass];
    n -= rows;
  }
  return 0;
}

}  // namespace

bool DecodeGifFile(const uint8_t* data, size_t size, int frame, TRasterImage& out, int* frameCount) {
  if (data == nullptr || size < 13 || frame < 0) return false;
  if (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0) return false;
  TGifReader reader(data, size);
  const uint8_t* screen = reader.Take(13);
  int width = Le16(screen + 6), height = Le16(screen + 8);
  // A 12-bit code stands for at most 4096 pixels.
  if (!ImageSizePlausible(width, height, size, 4096 * 8 / 12 + 1)) return false;
  const uint8_t* globalTable = nullptr;
  int globalColors = 0;
  if (screen[10] & 0x80) {
    globalColors = 2 << (screen[10] & 7);
    if (!reader.Has(3u * globalColors)) return false;
    globalTable = reader.Take(3u * globalColors);
  }
  TRasterImage canvas, saved, result;
  canvas.Resize(width, height, 0);
  int frames = 0, transparent = -1, disposal = 0;
  TRect previous{};
  int previousDisposal = 0;
  bool captured = false;
  std::vector<uint8_t> codes, indices;
  for (;;) {
    if (!reader.Has(1)) return false;
    uint8_t kind = *reader.Take(1);
    if (kind == 0x3B) break;
    if (kind == 0x21) {
      if (!reader.Has(1)) return false;
      uint8_t label = *reader.Take(1);
      if (label == 0xF9 && reader.Has(6) && reader.Take(0)[0] == 4) {
        const uint8_t* gce = reader.Take(5);
        disposal = (gce[1] >> 2) & 7;
        transparent = (gce[1] & 1) ? gce[4] : -1;
      }
      if (!reader.SubBlocks(nullptr)) return false;
      continue;
    }
    if (kind != 0x2C || !reader.Has(10)) return false;
    const uint8_t* d = reader.Take(9);
    int left = Le16(d), top = Le16(d + 2), w = Le16(d + 4), h = Le16(d + 6);
    const uint8_t* table = globalTable;
    int colors = globalColors;
    if (d[8] & 0x80) {
      colors = 2 << (d[8] & 7);
      if (!reader.Has(3u * colors)) return false;
      table = reader.Take(3u * colors);
    }
    bool interlaced = (d[8] & 0x40) != 0;
    if (!reader.Has(1)) return false;
    int minCodeSize = *reader.Take(1);
    if (minCodeSize < 2 || minCodeSize > 11) return false;
    bool wanted = frames <= frame;
    codes.clear();
    if (!reader.SubBlocks(wanted ? &codes : nullptr)) return false;
    if (wanted) {
      // What the frame before asked to be done with its area.
      if (previousDisposal == 2) {
        for (int y = std::max(0, previous.Top); y < std::min(height, previous.Bottom); ++y) {
          for (int x = std::max(0, previous.Left); x < std::min(width, previous.Right); ++x) canvas.At(x, y) = 0;
        }
      } else if (previousDisposal == 3 && !saved.Empty()) {
        canvas = saved;
      }
      if (disposal == 3) saved = canvas;
      if (w > 0 && h > 0) {
        if (table == nullptr || !ImageSizePlausible(w, h, size, 4096 * 8 / 12 + 1)) return false;
        if (!DecodeLzw(codes, minCodeSize, static_cast<size_t>(w) * h, indices)) return false;
        for (int n = 0; n < h; ++n) {
          int row = interlaced ? InterlacedRow(n, h) : n;
          int y = top + row;
          if (y >= height) continue;
          for (int x = 0; x < w && left + x < width; ++x) {
            int index = indices[static_cast<size_t>(n) * w + x];
            if (index == transparent || index >= colors) continue;
            const uint8_t* c = table + 3 * index;
            canvas.At(left + x, y) = 0xFF000000u | (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2];
          }
        }
      }
      previous = {left, top, left + w, top + h};
      previousDisposal = disposal;
      if (frames == frame) {
        result = canvas;
        captured = true;
      }
    }
    ++frames;
    transparent = -1;
    disposal = 0;
  }
  if (!captured) return false;
  out = std::move(result);
  if (frameCount != nullptr) *frameCount = frames;
  return true;
}

bool ReadGifLayout(const uint8_t* data, size_t size, TGifLayout& out) {
  if (data == nullptr || size < 13) return false;
  if (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0) return false;
  TGifReader reader(data, size);
  const uint8_t* screen = reader.Take(13);
  TGifLayout layout;
  layout.ScreenWidth = Le16(screen + 6);
  layout.ScreenHeight = Le16(screen + 8);
  if ((screen[10] & 0x80) != 0) {
    size_t table = 3u * (2u << (screen[10] & 7));
    if (!reader.Has(table)) return false;
    reader.Take(table);
  }
  for (;;) {
    if (!reader.Has(1)) return false;
    uint8_t kind = *reader.Take(1);
    if (kind == 0x3B) break;
    if (kind == 0x21) {
      if (!reader.Has(1)) return false;
      reader.Take(1);
      if (!reader.SubBlocks(nullptr)) return false;
      continue;
    }
    if (kind != 0x2C || !reader.Has(10)) return false;
    const uint8_t* d = reader.Take(9);
    int left = Le16(d), top = Le16(d + 2);
    layout.Frames.push_back(TRect{left, top, left + Le16(d + 4), top + Le16(d + 6)});
    if ((d[8] & 0x80) != 0) {
      size_t table = 3u * (2u << (d[8] & 7));
      if (!reader.Has(table)) return false;
      reader.Take(table);
    }
    if (!reader.Has(1)) return false;
    reader.Take(1);  // the LZW minimum code size
    if (!reader.SubBlocks(nullptr)) return false;
  }
  out = std::move(layout);
  return true;
}

namespace {

void PutLe16(TBytes& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// The index of each pixel in a palette of at most 255 colours; index 255 is transparent.
void Palettize(const TRasterImage& image, std::vector<uint32_t>& palette, std::vector<uint8_t>& indices) {
  std::map<uint32_t, int> colours;
  for (uint32_t p : image.Argb) {
    if ((p >> 24) >= 128 && colours.size() <= 255) colours.emplace(p & 0xFFFFFF, 0);
  }
  bool exact = colours.size() <= 255;
  if (exact) {
    for (auto& [colour, index] : colours) {
      index = static_cast<int>(palette.size());
      palette.push_back(colour);
    }
  } else {
    // Six levels of red and blue, seven of green.
    for (int r = 0; r < 6; ++r) {
      for (int g = 0; g < 7; ++g) {
        for (int b = 0; b < 6; ++b) palette.push_back((uint32_t(r * 51) << 16) | (uint32_t(g * 255 / 6) << 8) | (b * 51));
      }
    }
  }
  indices.resize(image.Argb.size());
  for (size_t i = 0; i < image.Argb.size(); ++i) {
    uint32_t p = image.Argb[i];
    if ((p >> 24) < 128) {
      indices[i] = 255;
    } else if (exact) {
      indices[i] = static_cast<uint8_t>(colours[p & 0xFFFFFF]);
    } else {
      int r = (((p >> 16) & 0xFF) + 25) / 51, g = (((p >> 8) & 0xFF) * 6 + 127) / 255, b = ((p & 0xFF) + 25) / 51;
      indices[i] = static_cast<uint8_t>(r * 42 + g * 6 + b);
    }
  }
}

}  // namespace

TBytes EncodeGifFile(const TRasterImage& image) {
  TBytes out;
  if (image.Empty() || image.Width > 0xFFFF || image.Height > 0xFFFF) return out;
  std::vector<uint32_t> palette;
  std::vector<uint8_t> indices;
  Palettize(image, palette, indices);
  palette.resize(256, 0);
  out.insert(out.end(), {'G', 'I', 'F', '8', '9', 'a'});
  PutLe16(out, image.Width);
  PutLe16(out, image.Height);
  out.insert(out.end(), {0xF7, 0, 0});  // a global table of 256 colours
  for (uint32_t c : palette) out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
  out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, 255, 0});  // index 255 is transparent
  out.push_back(0x2C);
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, image.Width);
  PutLe16(out, image.Height);
  out.push_back(0);
  out.push_back(8);
  // Every pixel as a literal code of 9 bits; a clear code before the decoder's table would make
  // codes wider keeps them at 9 bits.
  std::vector<uint8_t> codes;
  uint32_t bits = 0;
  int count = 0;
  auto emit = [&](int code) {
    bits |= static_cast<uint32_t>(code) << count;
    count += 9;
    while (count >= 8) {
      codes.push_back(static_cast<uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  };
  emit(256);
  int sinceClear = 0;
  for (uint8_t index : indices) {
    if (sinceClear == 254) {
      emit(256);
      sinceClear = 0;
    }
    emit(index);
    ++sinceClear;
  }
  emit(257);
  if (count > 0) codes.push_back(static_cast<uint8_t>(bits));
  for (size_t i = 0; i < codes.size(); i += 255) {
    size_t n = std::min<size_t>(255, codes.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), codes.begin() + i, codes.begin() + i + n);
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}
