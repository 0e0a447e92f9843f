// The warehouse as a person keeps it: entries and exits through the grid's popup menu and the
// movement dialog, the movement list with its heading and the deletion of an entry, each step
// checked on the screen and against the stock rule in the table (the stock is the sum of the
// article's movements). The popup's rules by row, stock, status and user type. The movement and
// the stock written in one transaction: a failure of either write leaves neither, the dialog
// stays or closes as the failing write decides, and the stock checked is the server's, not the
// list's.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/FormTestSupport.h"

namespace {

using namespace apptest;

class Stock : public TFormTest {
 protected:
  Stock() {
    // Article 1 is listed second (by title) and has no stock yet.
    Db.Exec(u"INSERT INTO article (id, title, code, quantity, status) VALUES "
            u"(1, 'Ќебиња', 'KEB-01', NULL, 'Active'), (2, 'Ардиени', 'ARD-02', 3, 'Active')");
    Db.Exec(u"INSERT INTO article_in_out (article_id, quantity, price, added_by, added_on, type) "
            u"VALUES (2, 3, 1, 1, '2024-01-01 10:00:00', 'IN')");
  }

  // Script steps: the article becomes the list's current row and the popup item is chosen as a
  // person does, with a right click on the grid and a click on the item.
  void ChooseFromPopup(int article, TMenuItem* TfrmArticles::*item) {
    Script().Then([article] {
      ASSERT_TRUE(frmArticles->Articles->Locate(u"id", Variant(int32_t{article}), {}));
      const TPoint at = CenterOf(frmArticles->DBAdvGrid1);
      InjectMouseButton(TMouseButtonId::Right, true, at);
      InjectMouseButton(TMouseButtonId::Right, false, at);
    });
    Script().Then([item] {
      TGridPopupMenu* menu = frmArticles->PopupMenu1;
      ASSERT_TRUE(menu->IsShowing());
      ClickAt(CenterOf(menu->ItemScreenRect(frmArticles->*item)));
    });
  }
  // Script steps: a movement of the article with this quantity (and price), confirmed.
  void Movement(int article, TMenuItem* TfrmArticles::*item, const String& quantity,
                const String& price = u"") {
    ChooseFromPopup(article, item);
    TypeInto(frmArticleInOut->DBAdvEdit2, quantity);
    if (!price.empty()) TypeInto(frmArticleInOut->DBAdvEdit1, price);
    Press(frmArticleInOut->AdvGlowButton1);
  }

  // The article's stock in the table ("0" for none), and whether it is the sum of the article's
  // movements.
  String StockOf(int article) {
    return Db.One(u"SELECT COALESCE(quantity, 0) + 0 FROM article WHERE id = " +
                  IntToStr(article));
  }
  bool RuleHolds(int article) {
    const String id = IntToStr(article);
    return Db.One(u"SELECT COALESCE(quantity, 0) = (SELECT COALESCE(SUM(quantity), 0) FROM "
                  u"article_in_out WHERE article_id = " + id + u") FROM article WHERE id = " +
                  id) == u"1";
  }
  // The list's stock text of the current article.
  static std::string ListedStock() {
    return UTF8Encode(frmArticles->Articles->FieldByName(u"quantity")->DisplayText());
  }
};

// The texts of a grid column joined by "|", in sorted order.
std::string Sorted(const std::string& joined) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t bar; (bar = joined.find('|', start)) != std::string::npos; start = bar + 1)
    parts.push_back(joined.substr(start, bar - start));
  parts.push_back(joined.substr(start));
  std::sort(parts.begin(), parts.end());
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "|") + part;
  return out;
}

// --- The stock road ----------------------------------------------------------------------------

struct StockStep {
  const char* Name;
  enum TKind { Entry, Exit, DeleteExit, DeleteEntry } Kind;
  const char16_t* Quantity;  // typed into the dialog
  const char16_t* Warning;   // the warning the step ends with; nullptr: none
  const char16_t* Stock;     // the stock in the table afterwards
};

