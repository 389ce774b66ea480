// The contacts screen beyond the common cycle: its texts, the sort bar, the
// delete prompt, and the e-mail command with
// addresses that try to smuggle in headers or recipients.

#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/RecordCycle.h"
#include "screens/frmContacts.h"
#include "shell/WindowRegistry.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>

using namespace tf;
using namespace tf::test;

namespace {

// A desktop with no mail program: the request is refused.
class NoMailPlatform : public FakePlatform
{
public:
    using FakePlatform::FakePlatform;
    bool openUrl(const QUrl &url) override
    {
        FakePlatform::openUrl(url);
        return false;
    }
};

void releaseClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestContacts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void texts_data();
    void texts();
    void sorting();
    void deletePrompt();
    void emailWithoutAddress();
    void hostileAddresses_data();
    void hostileAddresses();
    void noMailProgram();
    void emailOffWhileEditing();

private:
    frmContacts *openContacts();
    void addContact(const QString &name, const QString &state, const QString &email = {});
    template <class T> T *get(const char *name) { return m_w ? m_w->findChild<T *>(QLatin1String(name)) : nullptr; }
    void chooseRow(int row)
    {
        auto *grid = get<QTableView>("DBGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, 0)).center());
    }
    QStringList gridColumn(int column)
    {
        auto *grid = get<QTableView>("DBGrid1");
        QStringList r;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            r << grid->model()->index(row, column).data().toString();
        return r;
    }

    std::unique_ptr<FakePlatformScope> m_scope;
    QString m_db;
    QPointer<frmContacts> m_w;
};

void TestContacts::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    m_db = m_scope->file(QStringLiteral("tfn5.mdb"));
    makeDatabase(m_db);
}

void TestContacts::cleanup()
{
    WindowRegistry::closeAll();
    releaseClosed();
    m_scope.reset();
}

frmContacts *TestContacts::openContacts()
{
    m_w = WindowRegistry::open<frmContacts>();
    if (m_w) {
        m_w->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(m_w);
    }
    return m_w;
}

void TestContacts::addContact(const QString &name, const QString &state, const QString &email)
{
    const auto quoted = [](QString s) {
        return QLatin1Char('\'') + s.replace(QLatin1Char('\''), "''") + QLatin1Char('\'');
    };
    QVERIFY(execSql(m_db, QStringLiteral("INSERT INTO Contacts (Name, State, Email) VALUES (%1, %2, %3)")
                              .arg(quoted(name), quoted(state), quoted(email))));
}

void TestContacts::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    const auto row = [](const char *name, const char *text, const char *tip) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text) << QString::fromLatin1(tip);
    };
    row("cmdDelete", "Delete", " Delete this Contact ");
    row("cmdName", "Name", " Sort List by Name ");
    row("cmdState", "State", " Sort by State ");
    row("cmdEmail", "Email", " Send Email to this Contact ");
    row("jcEmail", "Send Email", "");
    row("jcFrames1", "Contact", "");
    row("Label13", "Click Save or Cancel before you can Exit.", "");
    row("Label14", "Send Email to this Contact.", "");
    row("Label15", "Store your fishing buddies and other Contacts information here.", "");
    row("Label1", "2 Contacts are saved.", "");
}

void TestContacts::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    addContact("Ann", "OH");
    addContact("Bob", "MI");
    QVERIFY(openContacts());
    QCOMPARE(m_w->windowTitle(), QStringLiteral("Fishing Contacts"));
    QWidget *w = m_w->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QString shown;
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        shown = b->text();
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        shown = g->title();
    else if (auto *l = qobject_cast<QLabel *>(w))
        shown = l->text();
    QCOMPARE(shown, text);
    QCOMPARE(w->toolTip(), toolTip);
}

