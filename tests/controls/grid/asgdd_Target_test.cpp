// The drop side of the grid's drag and drop: what a drop target accepts at drag enter, which
// hooks a drop calls in which order, and how blocks from other programs that lie about their
// sizes read.
#include "platform/win/DropFiles.h"
#include "tests/controls/grid/AsgddTestSupport.h"

namespace asgddtest {
namespace {

const TPoint Pt{40, 30};

std::string FilesBlock(const std::vector<String>& names) {
  HGLOBAL block = MakeDropFiles(names);
  std::string bytes(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
  GlobalFree(block);
  return bytes;
}

// One drag: enter, one move, drop. Answers the effects at each step.
struct TRun {
  DWORD Enter, Over, Drop;
};
TRun DragAndDrop(TASGDropTarget* target, IDataObject* data, DWORD keys = MK_LBUTTON,
                 DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE) {
  TRun run{allowed, allowed, allowed};
  target->DragEnter(data, keys, Pt, &run.Enter);
  target->DragOver(keys, Pt, &run.Over);
  target->Drop(data, keys & ~MK_LBUTTON, Pt, &run.Drop);
  return run;
}

TEST_F(AsgddTest, ADropDeliversWhatTheDragCarriesInItsOrder) {
  UINT rtf = CF_RTF(), url = CF_URL(), cells = CF_GRIDCELLS(), column = CF_GRIDCOLUMN();
  std::string files = FilesBlock({u"/home/ана/a.txt", u"/tmp/b"});
  struct TCase {
    const char* Name;
    bool Rtf;
    std::vector<std::pair<UINT, std::string>> Blocks;
    TDragFormats Formats;
    std::vector<std::string> Log;
  } cases[] = {
      {"text then files",
       false,
       {{CF_UNICODETEXT, Utf16Bytes(u"Здраво")}, {CF_HDROP, files}},
       dfText | dfFiles,
       {"enter", "move allow 3", "text Здраво @40,30", "files /home/ана/a.txt|/tmp/b @40,30"}},
      {"CF_TEXT alone is UTF-8",
       false,
       {{CF_TEXT, std::string("Ж\0", 3)}},
       dfText,
       {"enter", "move allow 1", "text Ж @40,30"}},
      {"cells win over RTF and text",
       true,
       {{CF_TEXT, std::string("a\0", 2)},
        {rtf, std::string("{r}\0", 4)},
        {cells, Counted(2, "xy")}},
       dfText | dfRTF | dfCells,
       {"enter", "move allow 41", "cells 2 @40,30"}},
      {"RTF over text with the switch on",
       true,
       {{CF_TEXT, std::string("a\0", 2)}, {rtf, std::string("{r}\0", 4)}},
       dfText | dfRTF,
       {"enter", "move allow 9", "rtf {r} @40,30"}},
      {"text, not RTF, with the switch off",
       false,
       {{CF_TEXT, std::string("a\0", 2)}, {rtf, std::string("{r}\0", 4)}},
       dfText | dfRTF,
       {"enter", "move allow 9", "text a @40,30"}},
      {"a URL comes as text",
       false,
       {{CF_TEXT, std::string("https://x.mk\0", 13)}, {url, std::string("https://x.mk\0", 13)}},
       dfText | dfURL,
       {"enter", "move allow 17", "text https://x.mk @40,30", "url https://x.mk @40,30"}},
      {"a column and nothing else",
       false,
       {{CF_TEXT, std::string("a\0", 2)}, {column, std::string("\x07\0\0\0", 4)}},
       dfText | dfColumn,
       {"enter", "move allow 5", "column 7 @40,30"}},
  };
  for (const TCase& c : cases) {
    SetDragDropRTF(c.Rtf);
    TDragRef<TLoggingTarget> target(new TLoggingTarget);
    TDragRef<TBlockDataObject> data(new TBlockDataObject);
    for (auto& [format, bytes] : c.Blocks) data->Offer(format, bytes);
    TRun run = DragAndDrop(target.Get(), data.Get());
    EXPECT_TRUE(target->Ok) << c.Name;
    EXPECT_EQ(target->Formats, c.Formats) << c.Name;
    EXPECT_EQ(run.Drop, DROPEFFECT_MOVE) << c.Name;
    EXPECT_EQ(target->Log, c.Log) << c.Name;
  }
}

TEST_F(AsgddTest, TheAcceptFlagsDecideAtDragEnter) {
  UINT rtf = CF_RTF(), url = CF_URL(), column = CF_GRIDCOLUMN(), cells = CF_GRIDCELLS();
  std::string files = FilesBlock({u"/tmp/a"});
  struct TCase {
    const char* Name;
    std::vector<UINT> Offered;
    bool Text, Files, Columns, Urls, Rtf;
    bool Ok;
  } cases[] = {
      {"files refused with AcceptFiles off", {CF_HDROP}, true, false, false, true, false, false},
      {"files taken", {CF_HDROP}, false, true, false, false, false, true},
      {"text refused with AcceptText off", {CF_TEXT}, false, true, true, true, false, false},
      {"a column refused by default", {column}, true, true, false, true, false, false},
      {"a column taken with AcceptColumns", {column}, false, false, true, false, false, true},
      {"a URL refused with AcceptURLs off", {url}, true, true, true, false, false, false},
      {"RTF needs the switch", {rtf}, true, true, true, true, false, false},
      {"RTF with the switch", {rtf}, true, false, false, false, true, true},
      {"cells always", {cells}, false, false, false, false, false, true},
  };
  for (const TCase& c : cases) {
    SetDragDropRTF(c.Rtf);
    TDragRef<TLoggingTarget> target(new TLoggingTarget);
    target->AcceptText = c.Text;
    target->AcceptFiles = c.Files;
    target->AcceptColumns = c.Columns;
    target->AcceptURLs = c.Urls;
    TDragRef<TBlockDataObject> data(new TBlockDataObject);
    for (UINT format : c.Offered)
      data->Offer(format, format == CF_HDROP ? files
                          : format == cells  ? Counted(0, "")
                                             : std::string("\1\0\0\0", 4));
    TRun run = DragAndDrop(target.Get(), data.Get());
    EXPECT_EQ(target->Ok, c.Ok) << c.Name;
    DWORD expected = c.Ok ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
    EXPECT_EQ(run.Enter, expected) << c.Name;
    EXPECT_EQ(run.Over, expected) << c.Name;
    EXPECT_EQ(run.Drop, expected) << c.Name;
    if (!c.Ok) {
      // A refused drag still tells the hooks of the mouse, and delivers nothing.
      EXPECT_EQ(target->Log,
                (std::vector<std::string>{"enter", "move deny " + std::to_string(target->Formats)}))
          << c.Name;
    }
  }
}

TEST_F(AsgddTest, CtrlCopiesAndOtherwiseAMoveIsTakenWhenAllowed) {
  struct TCase {
    DWORD Keys;
    DWORD Allowed;
    DWORD Effect;
  } cases[] = {
      {MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
      {MK_LBUTTON | MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_COPY},
      {MK_LBUTTON, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE},
      {MK_LBUTTON | MK_SHIFT, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
      {MK_LBUTTON, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {MK_LBUTTON, DROPEFFECT_LINK, DROPEFFECT_COPY},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ChooseEffect(c.Keys, c.Allowed), c.Effect) << c.Keys << " " << c.Allowed;
    TDragRef<TLoggingTarget> target(new TLoggingTarget);
    TDragRef<TBlockDataObject> data(new TBlockDataObject);
    data->Offer(CF_TEXT, std::string("a\0", 2));
    TRun run = DragAndDrop(target.Get(), data.Get(), c.Keys, c.Allowed);
    EXPECT_EQ(run.Enter, c.Effect);
    EXPECT_EQ(run.Over, c.Effect);
    EXPECT_EQ(run.Drop, c.Effect);
  }
}

TEST_F(AsgddTest, TheHooksRunInTheirOrderAndAMoveHookCanRefuse) {
  TDragRef<TLoggingTarget> target(new TLoggingTarget);
  TDragRef<TBlockDataObject> data(new TBlockDataObject);
  data->Offer(CF_TEXT, std::string("a\0", 2));
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, Pt, &effect);
  target->DragOver(MK_LBUTTON, Pt, &effect);
  target->RefuseMove = true;
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, Pt, &effect);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  target->DragLeave();
  EXPECT_EQ(target->Log,
            (std::vector<std::string>{"enter", "move allow 1", "move allow 1", "leave"}));
}

TEST_F(AsgddTest, BlocksThatLieAboutTheirSizeReadAsAbsentOrCut) {
  UINT cells = CF_GRIDCELLS(), column = CF_GRIDCOLUMN();
  DROPFILES header;
  header.fWide = 1;
  std::string head(reinterpret_cast<const char*>(&header), sizeof header);
  DROPFILES far = header;
  far.pFiles = 4000;
  DROPFILES narrow;
  struct TCase {
    const char* Name;
    std::vector<std::pair<UINT, std::string>> Blocks;
    std::vector<std::string> Log;
  } cases[] = {
      {"a cell length one past the block",
       {{CF_TEXT, std::string("t\0", 2)}, {cells, Counted(4, "abc")}},
       {"enter", "move allow 33", "text t @40,30"}},
      {"a cell length of 0xFFFFFFFF",
       {{CF_TEXT, std::string("t\0", 2)}, {cells, Counted(0xFFFFFFFF, "abc")}},
       {"enter", "move allow 33", "text t @40,30"}},
      {"a cell block shorter than its length field",
       {{cells, std::string("\1\0", 2)}},
       {"enter", "move allow 32"}},
      {"a cell length that fits exactly",
       {{cells, Counted(3, "abc")}},
       {"enter", "move allow 32", "cells 3 @40,30"}},
      {"a 2-byte column block", {{column, std::string("\1\0", 2)}}, {"enter", "move allow 4"}},
      {"UTF-16 text without a terminator",
       {{CF_UNICODETEXT, std::string("a\0b\0c", 5)}},
       {"enter", "move allow 1", "text ab @40,30"}},
      {"CF_TEXT without a terminator",
       {{CF_TEXT, "abc"}},
       {"enter", "move allow 1", "text abc @40,30"}},
      {"an empty text block", {{CF_TEXT, ""}}, {"enter", "move allow 1", "text  @40,30"}},
      {"a DROPFILES offset past the block",
       {{CF_HDROP, std::string(reinterpret_cast<const char*>(&far), sizeof far) + "a\0\0\0"}},
       {"enter", "move allow 2"}},
      {"a DROPFILES record cut short", {{CF_HDROP, head.substr(0, 12)}}, {"enter", "move allow 2"}},
      {"wide names running off the block",
       {{CF_HDROP, head + std::string("/\0a\0\0\0/\0b\0", 10)}},
       {"enter", "move allow 2", "files /a|/b @40,30"}},
      {"an odd byte at the end of wide names",
       {{CF_HDROP, head + std::string("/\0a\0\0\0/\0b", 9)}},
       {"enter", "move allow 2", "files /a|/ @40,30"}},
      {"code-page names running off the block",
       {{CF_HDROP, std::string(reinterpret_cast<const char*>(&narrow), sizeof narrow) +
                       std::string("/а\0/b", 6)}},
       {"enter", "move allow 2", "files /а|/b @40,30"}},
  };
  for (const TCase& c : cases) {
    TDragRef<TLoggingTarget> target(new TLoggingTarget);
    target->AcceptColumns = true;
    TDragRef<TBlockDataObject> data(new TBlockDataObject);
    for (auto& [format, bytes] : c.Blocks) data->Offer(format, bytes);
    DragAndDrop(target.Get(), data.Get());
    EXPECT_EQ(target->Log, c.Log) << c.Name;
  }
}

TEST_F(AsgddTest, TheReaderReadsOnlyBlocksOfGlobalMemory) {
  TDragRef<TBlockDataObject> data(new TBlockDataObject);
  data->Offer(CF_TEXT, std::string("a\0", 2), TYMED_ISTREAM);
  data->Offer(CF_GRIDCOLUMN(), std::string("\5\0\0\0", 4), TYMED_ISTREAM | TYMED_HGLOBAL);
  TEnumFormats reader(data.Get());
  EXPECT_TRUE(reader.HasText());
  EXPECT_EQ(reader.GetText(), u"");
  EXPECT_EQ(reader.GetColumn(), 5);
  EXPECT_EQ(data->Asked, (std::vector<UINT>{CF_GRIDCOLUMN()}));
  EXPECT_EQ(reader.GetCells(), nullptr);
  EXPECT_FALSE(reader.GetFiles());
}

TEST_F(AsgddTest, ADataObjectThatCannotEnumerateCarriesNothing) {
  TDragRef<TLoggingTarget> target(new TLoggingTarget);
  TDragRef<TBlockDataObject> data(new TBlockDataObject);
  data->Offer(CF_TEXT, std::string("a\0", 2));
  data->CannotEnumerate = true;
  TRun run = DragAndDrop(target.Get(), data.Get());
  EXPECT_FALSE(target->Ok);
  EXPECT_EQ(target->Formats, 0u);
  EXPECT_EQ(run.Enter, DROPEFFECT_NONE);
  EXPECT_EQ(run.Drop, DROPEFFECT_NONE);
  EXPECT_TRUE(data->Asked.empty());
}

}  // namespace
}  // namespace asgddtest
