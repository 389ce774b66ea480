// The contacts screen beyond the common cycle: its texts, the sort bar, and
// the e-mail command with addresses that try to smuggle in headers or recipients.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/frmContacts.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace tf;
using namespace tf::test;

class TestContacts : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void sorting();
    void emailWithoutAddress_data();
    void emailWithoutAddress();
    void hostileAddresses_data();
    void hostileAddresses();
    void noMailProgram();
    void emailOffWhileEditing();

private:
    void addContact(const QString &name, const QString &state, const QString &email = {})
    {
        const auto quoted = [](QString s) {
            return QLatin1Char('\'') + s.replace(QLatin1Char('\''), "''") + QLatin1Char('\'');
        };
        QVERIFY(sql(QStringLiteral("INSERT INTO Contacts (Name, State, Email) VALUES (%1, %2, %3)")
                        .arg(quoted(name), quoted(state), quoted(email))));
    }
    QStringList column(int c) const { return gridColumn(get<QTableView>("DBGrid1"), c); }
};

void TestContacts::texts_data()
{
    textTable({
        {"cmdDelete", "Delete", " Delete this Contact "},
        {"cmdName", "Name", " Sort List by Name "},
        {"cmdState", "State", " Sort by State "},
        {"cmdEmail", "Email", " Send Email to this Contact "},
        {"jcEmail", "Send Email", ""},
        {"jcFrames1", "Contact", ""},
        {"Label13", "Click Save or Cancel before you can Exit.", ""},
        {"Label14", "Send Email to this Contact.", ""},
        {"Label15", "Store your fishing buddies and other Contacts information here.", ""},
        {"Label1", "2 Contacts are saved.", ""},
    });
}

void TestContacts::texts()
{
    addContact("Ann", "OH");
    addContact("Bob", "MI");
    QVERIFY(open<frmContacts>());
    QCOMPARE(ui().window()->windowTitle(), QStringLiteral("Fishing Contacts"));
    checkText();
}

void TestContacts::sorting()
{
    addContact("carl", "TX");
    addContact("Ann", "WI");
    addContact("Bob", "AK");
    QVERIFY(open<frmContacts>());
    QCOMPARE(column(0), QStringList({"carl", "Ann", "Bob"})); // the table's own order
    QVERIFY(click("cmdState"));
    QCOMPARE(column(3), QStringList({"AK", "TX", "WI"}));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Bob"));
    QVERIFY(click("cmdName"));
    QCOMPARE(column(0), QStringList({"Ann", "Bob", "carl"}));

    // A new contact keeps the order as it is and is selected where it was added.
    QVERIFY(click("cmdNew"));
    get<QLineEdit>("Text1")->setText(QStringLiteral("Abe"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(column(0), QStringList({"Ann", "Bob", "carl", "Abe"}));
    QCOMPARE(get<QTableView>("DBGrid1")->currentIndex().row(), 3);
    QCOMPARE(get<QLabel>("Label1")->text(), QStringLiteral("4 Contacts are saved."));
}

void TestContacts::emailWithoutAddress_data()
{
    QTest::addColumn<QStringList>("names"); // the contacts in the file, none with an address
    QTest::addColumn<QString>("text");
    QTest::newRow("named") << QStringList{"Ann Lee"} << "There is no email address for Ann Lee.";
    QTest::newRow("no name") << QStringList{""} << "There is no email address for this contact.";
    QTest::newRow("no contact at all") << QStringList{}
                                       << "No contact is chosen. Choose a contact in the list, then click Email.";
}

void TestContacts::emailWithoutAddress()
{
    QFETCH(QStringList, names);
    QFETCH(QString, text);
    for (const QString &name : names)
        addContact(name, "OH");
    QVERIFY(open<frmContacts>());
    QVERIFY(click("cmdEmail"));
    QCOMPARE(messages().size(), 1);
    QCOMPARE(messages()[0].text, text);
    QCOMPARE(messages()[0].icon, MessageIcon::Exclamation);
    QVERIFY(fake().urls.isEmpty());
}

void TestContacts::hostileAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "ann@example.com";
    QTest::newRow("blanks kept") << " ann lee@example.com ";
    QTest::newRow("query and headers") << "ann@example.com?cc=spy@evil.test&bcc=spy2@evil.test&body=hi";
    QTest::newRow("ampersand") << "a&b@example.com";
    QTest::newRow("percent escapes") << "ann%40evil.test%3Fbcc%3Dx@example.com";
    QTest::newRow("quotes") << "\"Ann\" <ann@example.com>";
    QTest::newRow("other script") << QString::fromUtf8("пётр@пример.рф");
    QTest::newRow("line break header") << "ann@example.com\r\nBcc: spy@evil.test";
    QTest::newRow("second recipient") << "ann@example.com,spy@evil.test;spy2@evil.test";
}

void TestContacts::hostileAddresses()
{
    QFETCH(QString, address);
    addContact("Ann", "OH", address);
    QVERIFY(open<frmContacts>());
    QCOMPARE(get<QLineEdit>("Text9")->text(), address);
    QVERIFY(click("cmdEmail"));
    QVERIFY(messages().isEmpty());
    QCOMPARE(fake().urls.size(), 1);
    const QUrl url = fake().urls[0];
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    QVERIFY(!url.hasQuery());
    QVERIFY(!url.hasFragment());
    // The one address, exactly as stored, is all the mail program gets.
    QCOMPARE(url.path(QUrl::FullyDecoded), address);
    const QByteArray sent = url.toEncoded();
    QVERIFY2(sent.startsWith("mailto:"), sent.constData());
    const QByteArray rest = sent.mid(7);
    for (const char c : rest)
        QVERIFY2(std::isalnum(static_cast<unsigned char>(c)) || QByteArray("-._~@%").contains(c), sent.constData());
    QCOMPARE(QUrl::fromPercentEncoding(rest), address);
}

void TestContacts::noMailProgram()
{
    addContact("Ann", "OH", "ann@example.com");
    FakePlatform *noMail = &fake(); // a desktop with no mail program
    noMail->urlOpens = false;
    QVERIFY(open<frmContacts>());
    QVERIFY(click("cmdEmail"));
    QCOMPARE(noMail->urls.size(), 1);
    QCOMPARE(noMail->messages.size(), 1);
    QCOMPARE(noMail->messages[0].title, QStringLiteral("Email Program not found"));
    QCOMPARE(noMail->messages[0].text,
             QStringLiteral("No e-mail program is set up on this computer, so no message to ann@example.com can be "
                            "started.\nSet up an e-mail program, then click Email again."));
}

void TestContacts::emailOffWhileEditing()
{
    addContact("Ann", "OH", "ann@example.com");
    QVERIFY(open<frmContacts>());
    QVERIFY(get<QLineEdit>("Text9")->isReadOnly());
    QVERIFY(click("cmdEdit"));
    QVERIFY(!get<QWidget>("jcEmail")->isEnabled());
    QVERIFY(!get<QWidget>("jcSort")->isEnabled());
    QVERIFY(!get<QLineEdit>("Text9")->isReadOnly());
    QVERIFY(!click("cmdEmail"));
    QVERIFY(fake().urls.isEmpty());
    QVERIFY(click("cmdCancel"));
    QVERIFY(get<QLineEdit>("Text9")->isReadOnly());
}

TF_TEST_MAIN(TestContacts)
#include "tst_frmcontacts.moc"
