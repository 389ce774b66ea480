// The memberships screen beyond the common cycle: its texts, free-text expiry
// and fee, and Delete without a requery.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/frmMember.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace tf;
using namespace tf::test;

class TestMember : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void freeTextExpiryAndFee();
    void deleteKeepsTheOrder();

private:
    void prepare() override
    {
        QVERIFY(sql("INSERT INTO Memberships (Organization) VALUES ('Carp Union'), ('Anglers Club'), "
                    "('Bass Society')"));
    }
};

void TestMember::texts_data()
{
    textTable({
        {"cmdEdit", "Edit", " Edit this Membership "},
        {"cmdPrint", "Print", " Print Preview "},
        {"jcFrames4", "Menu", ""},
        {"jcFrames1", "Memberships", ""},
        {"Label7", "Click Save or Cancel before you can Exit.", ""},
        {"Label9",
         "List your memberships in fishing clubs, media subscriptions, or any type of organization that you belong to.",
         ""},
        {"DBGrid1Caption", "Click the left column to make a selection", ""},
        {"Label6", "3 Memberships are saved.", ""},
    });
}

void TestMember::texts()
{
    QVERIFY(open<frmMember>());
    QCOMPARE(ui().window()->windowTitle(), QStringLiteral("Fishing Memberships"));
    checkText();
}

// Expiry and dues are whatever the member writes, not a date or a number.
void TestMember::freeTextExpiryAndFee()
{
    QVERIFY(open<frmMember>());
    QVERIFY(click("cmdNew"));
    get<QLineEdit>("Text1")->setText(QStringLiteral("Walleye Federation"));
    get<QLineEdit>("Text3")->setText(QStringLiteral("next spring, maybe"));
    get<QLineEdit>("Text4")->setText(QStringLiteral("$25 / year (family)"));
    QVERIFY(click("cmdSave"));
    QVERIFY(messages().isEmpty());
    QCOMPARE(value("SELECT \"Expires On\" || '|' || Dues FROM Memberships WHERE Organization = 'Walleye Federation'")
                 .toString(),
             QStringLiteral("next spring, maybe|$25 / year (family)"));
}

void TestMember::deleteKeepsTheOrder()
{
    QVERIFY(open<frmMember>());
    QVERIFY(chooseRow("DBGrid1", 1));
    ui().answerNext(MessageAnswer::Yes);
    QVERIFY(click("cmdDelete"));
    QCOMPARE(messages().size(), 1);
    QCOMPARE(messages()[0].text, QStringLiteral("Are you sure you want to delete Anglers Club ?"));
    QCOMPARE(messages()[0].title, QStringLiteral("Delete Information"));
    QCOMPARE(get<QLabel>("Label6")->text(), QStringLiteral("2 Memberships are saved."));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Carp Union"));
    QCOMPARE(gridColumn(get<QTableView>("DBGrid1"), 0), QStringList({"Carp Union", "Bass Society"}));
}

TF_TEST_MAIN(TestMember)
#include "tst_frmmember.moc"
