// Events and news as a person keeps them: a new event's presets, a title with a quote, a chosen
// status and a description of several lines stored with the stamps and listed in date order; a
// second administrator's change taking over the stamps; rows whose creator is missing left out of
// both lists; news without a preset date, the latest first.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/app/FormTestSupport.h"

namespace {

using namespace apptest;

class EventsNews : public TFormTest {};

TEST_F(EventsNews, ANewEventIsStoredWithItsValuesAndStampsAndListedByItsDate) {
  Db.Exec(u"INSERT INTO event (title, status, event_date, created_by) VALUES "
          u"('Стар', 'Active', '2024-01-10 10:00:00', 2), "
          u"('Иден', 'Active', '2099-01-01 10:00:00', 2)");
  int postedId = 0;
  frmEvents->Events->AfterPost = [&](TDataSet* data) {
    postedId = data->FieldByName(u"id")->AsInteger();
  };
  OpenList(Admin, EventsList());
  Press(frmEvents->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmAddEditEvent);
    EXPECT_EQ(Screen->ActiveControl(), frmAddEditEvent->DBAdvEdit1) << "the title has the focus";
    EXPECT_EQ(TextOf(frmAddEditEvent->DBAdvEdit1), "");
    EXPECT_EQ(TextOf(frmAddEditEvent->AdvDBComboBox1), "Active");
    EXPECT_EQ(frmAddEditEvent->AdvDBDateTimePicker1->Date(), Date());
    const double preset = frmEvents->Events->FieldByName(u"event_date")->AsDateTime();
    EXPECT_LT(std::abs(preset - Now()) * 86400, 60) << "the event takes place now";
  });
  TypeInto(frmAddEditEvent->DBAdvEdit1, u"Годишно \"собрание\"");
  Script().Then([&] {
    frmAddEditEvent->AdvDBComboBox1->SetFocus();
    Key(VK_DOWN);
  });
  Script().Then([&] {
    frmAddEditEvent->DBAdvMemo1->SetFocus();
    Type(u"Прв ред");
    Key(VK_RETURN);
    Type(u"Втор ред");
    Key(VK_RETURN);
    Type(u"Трет");
  });
  Press(frmAddEditEvent->AdvGlowButton1);
  std::string titles, creators, statuses;
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmEvents);
    titles = GridColumn(frmEvents->DBAdvGrid1, 1);
    creators = GridColumn(frmEvents->DBAdvGrid1, 2);
    statuses = GridColumn(frmEvents->DBAdvGrid1, 3);
  });
  CloseProgram();
  Application->Run();

  EXPECT_EQ(titles, "Иден|Годишно \"собрание\"|Стар");
  EXPECT_EQ(creators, "Бојан Редовски|Ана Админовска|Бојан Редовски");
  EXPECT_EQ(statuses, "Active|Finished|Active");
  ASSERT_EQ(Db.One(u"SELECT COUNT(*) FROM event"), u"3");
  const String row = u" FROM event WHERE id = " + IntToStr(postedId);
  EXPECT_EQ(Db.One(u"SELECT MAX(id) FROM event"), IntToStr(postedId)) << "the server's new id";
  EXPECT_EQ(Db.One(u"SELECT title" + row), u"Годишно \"собрание\"");
  EXPECT_EQ(Db.One(u"SELECT status" + row), u"Finished");
  EXPECT_EQ(Db.One(u"SELECT description" + row), u"Прв ред\r\nВтор ред\r\nТрет");
  EXPECT_EQ(Db.One(u"SELECT created_by" + row), u"1");
  const int createdAgo = SecondsFromNow(u"SELECT created_on" + row);
  EXPECT_TRUE(createdAgo >= 0 && createdAgo < 60) << createdAgo;
  const int dateAgo = SecondsFromNow(u"SELECT event_date" + row);
  EXPECT_TRUE(dateAgo >= 0 && dateAgo < 60) << dateAgo;
  EXPECT_TRUE(Dialogs.empty());
}

