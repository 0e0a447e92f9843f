// Donations received and given and the costs, as a person keeps them: each list shows only its
// own rows whose person exists, sums their amounts under the grid on opening and after every new
// or changed row, and refuses a row without its person; a new donation is stored with its type,
// the chosen person, the stamps, the preset date and the server's id.
#include <gtest/gtest.h>

#include "tests/app/FormTestSupport.h"

namespace {

using namespace apptest;

class Donations : public TFormTest {
 protected:
  Donations() {
    // The person picked has a quote in the name and sorts first.
    Db.Exec(u"INSERT INTO clients (id, full_name, address) VALUES "
            u"(1, 'Бојан Дарителов', 'Битола'), (2, 'Ана О''Нил \\\"Доброта\\\"', 'Велес')");
    Db.Exec(u"INSERT INTO payment (client_id, payment_date, amount, added_by, type) VALUES "
            u"(1, '2024-01-05 10:00:00', 1000.50, 1, 1), "
            u"(1, '2024-02-01 10:00:00', 70, 1, 2), "
            u"(99, '2024-03-01 10:00:00', 300, 1, 1)");
  }
};

TEST_F(Donations, TheIncomingRoadSumsRefusesANewRowWithoutDonorAndStoresTheChosenOne) {
  int postedId = 0;
  frmPayment->Payments->AfterPost = [&](TDataSet* data) {
    postedId = data->FieldByName(u"id")->AsInteger();
  };
  std::string opened, openedSum, afterNew, afterNewSum, afterChangeSum, picker;
  OpenList(Admin, PaymentsList(1));
  Script().Then([&] {
    opened = GridColumn(frmPayment->DBAdvGrid1, 1) + " " + GridColumn(frmPayment->DBAdvGrid1, 2);
    openedSum = TextOf(frmPayment->lblFooter);
  });
  Press(frmPayment->AdvGlowButton1);
  PressAndAnswer(frmAddEditPayment->AdvGlowButton1, mrOk);  // no donor yet
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmAddEditPayment) << "the form stays";
    EXPECT_EQ(frmPayment->Payments->State(), dsInsert);
    EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM payment"), u"3");
  });
  Script().Then([&] { ChoosePerson(frmAddEditPayment->AdvDBLookupComboBox1); });
  Script().Then([&] { picker = TextOf(frmAddEditPayment->AdvDBLookupComboBox1); });
  TypeInto(frmAddEditPayment->DBAdvEdit1, u"200");
  Press(frmAddEditPayment->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmPayment);
    afterNew = GridColumn(frmPayment->DBAdvGrid1, 1) + " " + GridColumn(frmPayment->DBAdvGrid1, 2);
    afterNewSum = TextOf(frmPayment->lblFooter);
    ASSERT_TRUE(frmPayment->Payments->Locate(u"id", Variant(int32_t{postedId}), {}));
  });
  Press(frmPayment->AdvGlowButton2);
  TypeInto(frmAddEditPayment->DBAdvEdit1, u"5");  // 200 becomes 2005
  Press(frmAddEditPayment->AdvGlowButton1);
  Script().Then([&] { afterChangeSum = TextOf(frmPayment->lblFooter); });
  CloseProgram();
  Application->Run();

  EXPECT_EQ(opened, "Бојан Дарителов 1,000.50") << "only incoming donations of known persons";
  EXPECT_EQ(openedSum, "1000.50");
  EXPECT_EQ(picker, "Ана О'Нил \"Доброта\" — Велес");
  EXPECT_EQ(afterNew, "Ана О'Нил \"Доброта\"|Бојан Дарителов 200.00|1,000.50");
  EXPECT_EQ(afterNewSum, "1200.50");
  EXPECT_EQ(afterChangeSum, "3005.50");
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Одберете донатор!");
  EXPECT_EQ(Dialogs[0].Type, mtWarning);
  EXPECT_EQ(Db.One(u"SELECT MAX(id) FROM payment"), IntToStr(postedId)) << "the server's id";
  const String row = u" FROM payment WHERE id = " + IntToStr(postedId);
  EXPECT_EQ(Db.One(u"SELECT CONCAT(type, ' ', client_id, ' ', added_by, ' ', amount)" + row),
            u"1 2 1 2005");
  for (const char16_t* column : {u"payment_date", u"added_on"}) {
    const int ago = SecondsFromNow(String(u"SELECT ") + column + row);
    EXPECT_TRUE(ago >= 0 && ago < 60) << UTF8Encode(column) << " " << ago;
  }
}

