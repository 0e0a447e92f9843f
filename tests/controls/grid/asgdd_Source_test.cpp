// The drag side of the grid's drag and drop: what a dragged text or column offers, in which
// blocks, through which enumerator, and how the drop source answers the drag loop.
#include "tests/controls/grid/AsgddTestSupport.h"

namespace asgddtest {
namespace {

FORMATETC Format(UINT cf, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT) {
  FORMATETC format;
  format.cfFormat = cf;
  format.tymed = tymed;
  format.dwAspect = aspect;
  return format;
}

std::vector<UINT> Listed(IDataObject* data) {
  TDragRef<IEnumFORMATETC> formats;
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Out()), S_OK);
  std::vector<UINT> list;
  FORMATETC entry;
  while (formats->Next(1, &entry, nullptr) == S_OK) {
    EXPECT_EQ(entry.ptd, nullptr);
    EXPECT_EQ(entry.dwAspect, DVASPECT_CONTENT);
    EXPECT_EQ(entry.lindex, -1);
    EXPECT_EQ(entry.tymed, TYMED_HGLOBAL);
    list.push_back(entry.cfFormat);
  }
  return list;
}

TEST_F(AsgddTest, QueryGetDataAnswersOnlyForWhatTheDragHolds) {
  TMemoryStream cells;
  struct TCase {
    const char* Name;
    const char16_t* Text;
    int Column;
    bool Stream;
    bool Rtf;
    UINT Format;
    DWORD Tymed;
    DWORD Aspect;
    HRESULT Expected;
  } cases[] = {
      {"text as CF_TEXT", u"ab", -1, false, false, CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, S_OK},
      {"text as UTF-16", u"ab", -1, false, false, CF_UNICODETEXT, TYMED_HGLOBAL, DVASPECT_CONTENT,
       S_OK},
      {"RTF with the switch off", u"ab", -1, false, false, CF_RTF(), TYMED_HGLOBAL,
       DVASPECT_CONTENT, DV_E_FORMATETC},
      {"RTF with the switch on", u"ab", -1, false, true, CF_RTF(), TYMED_HGLOBAL, DVASPECT_CONTENT,
       S_OK},
      {"empty text", u"", -1, false, true, CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT,
       DV_E_FORMATETC},
      {"empty text as RTF", u"", -1, false, true, CF_RTF(), TYMED_HGLOBAL, DVASPECT_CONTENT,
       DV_E_FORMATETC},
      {"a column drag's text", u"", 3, false, false, CF_UNICODETEXT, TYMED_HGLOBAL,
       DVASPECT_CONTENT, DV_E_FORMATETC},
      {"a column drag's column", u"", 3, false, false, CF_GRIDCOLUMN(), TYMED_HGLOBAL,
       DVASPECT_CONTENT, S_OK},
      {"column 0 is a column", u"", 0, false, false, CF_GRIDCOLUMN(), TYMED_HGLOBAL,
       DVASPECT_CONTENT, S_OK},
      {"no column", u"ab", -1, false, false, CF_GRIDCOLUMN(), TYMED_HGLOBAL, DVASPECT_CONTENT,
       DV_E_FORMATETC},
      {"cells with a stream", u"ab", -1, true, false, CF_GRIDCELLS(), TYMED_HGLOBAL,
       DVASPECT_CONTENT, S_OK},
      {"cells without one", u"ab", -1, false, false, CF_GRIDCELLS(), TYMED_HGLOBAL,
       DVASPECT_CONTENT, DV_E_FORMATETC},
      {"a stream medium", u"ab", -1, false, false, CF_TEXT, TYMED_ISTREAM, DVASPECT_CONTENT,
       DV_E_FORMATETC},
      {"more than one medium", u"ab", -1, false, false, CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM,
       DVASPECT_CONTENT, DV_E_FORMATETC},
      {"another aspect", u"ab", -1, false, false, CF_TEXT, TYMED_HGLOBAL, 2, DV_E_FORMATETC},
      {"files", u"ab", -1, false, false, CF_HDROP, TYMED_HGLOBAL, DVASPECT_CONTENT, DV_E_FORMATETC},
      {"a URL", u"ab", -1, false, false, CF_URL(), TYMED_HGLOBAL, DVASPECT_CONTENT, DV_E_FORMATETC},
  };
  for (const TCase& c : cases) {
    SetDragDropRTF(c.Rtf);
    TDragRef<TSourceDataObject> data(
        new TSourceDataObject(c.Text, u"{\\rtf1 ab}", c.Column, c.Stream ? &cells : nullptr));
    FORMATETC format = Format(c.Format, c.Tymed, c.Aspect);
    EXPECT_EQ(data->QueryGetData(&format), c.Expected) << c.Name;
    STGMEDIUM medium;
    medium.tymed = TYMED_ISTREAM;  // left over from elsewhere: GetData clears it
    HRESULT got = data->GetData(&format, &medium);
    EXPECT_EQ(got, c.Expected) << c.Name;
    if (got == S_OK)
      ReleaseStgMedium(&medium);
    else
      EXPECT_EQ(medium.tymed, TYMED_NULL) << c.Name;
  }
}