TEST_F(EventsNews, ASecondAdministratorsChangeTakesOverTheStampsAndTheCreatorColumn) {
  AddSecondAdmin();
  Db.Exec(u"INSERT INTO event (id, title, status, event_date, created_by, created_on) VALUES "
          u"(1, 'Настан', 'Active', '2024-01-10 10:00:00', 1, '2020-01-01 00:00:00')");
  std::string before, after;
  OpenList(SecondAdmin, EventsList());
  Script().Then([&] { before = GridColumn(frmEvents->DBAdvGrid1, 2); });
  Press(frmEvents->AdvGlowButton2);
  TypeInto(frmAddEditEvent->DBAdvEdit1, u" 2");
  Press(frmAddEditEvent->AdvGlowButton1);
  Script().Then([&] { after = GridColumn(frmEvents->DBAdvGrid1, 2); });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(before, "Ана Админовска");
  EXPECT_EQ(after, "Горан Второски");
  EXPECT_EQ(Db.One(u"SELECT title FROM event WHERE id = 1"), u"Настан 2");
  EXPECT_EQ(Db.One(u"SELECT created_by FROM event WHERE id = 1"), u"6");
  const int ago = SecondsFromNow(u"SELECT created_on FROM event WHERE id = 1");
  EXPECT_TRUE(ago >= 0 && ago < 60) << ago;
}

TEST_F(EventsNews, RowsWhoseCreatorIsNoUserAreNotListed) {
  for (const char16_t* table : {u"event", u"news"})
    Db.Exec(String(u"INSERT INTO ") + table + u" (title, created_by) VALUES "
            u"('Сираче', 99), ('Без автор', NULL), ('Видлив', 3)");
  std::string events, news;
  OpenList(Member, EventsList());
  Script().Then([&] { events = GridColumn(frmEvents->DBAdvGrid1, 1); });
  Press(frmEvents->AdvGlowButton3);
  Press(MenuItem(1));
  Script().Then([&] { news = GridColumn(frmNews->DBAdvGrid1, 0); });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(events, "Видлив");
  EXPECT_EQ(news, "Видлив");
}

TEST_F(EventsNews, NewsHaveNoPresetDateAndTheLatestIsListedFirst) {
  Db.Exec(u"INSERT INTO news (id, title, status, created_by) VALUES "
          u"(1, 'Прва', 'Active', 1), (2, 'Втора', 'Finished', 2), (3, 'Трета', 'Active', 1)");
  std::string before, after;
  OpenList(Admin, NewsList());
  Script().Then([&] { before = GridColumn(frmNews->DBAdvGrid1, 0); });
  Press(frmNews->AdvGlowButton1);
  Script().Then([&] {
    // The new row holds nothing but its status until it is confirmed.
    TDataSet* news = frmNews->News;
    for (int i = 0; i < news->FieldCount(); ++i) {
      TField* field = news->Fields()->Fields(i);
      if (field->FieldName() == u"status")
        EXPECT_EQ(field->AsString(), u"Active");
      else
        EXPECT_TRUE(field->IsNull()) << UTF8Encode(field->FieldName());
    }
    EXPECT_EQ(TextOf(frmAddEditNews->AdvDBComboBox1), "Active");
  });
  TypeInto(frmAddEditNews->DBAdvEdit1, u"Четврта");
  Press(frmAddEditNews->AdvGlowButton1);
  Script().Then([&] { after = GridColumn(frmNews->DBAdvGrid1, 0); });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(before, "Трета|Втора|Прва");
  EXPECT_EQ(after, "Четврта|Трета|Втора|Прва");
  EXPECT_EQ(Db.One(u"SELECT CONCAT(status, ' ', created_by) FROM news WHERE title = 'Четврта'"),
            u"Active 1");
  const int ago = SecondsFromNow(u"SELECT created_on FROM news WHERE title = 'Четврта'");
  EXPECT_TRUE(ago >= 0 && ago < 60) << ago;
}

}  // namespace