TEST_F(Donations, TheOutgoingListShowsOnlyGivenDonationsAndStoresOnlyWithARecipient) {
  std::string opened, openedSum, afterNewSum, incoming;
  OpenList(Admin, PaymentsList(2));
  Script().Then([&] {
    opened = GridColumn(frmPaymentOUT->DBAdvGrid1, 1) + " " +
             GridColumn(frmPaymentOUT->DBAdvGrid1, 2);
    openedSum = TextOf(frmPaymentOUT->lblFooter);
  });
  Press(frmPaymentOUT->AdvGlowButton1);
  TypeInto(frmAddEditPaymentOUT->DBAdvEdit1, u"50");
  PressAndAnswer(frmAddEditPaymentOUT->AdvGlowButton1, mrOk);  // no recipient yet
  Script().Then([&] { EXPECT_EQ(frmPaymentOUT->Payments->State(), dsInsert); });
  Script().Then([&] { ChoosePerson(frmAddEditPaymentOUT->AdvDBLookupComboBox1); });
  Press(frmAddEditPaymentOUT->AdvGlowButton1);
  Script().Then([&] { afterNewSum = TextOf(frmPaymentOUT->lblFooter); });
  Press(frmPaymentOUT->AdvGlowButton3);
  Press(MenuItem(6));
  Script().Then([&] { incoming = TextOf(frmPayment->lblFooter); });
  CloseProgram();
  Application->Run();

  EXPECT_EQ(opened, "Бојан Дарителов 70.00");
  EXPECT_EQ(openedSum, "70.00");
  EXPECT_EQ(afterNewSum, "120.00");
  EXPECT_EQ(incoming, "1000.50") << "the given donation is not received";
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Одберете за кого е донацијата!");
  EXPECT_EQ(Db.One(u"SELECT CONCAT(type, ' ', client_id) FROM payment WHERE amount = 50"),
            u"2 2");
}

TEST_F(Donations, CostsRefuseAnInvoiceWithoutItsPartyAndSumTheirAmounts) {
  Db.Exec(u"INSERT INTO cost (client_id, invoice_no, invoice_date, amount, added_by) VALUES "
          u"(1, 'Ф-17/24', '2024-04-02 00:00:00', 1234.5, 1), "
          u"(99, 'Ф-18/24', '2024-04-03 00:00:00', 10, 1)");
  std::string openedSum, afterNew, afterNewSum, afterChangeSum;
  OpenList(Admin, CostsList());
  Script().Then([&] { openedSum = TextOf(frmCosts->lblFooter); });
  Press(frmCosts->AdvGlowButton1);
  TypeInto(frmAddEditCost->DBAdvEdit1, u"100");
  TypeInto(frmAddEditCost->DBAdvEdit2, u"Ф-20/24");
  PressAndAnswer(frmAddEditCost->AdvGlowButton1, mrOk);  // no invoicing party yet
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmAddEditCost);
    EXPECT_EQ(frmCosts->Costs->State(), dsInsert);
    ChoosePerson(frmAddEditCost->AdvDBLookupComboBox1);
  });
  Press(frmAddEditCost->AdvGlowButton1);
  Script().Then([&] {
    afterNew = GridColumn(frmCosts->DBAdvGrid1, 1) + " " + GridColumn(frmCosts->DBAdvGrid1, 2);
    afterNewSum = TextOf(frmCosts->lblFooter);
    ASSERT_TRUE(frmCosts->Costs->Locate(u"invoice_no", Variant(String(u"Ф-20/24")), {}));
  });
  Press(frmCosts->AdvGlowButton2);
  TypeInto(frmAddEditCost->DBAdvEdit1, u"0");  // 100 becomes 1000
  Press(frmAddEditCost->AdvGlowButton1);
  Script().Then([&] { afterChangeSum = TextOf(frmCosts->lblFooter); });
  CloseProgram();
  Application->Run();

  EXPECT_EQ(openedSum, "1234.50") << "a cost whose party is missing is neither listed nor summed";
  EXPECT_EQ(afterNew, "Ф-20/24|Ф-17/24 Ана О'Нил \"Доброта\"|Бојан Дарителов");
  EXPECT_EQ(afterNewSum, "1334.50");
  EXPECT_EQ(afterChangeSum, "2234.50");
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Одберете издавач на фактура!");
  const String row = u" FROM cost WHERE invoice_no = 'Ф-20/24'";
  EXPECT_EQ(Db.One(u"SELECT CONCAT(client_id, ' ', added_by, ' ', amount)" + row), u"2 1 1000");
  const int ago = SecondsFromNow(u"SELECT invoice_date" + row);
  EXPECT_TRUE(ago >= 0 && ago < 60) << ago;
}

}  // namespace