void TestContacts::sorting()
{
    addContact("carl", "TX");
    addContact("Ann", "WI");
    addContact("Bob", "AK");
    QVERIFY(openContacts());
    QCOMPARE(gridColumn(0), QStringList({"carl", "Ann", "Bob"})); // the table's own order
    QTest::mouseClick(get<QAbstractButton>("cmdState"), Qt::LeftButton);
    QCOMPARE(gridColumn(3), QStringList({"AK", "TX", "WI"}));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Bob"));
    QTest::mouseClick(get<QAbstractButton>("cmdName"), Qt::LeftButton);
    QCOMPARE(gridColumn(0), QStringList({"Ann", "Bob", "carl"}));

    // A new contact keeps the order as it is and is selected where it was added.
    QTest::mouseClick(get<QAbstractButton>("cmdNew"), Qt::LeftButton);
    get<QLineEdit>("Text1")->setText(QStringLiteral("Abe"));
    QTest::mouseClick(get<QAbstractButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(gridColumn(0), QStringList({"Ann", "Bob", "carl", "Abe"}));
    QCOMPARE(get<QTableView>("DBGrid1")->currentIndex().row(), 3);
    QCOMPARE(get<QLabel>("Label1")->text(), QStringLiteral("4 Contacts are saved."));
}

void TestContacts::deletePrompt()
{
    addContact("Ann", "OH");
    addContact("Bob", "MI");
    QVERIFY(openContacts());
    chooseRow(1);
    FakePlatform &fake = m_scope->fake();
    fake.messageAnswers.enqueue(MessageAnswer::Yes);
    QTest::mouseClick(get<QAbstractButton>("cmdDelete"), Qt::LeftButton);
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("Are you sure you want to delete Bob?"));
    QCOMPARE(fake.messages[0].title, QStringLiteral("Delete Contact"));
    QCOMPARE(get<QLabel>("Label1")->text(), QStringLiteral("1 Contacts are saved."));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Ann"));
    QTest::mouseClick(get<QAbstractButton>("cmdDelete"), Qt::LeftButton);
    QCOMPARE(fake.lastMessageText(), QStringLiteral("This Contact can not be deleted.\nYou can edit this Contact.\n"
                                                    "At least one record has to be present at all times."));
}

void TestContacts::emailWithoutAddress()
{
    addContact("Ann Lee", "OH");
    QVERIFY(openContacts());
    QTest::mouseClick(get<QAbstractButton>("cmdEmail"), Qt::LeftButton);
    FakePlatform &fake = m_scope->fake();
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("There is no email address for Ann Lee."));
    QCOMPARE(fake.messages[0].icon, MessageIcon::Exclamation);
    QVERIFY(fake.urls.isEmpty());
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
    QVERIFY(openContacts());
    QCOMPARE(get<QLineEdit>("Text9")->text(), address);
    QTest::mouseClick(get<QAbstractButton>("cmdEmail"), Qt::LeftButton);
    FakePlatform &fake = m_scope->fake();
    QVERIFY(fake.messages.isEmpty());
    QCOMPARE(fake.urls.size(), 1);
    const QUrl url = fake.urls[0];
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
    auto *noMail = new NoMailPlatform(m_scope->folder());
    std::unique_ptr<Platform> previous = replacePlatform(std::unique_ptr<Platform>(noMail));
    QVERIFY(openContacts());
    QTest::mouseClick(get<QAbstractButton>("cmdEmail"), Qt::LeftButton);
    QCOMPARE(noMail->urls.size(), 1);
    QCOMPARE(noMail->messages.size(), 1);
    QCOMPARE(noMail->messages[0].title, QStringLiteral("Email Program not found"));
    QCOMPARE(noMail->messages[0].text,
             QStringLiteral("Can't find Email program.\nThis command may not work if you are not using MS Outlook."));
    WindowRegistry::closeAll();
    releaseClosed();
    replacePlatform(std::move(previous));
}

void TestContacts::emailOffWhileEditing()
{
    addContact("Ann", "OH", "ann@example.com");
    QVERIFY(openContacts());
    QVERIFY(get<QLineEdit>("Text9")->isReadOnly());
    QTest::mouseClick(get<QAbstractButton>("cmdEdit"), Qt::LeftButton);
    QVERIFY(!get<QWidget>("jcEmail")->isEnabled());
    QVERIFY(!get<QWidget>("jcSort")->isEnabled());
    QVERIFY(!get<QLineEdit>("Text9")->isReadOnly());
    QTest::mouseClick(get<QAbstractButton>("cmdEmail"), Qt::LeftButton);
    QVERIFY(m_scope->fake().urls.isEmpty());
    QTest::mouseClick(get<QAbstractButton>("cmdCancel"), Qt::LeftButton);
    QVERIFY(get<QLineEdit>("Text9")->isReadOnly());
}

TF_TEST_MAIN(TestContacts)
#include "tst_frmcontacts.moc"
