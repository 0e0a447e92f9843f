// Shared by the grid drag-and-drop tests: a headless session, a drop target and a drop source
// that log their hooks, and block readers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/grid/asgdd.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/HeadlessBackEnd.h"
#include "platform/win/Messages.h"
#include "tests/support/BlockDataObject.h"

namespace asgddtest {

using namespace asgdd;
using testsupport::Counted;
using testsupport::TBlockDataObject;
using testsupport::Utf16Bytes;

// Logs every hook as "name args".
class TLoggingTarget : public TASGDropTarget {
 public:
  std::vector<std::string> Log;
  std::string Cells;        // the bytes of the last dropped cell stream
  bool RefuseMove = false;  // DragMouseMove says no

 protected:
  void DropText(TPoint pt, const String& text) override {
    Log.push_back("text " + UTF8Encode(text) + At(pt));
  }
  void DropCells(TPoint pt, std::unique_ptr<TMemoryStream> stream) override {
    Cells.assign(static_cast<const char*>(stream->Memory()), static_cast<size_t>(stream->Size()));
    Log.push_back("cells " + std::to_string(stream->Size()) + At(pt));
  }
  void DropColumn(TPoint pt, int column) override {
    Log.push_back("column " + std::to_string(column) + At(pt));
  }
  void DropRTF(TPoint pt, const String& rtf) override {
    Log.push_back("rtf " + UTF8Encode(rtf) + At(pt));
  }
  void DropFiles(TPoint pt, TStringList* files) override {
    std::string names;
    for (int i = 0; i < files->Count(); ++i)
      names += (i ? "|" : "") + UTF8Encode(files->Strings(i));
    Log.push_back("files " + names + At(pt));
  }
  void DropURL(TPoint pt, const String& url) override {
    Log.push_back("url " + UTF8Encode(url) + At(pt));
  }
  void DragMouseMove(TPoint, bool& allow, TDragFormats formats) override {
    Log.push_back("move " + std::string(allow ? "allow " : "deny ") + std::to_string(formats));
    if (RefuseMove) allow = false;
  }
  void DragMouseEnter() override { Log.push_back("enter"); }
  void DragMouseLeave() override { Log.push_back("leave"); }

 private:
  static std::string At(TPoint pt) {
    return " @" + std::to_string(pt.X) + "," + std::to_string(pt.Y);
  }
};

class TLoggingSource : public TASGDropSource {
 public:
  std::vector<std::string> Log;
  // Set NoAccept when the drag finishes, whatever the feedback said.
  bool ForgetAcceptAtFinish = false;

 protected:
  void DragFinished() override {
    Log.push_back("finished");
    if (ForgetAcceptAtFinish) NoAccept = true;
  }
  void FeedbackEffect(DWORD effect) override {
    Log.push_back("feedback " + std::to_string(effect));
  }
  void QueryContinue() override { Log.push_back("query"); }
};

// The bytes of a block (and its size), the medium released.
inline std::string TakeBlock(STGMEDIUM& medium) {
  std::string bytes(static_cast<const char*>(GlobalLock(medium.hGlobal)),
                    GlobalSize(medium.hGlobal));
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return bytes;
}

class AsgddTest : public ::testing::Test {
 protected:
  AsgddTest() { SetDragDropRTF(false); }
  ~AsgddTest() override { SetDragDropRTF(false); }
  THeadlessSession Session;
};

}  // namespace asgddtest
