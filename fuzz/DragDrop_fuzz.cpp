// What another program drops on us: a data object built from the input's format list and
// blocks, read by the grid's drop target and reader; every block also through the CF_HDROP
// reader and the URI-list parser.
//
// Input: records of one format selector byte, a 16-bit little-endian length and that many bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "controls/grid/asgdd.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DragFormats.h"
#include "platform/win/DropFiles.h"
#include "platform/win/HeadlessBackEnd.h"
#include "tests/support/BlockDataObject.h"

namespace {

class TQuietTarget : public asgdd::TASGDropTarget {
 public:
  size_t Seen = 0;

 protected:
  void DropText(TPoint, const String& text) override { Seen += text.size(); }
  void DropCells(TPoint, std::unique_ptr<TMemoryStream> stream) override {
    Seen += static_cast<size_t>(stream->Size());
  }
  void DropRTF(TPoint, const String& rtf) override { Seen += rtf.size(); }
  void DropFiles(TPoint, TStringList* files) override { Seen += files->Count(); }
  void DropURL(TPoint, const String& url) override { Seen += url.size(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static THeadlessSession* session = new THeadlessSession;
  (void)session;
  const UINT formats[] = {CF_TEXT,         CF_UNICODETEXT,         CF_HDROP,
                          asgdd::CF_RTF(), asgdd::CF_GRIDCOLUMN(), asgdd::CF_GRIDCELLS(),
                          asgdd::CF_URL()};
  TDragRef<testsupport::TBlockDataObject> object(new testsupport::TBlockDataObject);
  size_t at = 0;
  while (at + 3 <= size) {
    UINT format = formats[data[at] % (sizeof formats / sizeof formats[0])];
    size_t length = data[at + 1] | (data[at + 2] << 8);
    at += 3;
    length = std::min(length, size - at);
    std::string bytes(reinterpret_cast<const char*>(data + at), length);
    at += length;
    ReadDropFiles(bytes.data(), bytes.size());
    ParseUriList(bytes);
    object->Offer(format, std::move(bytes));
  }
  asgdd::SetDragDropRTF(size % 2 == 0);
  TDragRef<TQuietTarget> target(new TQuietTarget);
  target->AcceptColumns = true;
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragEnter(object.Get(), 0, {0, 0}, &effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->Drop(object.Get(), 0, {0, 0}, &effect);
  asgdd::TEnumFormats reader(object.Get());
  reader.GetColumn();
  reader.GetCells();
  reader.GetFiles();
  std::string out;
  for (const std::string& name : ExportTargets(object.Get())) ExportData(object.Get(), name, out);
  return 0;
}