TEST_F(AsgddTest, GetDataFillsBlocksOfTheirExactSize) {
  SetDragDropRTF(true);
  TMemoryStream cells;
  cells.WriteBuffer("\x01\x02\x00\x03", 4);
  struct TCase {
    const char* Name;
    const char16_t* Text;
    int Column;
    bool Stream;
    UINT Format;
    std::string Expected;
  } cases[] = {
      {"5 UTF-16 characters in 12 bytes", u"Табла", -1, false, CF_UNICODETEXT,
       Utf16Bytes(u"Табла")},
      {"Cyrillic CF_TEXT as UTF-8", u"Табла", -1, false, CF_TEXT,
       std::string("\xD0\xA2\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xB0", 10) + '\0'},
      {"RTF with its terminator", u"x", -1, false, CF_RTF(), std::string("{\\rtf1 x}") + '\0'},
      {"the column, little-endian", u"", 258, false, CF_GRIDCOLUMN(),
       std::string("\x02\x01\x00\x00", 4)},
      {"cells after their length", u"x", -1, true, CF_GRIDCELLS(),
       std::string("\x04\x00\x00\x00\x01\x02\x00\x03", 8)},
  };
  for (const TCase& c : cases) {
    TDragRef<TSourceDataObject> data(new TSourceDataObject(
        c.Text, c.Format == CF_RTF() ? u"{\\rtf1 x}" : u"", c.Column, c.Stream ? &cells : nullptr));
    FORMATETC format = Format(c.Format);
    STGMEDIUM medium;
    ASSERT_EQ(data->GetData(&format, &medium), S_OK) << c.Name;
    EXPECT_EQ(medium.tymed, TYMED_HGLOBAL) << c.Name;
    EXPECT_EQ(TakeBlock(medium), c.Expected) << c.Name;
  }
  EXPECT_EQ(Utf16Bytes(u"Табла").size(), 12u);
}