TEST_F(Stock, EveryStepKeepsTheStockTheSumOfTheMovements) {
  const StockStep steps[] = {
      {"entry of 10", StockStep::Entry, u"10", nullptr, u"10"},
      {"exit of 0", StockStep::Exit, u"0", u"Количината мора да е поголема од 0!!", u"10"},
      {"exit of 15", StockStep::Exit, u"15", u"Количината е поголема од залихата!!", u"10"},
      {"exit of 4", StockStep::Exit, u"4", nullptr, u"6"},
      {"exit of the whole stock", StockStep::Exit, u"6", nullptr, u"0"},
      {"delete an exit", StockStep::DeleteExit, nullptr,
       u"Неможе да се избрише излез! Контактирајте техничко лице !", u"0"},
      {"delete the entry", StockStep::DeleteEntry, nullptr, nullptr, u"-10"},
  };
  struct Seen {
    String Stock;
    bool Rule;
    std::string Listed;
    String Warning;
  };
  std::vector<Seen> seen;
  std::string heading, quantities, enteredBy, types;
  OpenList(Admin, ArticlesList());
  for (const StockStep& step : steps) {
    switch (step.Kind) {
      case StockStep::Entry:
      case StockStep::Exit:
        ChooseFromPopup(1, step.Kind == StockStep::Entry ? &TfrmArticles::N2 : &TfrmArticles::N3);
        TypeInto(frmArticleInOut->DBAdvEdit2, step.Quantity);
        TypeInto(frmArticleInOut->DBAdvEdit1, u"5");
        if (step.Warning) {
          PressAndAnswer(frmArticleInOut->AdvGlowButton1, mrOk);
          Script().Then([&] {
            EXPECT_EQ(Screen->ActiveCustomForm(), frmArticleInOut) << "the dialog stays";
            EXPECT_EQ(frmArticles->ArticlesInOut->State(), dsInsert);
          });
          Press(frmArticleInOut->AdvGlowButton2);
        } else {
          Press(frmArticleInOut->AdvGlowButton1);
        }
        break;
      case StockStep::DeleteExit:
      case StockStep::DeleteEntry: {
        const bool entry = step.Kind == StockStep::DeleteEntry;
        ChooseFromPopup(1, &TfrmArticles::N1);
        Script().Then([&, entry] {
          TfrmPreviewArticleInOut* preview = frmPreviewArticleInOut;
          if (heading.empty()) {
            heading = TextOf(preview->Label1);
            quantities = GridColumn(preview->DBAdvGrid1, 1);
            enteredBy = GridColumn(preview->DBAdvGrid1, 4);
            types = GridColumn(preview->DBAdvGrid1, 5);
          }
          ASSERT_TRUE(preview->ArticlesInOut->Locate(
              u"type", Variant(String(entry ? u"IN" : u"OUT")), {}));
        });
        PressAndAnswer(frmPreviewArticleInOut->AdvGlowButton2, entry ? mrYes : mrOk);
        Press(frmPreviewArticleInOut->AdvGlowButton3);
        break;
      }
    }
    Script().Then([&, step] {
      EXPECT_EQ(Screen->ActiveCustomForm(), frmArticles) << step.Name;
      // The list stays open on the same article, browsing, after every commit.
      EXPECT_EQ(frmArticles->Articles->State(), dsBrowse) << step.Name;
      EXPECT_EQ(frmArticles->Articles->FieldByName(u"id")->AsInteger(), 1) << step.Name;
      String warning;
      for (const TShownDialog& dialog : Dialogs)
        if (dialog.Message != u"Дали сте сигурни ?!") warning = dialog.Message;
      seen.push_back({StockOf(1), RuleHolds(1), ListedStock(), warning});
      Dialogs.clear();
    });
  }
  CloseProgram();
  Application->Run();

  ASSERT_EQ(seen.size(), std::size(steps));
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(steps[i].Name);
    EXPECT_EQ(seen[i].Stock, steps[i].Stock);
    EXPECT_TRUE(seen[i].Rule);
    EXPECT_EQ(seen[i].Warning, steps[i].Warning ? steps[i].Warning : u"");
  }
  EXPECT_EQ(seen[0].Listed, "10.00") << "the list shows the posted stock";
  EXPECT_EQ(seen[4].Listed, "0.00");
  EXPECT_EQ(seen[6].Listed, "-10.00");
  EXPECT_EQ(heading, "Преглед за артикал - (KEB-01) Ќебиња");
  // Movements of one second have no order among them.
  EXPECT_EQ(Sorted(types), "IN|OUT|OUT");
  EXPECT_EQ(Sorted(quantities), "-4.00|-6.00|10.00") << "exits are listed negative";
  EXPECT_EQ(enteredBy, "Ана Админовска|Ана Админовска|Ана Админовска");
  EXPECT_EQ(Db.One(u"SELECT GROUP_CONCAT(CONCAT(quantity, ' ', type, ' ', price, ' ', added_by) "
                   u"ORDER BY id SEPARATOR '|') FROM article_in_out WHERE article_id = 1"),
            u"-4 OUT 5 1|-6 OUT 5 1");
  EXPECT_EQ(StockOf(2), u"3") << "the other article is untouched";
}

