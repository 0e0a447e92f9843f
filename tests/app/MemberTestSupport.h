// What the tests of the member forms share: users whose names hold the characters a search must
// take literally, rows of a grid clicked as a person does, and a grid's popup item chosen with the
// right mouse button.
#pragma once

#include "app/MembersForm.h"
#include "platform/ui/Menus.h"
#include "tests/app/FormTestSupport.h"

namespace apptest {

// Besides the seed's users: administrators and regular users whose names hold a quote, a
// backslash, "%" and "_"; one without any name; and a member (type 3) whose names hold them all.
inline const char16_t* const SearchUsers =
    u"INSERT INTO users (id, name, surname, username, password, user_type) VALUES "
    u"(10, 'Петар', 'Регуларски', 'petar', 'x', 2), "
    u"(11, 'Шон', 'О''Нил', 'oneil', 'x', 2), "
    u"(12, 'Back\\\\slash', 'Косо', 'back', 'x', 1), "
    u"(13, 'Сто', 'Процент', '100%real', 'x', 2), "
    u"(14, 'Под', 'Црта', 'under_score', 'x', 2), "
    u"(15, NULL, NULL, NULL, 'x', 2), "
    u"(16, 'Скриен', 'Член', 'hid''%_\\\\', 'x', 3)";

// A search text and the user names of the users it lists, in the list's order (by name, then
// surname), joined by "|".
struct TSearchCase {
  const char16_t* Text;
  const char* UserNames;
};
inline void PrintTo(const TSearchCase& c, std::ostream* out) {
  *out << '"' << UTF8Encode(c.Text) << '"';
}
inline const TSearchCase SearchCases[] = {
    {u"регул", "petar"},  // part of a Cyrillic surname, in another case
    {u"ADM", "admin"},
    {u"", "back|admin|bojan|petar|under_score|100%real|oneil"},
    {u"'", "oneil"},
    {u"\\", "back"},
    {u"%", "100%real"},
    {u"_", "under_score"},
    {u"0%r", "100%real"},
    {u"%_", ""},
    {u"' or 1=1 or name like '", ""},
    {u"Член", ""},  // only members (type 3) carry it
    {u"goce", ""},  // a user of type 7
};

// The user names a users grid lists (its third column), joined by "|".
inline std::string ListedUserNames(TDataGrid* grid) { return GridColumn(grid, 2); }

class TMemberFormTest : public TFormTest {
 public:
  // A script step: a click on a record's row of a grid (records count from 0).
  void ClickRecord(TDataGrid* grid, int record) {
    Script().Then([grid, record] {
      ClickAt(grid->ClientToScreen(CenterOf(grid->CellRect(1, record + 1))));
    });
  }
  // Script steps: a right click on the grid's first record, then a click on the popup's item.
  void ChooseFromPopup(TDataGrid* grid, TPopupMenu* menu, TMenuItem* item) {
    Script().Then([grid] {
      const TPoint at = grid->ClientToScreen(CenterOf(grid->CellRect(1, 1)));
      InjectMouseMove(at);
      InjectMouseButton(TMouseButtonId::Right, true, at);
      InjectMouseButton(TMouseButtonId::Right, false, at);
    });
    Script().Then([menu, item] {
      ASSERT_TRUE(menu->IsShowing());
      ClickAt(CenterOf(menu->ItemScreenRect(item)));
    });
  }
  // A script step: the search edit emptied and the text typed into it.
  void Search(TMembersForm* form, const String& text) {
    Script().Then([form, text] {
      form->Edit1->SetFocus();
      form->Edit1->SetText(u"");
      Type(text);
    });
  }
};

}  // namespace apptest