TEST_F(AsgddTest, TheDataObjectListsItsFormatsAndRefusesWhatItDoesNotDo) {
  TMemoryStream cells;
  TDragRef<TSourceDataObject> text(new TSourceDataObject(u"a", u"", -1, nullptr));
  // RTF is listed whatever the switch: a reader learns of the switch from QueryGetData.
  EXPECT_EQ(Listed(text.Get()), (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, CF_RTF()}));
  TDragRef<TSourceDataObject> all(new TSourceDataObject(u"a", u"", 2, &cells));
  EXPECT_EQ(Listed(all.Get()), (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, CF_RTF(),
                                                  CF_GRIDCOLUMN(), CF_GRIDCELLS()}));

  IEnumFORMATETC* none = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(text->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
  EXPECT_EQ(none, nullptr);
  FORMATETC format = Format(CF_TEXT);
  STGMEDIUM medium;
  EXPECT_EQ(text->GetDataHere(&format, &medium), DV_E_FORMATETC);
  EXPECT_EQ(text->SetData(&format, &medium, true), DV_E_FORMATETC);
  FORMATETC canonical;
  canonical.ptd = &canonical;
  EXPECT_EQ(text->GetCanonicalFormatEtc(&format, &canonical), E_NOTIMPL);
  EXPECT_EQ(canonical.ptd, nullptr);
  EXPECT_EQ(text->DAdvise(), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(text->DUnadvise(), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(text->EnumDAdvise(), OLE_E_ADVISENOTSUPPORTED);
}

TEST_F(AsgddTest, TheEnumeratorStepsSkipsResetsAndClones) {
  TDragRef<IEnumFORMATETC> formats(new TSourceEnumFormatEtc(true, true));
  std::vector<UINT> all{CF_TEXT, CF_UNICODETEXT, CF_RTF(), CF_GRIDCOLUMN(), CF_GRIDCELLS()};
  FORMATETC out[8];
  uint32_t fetched = 99;

  EXPECT_EQ(formats->Next(2, out, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(out[1].cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(formats->Skip(1), S_OK);
  TDragRef<IEnumFORMATETC> clone;
  ASSERT_EQ(formats->Clone(clone.Out()), S_OK);
  // Asked for more than is left: what is left, and S_FALSE.
  EXPECT_EQ(formats->Next(5, out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(out[0].cfFormat, CF_GRIDCOLUMN());
  EXPECT_EQ(formats->Next(1, out, nullptr), S_FALSE);
  // The clone kept the position it was made at, and the list.
  EXPECT_EQ(clone->Next(1, out, &fetched), S_OK);
  EXPECT_EQ(out[0].cfFormat, CF_GRIDCOLUMN());
  EXPECT_EQ(clone->Skip(5), S_FALSE);
  EXPECT_EQ(clone->Next(1, out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Next(5, out, &fetched), S_OK);
  for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(out[i].cfFormat, all[i]) << i;

  TDragRef<IEnumFORMATETC> plain(new TSourceEnumFormatEtc(false, false));
  EXPECT_EQ(plain->Next(8, out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 3u);
}

TEST_F(AsgddTest, TheDropSourceAnswersTheLoopAndCallsItsHooksInOrder) {
  struct TCase {
    const char* Name;
    bool Escape;
    DWORD Keys;
    HRESULT Expected;
    std::vector<std::string> Log;
  } cases[] = {
      {"Escape cancels", true, MK_LBUTTON, DRAGDROP_S_CANCEL, {"finished", "query"}},
      {"Escape wins over a release", true, 0, DRAGDROP_S_CANCEL, {"finished", "query"}},
      {"the button released drops", false, MK_CONTROL, DRAGDROP_S_DROP, {"finished", "query"}},
      {"the button held goes on", false, MK_LBUTTON, S_OK, {"query"}},
      {"the right button alone drops", false, MK_RBUTTON, DRAGDROP_S_DROP, {"finished", "query"}},
  };
  for (const TCase& c : cases) {
    TDragRef<TLoggingSource> source(new TLoggingSource);
    EXPECT_EQ(source->QueryContinueDrag(c.Escape, c.Keys), c.Expected) << c.Name;
    EXPECT_EQ(source->Log, c.Log) << c.Name;
  }
  TDragRef<TLoggingSource> source(new TLoggingSource);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_NONE), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_TRUE(source->NoAccept);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_FALSE(source->NoAccept);
  EXPECT_EQ(source->Log, (std::vector<std::string>{"feedback 0", "feedback 2"}));
}

TEST_F(AsgddTest, FormatsAreRegisteredOnceUnderTheirNames) {
  UINT ids[] = {CF_RTF(), CF_GRIDCOLUMN(), CF_GRIDCELLS(), CF_URL()};
  const char16_t* names[] = {u"Rich Text Format", u"Grid Column", u"TZozIvozedOrer Cells",
                             u"UniformResourceLocator"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(ids[i], 0u);
    EXPECT_EQ(GetClipboardFormatName(ids[i]), names[i]);
    EXPECT_EQ(RegisterClipboardFormat(names[i]), ids[i]);
  }
  EXPECT_EQ(CF_GRIDCELLS(), ids[2]);  // asking again registers nothing new
}

}  // namespace
}  // namespace asgddtest