// --- The popup ---------------------------------------------------------------------------------

TEST_F(Stock, ThePopupOffersMovementsByRowStockStatusAndUserType) {
  struct Case {
    int Article;  // 0: the list is empty
    int UserType;
    const char* Enabled;  // N1 N2 N3
  };
  // Article 1 active without stock, 2 active with stock, 3 closed with stock, 4 closed without.
  const Case cases[] = {
      {0, 1, "000"}, {0, 2, "000"}, {0, 3, "000"},  //
      {1, 1, "110"}, {1, 2, "000"}, {1, 3, "000"},  //
      {2, 1, "111"}, {2, 2, "000"}, {2, 3, "000"},  //
      {3, 1, "100"}, {3, 2, "000"}, {3, 3, "000"},  //
      {4, 1, "100"}, {4, 2, "000"}, {4, 3, "000"},
  };
  Db.Exec(u"DELETE FROM article");
  frmMain->myConnection->Open();
  TMyQuery* articles = frmArticles->Articles;
  articles->Open();
  bool filled = false;
  for (const Case& c : cases) {
    if (c.Article > 0 && !filled) {
      Db.Exec(u"INSERT INTO article (id, title, quantity, status) VALUES "
              u"(1, 'А', NULL, 'Active'), (2, 'Б', 3, 'Active'), "
              u"(3, 'В', 5, 'Closed'), (4, 'Г', 0, 'Closed')");
      articles->Refresh();
      filled = true;
    }
    if (c.Article > 0) {
      ASSERT_TRUE(articles->Locate(u"id", Variant(int32_t{c.Article}), {}));
    }
    frmMain->UserType = c.UserType;
    frmArticles->PopupMenu1Popup(frmArticles->PopupMenu1);
    std::string enabled;
    for (TMenuItem* item : {frmArticles->N1, frmArticles->N2, frmArticles->N3})
      enabled += item->Enabled() ? '1' : '0';
    EXPECT_EQ(enabled, c.Enabled) << "article " << c.Article << ", user type " << c.UserType;
  }
  articles->Close();
}

// --- One transaction per movement --------------------------------------------------------------

TEST_F(Stock, AFailedStockUpdateStoresNoMovementShowsOneErrorAndTheListGoesOn) {
  Db.Exec(u"CREATE TRIGGER article_locked BEFORE UPDATE ON article FOR EACH ROW "
          u"SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'stock locked'");
  std::string listedAfterFailure, listedAfterwards;
  OpenList(Admin, ArticlesList());
  Movement(2, &TfrmArticles::N2, u"5");
  AnswerDialog(mrOk);  // the error
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmArticles) << "the dialog closed";
    EXPECT_FALSE(frmArticles->ArticlesInOut->Active());
    EXPECT_EQ(frmArticles->Articles->State(), dsBrowse);
    listedAfterFailure = ListedStock();
    EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM article_in_out"), u"1");
    EXPECT_EQ(StockOf(2), u"3");
    Db.Exec(u"DROP TRIGGER article_locked");
  });
  Movement(2, &TfrmArticles::N2, u"2");
  Script().Then([&] { listedAfterwards = ListedStock(); });
  CloseProgram();
  Application->Run();

  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Type, mtError);
  EXPECT_NE(Dialogs[0].Message.find(u"stock locked"), String::npos)
      << UTF8Encode(Dialogs[0].Message);
  EXPECT_EQ(listedAfterFailure, "3.00") << "the article row is read again";
  EXPECT_EQ(listedAfterwards, "5.00");
  EXPECT_EQ(StockOf(2), u"5");
  EXPECT_TRUE(RuleHolds(2));
}

