#include "platform/win/DropFiles.h"

#include <cstring>

#include "platform/rtl/UnicodeText.h"

HGLOBAL MakeDropFiles(const std::vector<String>& names) {
  size_t chars = 1;  // the empty name that ends the list
  for (const String& name : names) chars += name.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(char16_t));
  if (!block) return nullptr;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  DROPFILES header;
  header.fWide = 1;
  std::memcpy(bytes, &header, sizeof header);
  size_t at = sizeof header;
  for (const String& name : names) {
    std::memcpy(bytes + at, name.data(), name.size() * sizeof(char16_t));
    // The block is zero-filled: the terminator is there already.
    at += (name.size() + 1) * sizeof(char16_t);
  }
  GlobalUnlock(block);
  return block;
}

std::vector<String> ReadDropFiles(const void* data, size_t size) {
  std::vector<String> names;
  if (!data || size < sizeof(DROPFILES)) return names;
  DROPFILES header;
  std::memcpy(&header, data, sizeof header);
  if (header.pFiles >= size) return names;
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t at = header.pFiles;
  if (header.fWide) {
    // Read a unit at a time: the offset need not be aligned, and a last odd byte is no unit.
    for (;;) {
      String name;
      while (at + 1 < size) {
        char16_t unit = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
        at += 2;
        if (unit == 0) break;
        name += unit;
        if (at + 1 >= size) break;
      }
      if (name.empty()) break;
      names.push_back(std::move(name));
      if (at + 1 >= size) break;
    }
  } else {
    while (at < size) {
      const char* start = reinterpret_cast<const char*>(bytes + at);
      size_t length = strnlen(start, size - at);
      if (length == 0) break;
      names.push_back(UTF8ToString(std::string_view(start, length)));
      at += length + 1;
    }
  }
  return names;
}

std::vector<String> ReadDropFiles(HGLOBAL block) {
  if (!block) return {};
  const void* data = GlobalLock(block);
  std::vector<String> names = ReadDropFiles(data, GlobalSize(block));
  GlobalUnlock(block);
  return names;
}