TEST_F(Stock, AFailedMovementKeepsTheDialogWithTheTypedExitAndASecondConfirmStoresIt) {
  Db.Exec(u"CREATE TRIGGER movement_refused BEFORE INSERT ON article_in_out FOR EACH ROW "
          u"SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'movement refused'");
  std::string typed;
  OpenList(Admin, ArticlesList());
  ChooseFromPopup(2, &TfrmArticles::N3);
  TypeInto(frmArticleInOut->DBAdvEdit2, u"2");
  PressAndAnswer(frmArticleInOut->AdvGlowButton1, mrOk);  // the error
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmArticleInOut) << "the dialog stays";
    EXPECT_EQ(frmArticles->ArticlesInOut->State(), dsInsert);
    typed = TextOf(frmArticleInOut->DBAdvEdit2);
    EXPECT_EQ(StockOf(2), u"3");
    EXPECT_FALSE(frmMain->myConnection->InTransaction());
    Db.Exec(u"DROP TRIGGER movement_refused");
  });
  Press(frmArticleInOut->AdvGlowButton1);
  Script().Then([&] { EXPECT_EQ(Screen->ActiveCustomForm(), frmArticles); });
  CloseProgram();
  Application->Run();

  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Type, mtError);
  EXPECT_EQ(typed, "2") << "the exit as typed, not negated";
  EXPECT_EQ(Db.One(u"SELECT GROUP_CONCAT(quantity ORDER BY id) FROM article_in_out "
                   u"WHERE article_id = 2"),
            u"3,-2");
  EXPECT_EQ(StockOf(2), u"1");
  EXPECT_TRUE(RuleHolds(2));
}

TEST_F(Stock, AFailedDeletionOfAnEntryKeepsTheEntryAndTheStock) {
  Db.Exec(u"CREATE TRIGGER movement_kept BEFORE DELETE ON article_in_out FOR EACH ROW "
          u"SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'movement kept'");
  std::string listed, stockListed;
  OpenList(Admin, ArticlesList());
  ChooseFromPopup(2, &TfrmArticles::N1);
  PressAndAnswer(frmPreviewArticleInOut->AdvGlowButton2, mrYes);
  AnswerDialog(mrOk);  // the error
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmPreviewArticleInOut);
    listed = GridColumn(frmPreviewArticleInOut->DBAdvGrid1, 5);
  });
  Press(frmPreviewArticleInOut->AdvGlowButton3);
  Script().Then([&] { stockListed = ListedStock(); });
  CloseProgram();
  Application->Run();

  ASSERT_EQ(Dialogs.size(), 2u);
  EXPECT_EQ(Dialogs[0].Message, u"Дали сте сигурни ?!");
  EXPECT_EQ(Dialogs[1].Type, mtError);
  EXPECT_EQ(listed, "IN") << "the entry is still listed";
  EXPECT_EQ(stockListed, "3.00") << "the stock posted before the failed delete is read again";
  EXPECT_EQ(StockOf(2), u"3");
  EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM article_in_out WHERE article_id = 2"), u"1");
}

TEST_F(Stock, AnExitIsCheckedAndComputedAgainstTheStockOnTheServerNotTheListed) {
  Db.Exec(u"UPDATE article SET quantity = 10 WHERE id = 1");
  Db.Exec(u"INSERT INTO article_in_out (article_id, quantity, added_by, added_on, type) "
          u"VALUES (1, 10, 1, '2024-01-01 10:00:00', 'IN')");
  // Another user's exit, as that user's program writes it.
  auto otherExit = [this](int quantity) {
    Db.Exec(u"INSERT INTO article_in_out (article_id, quantity, added_by, added_on, type) "
            u"VALUES (1, -" + IntToStr(quantity) + u", 2, NOW(), 'OUT')");
    Db.Exec(u"UPDATE article SET quantity = quantity - " + IntToStr(quantity) +
            u" WHERE id = 1");
  };
  std::string listedFirst, listedAfterRefusal;
  OpenList(Admin, ArticlesList());
  Script().Then([&] {
    ASSERT_TRUE(frmArticles->Articles->Locate(u"id", Variant(int32_t{1}), {}));
    listedFirst = ListedStock();
    otherExit(4);
  });
  ChooseFromPopup(1, &TfrmArticles::N3);
  TypeInto(frmArticleInOut->DBAdvEdit2, u"8");
  PressAndAnswer(frmArticleInOut->AdvGlowButton1, mrOk);  // more than the 6 left
  Press(frmArticleInOut->AdvGlowButton2);
  Script().Then([&] {
    listedAfterRefusal = ListedStock();
    otherExit(1);
  });
  Movement(1, &TfrmArticles::N3, u"5");  // the list shows 6, the server holds 5
  CloseProgram();
  Application->Run();

  EXPECT_EQ(listedFirst, "10.00");
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Количината е поголема од залихата!!");
  EXPECT_EQ(listedAfterRefusal, "6.00") << "the refusal reads the article again";
  EXPECT_EQ(StockOf(1), u"0");
  EXPECT_TRUE(RuleHolds(1));
}

}  // namespace
