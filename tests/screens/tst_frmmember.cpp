// The memberships screen beyond the common cycle: its texts, free-text expiry
// and fee, a megabyte of remarks, Delete without a requery, and the utilities
// menu minimized while it is open and restored when it closes.

#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/RecordCycle.h"
#include "screens/frmMember.h"
#include "shell/WindowRegistry.h"
#include "shell/frmUtilities.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>

using namespace tf;
using namespace tf::test;

namespace {

void releaseClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestMember : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void texts_data();
    void texts();
    void freeTextAndLongRemarks();
    void deleteKeepsTheOrder();
    void openedFromUtilitiesMenu();

private:
    frmMember *openMember();
    template <class T> T *get(const char *name) { return m_w ? m_w->findChild<T *>(QLatin1String(name)) : nullptr; }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }

    std::unique_ptr<FakePlatformScope> m_scope;
    QString m_db;
    QPointer<frmMember> m_w;
};

void TestMember::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    m_db = m_scope->file(QStringLiteral("tfn5.mdb"));
    makeDatabase(m_db);
    QVERIFY(execSql(m_db, "INSERT INTO Memberships (Organization) VALUES ('Carp Union'), ('Anglers Club'), "
                          "('Bass Society')"));
}

void TestMember::cleanup()
{
    WindowRegistry::closeAll();
    releaseClosed();
    m_scope.reset();
}

frmMember *TestMember::openMember()
{
    m_w = WindowRegistry::open<frmMember>();
    if (m_w) {
        m_w->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(m_w);
    }
    return m_w;
}

void TestMember::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    const auto row = [](const char *name, const char *text, const char *tip) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text) << QString::fromLatin1(tip);
    };
    row("cmdEdit", "Edit", " Edit this Membership ");
    row("cmdPrint", "Print", " Print Preview ");
    row("jcFrames4", "Menu", "");
    row("jcFrames1", "Memberships", "");
    row("Label7", "Click Save or Cancel before you can Exit.", "");
    row("Label9",
        "List your memberships in fishing clubs, media subscriptions, or any type of organization that you belong to.",
        "");
    row("DBGrid1Caption", "Click the left column to make a selection", "");
    row("Label6", "3 Memberships are saved.", "");
}

void TestMember::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QVERIFY(openMember());
    QCOMPARE(m_w->windowTitle(), QStringLiteral("Fishing Memberships"));
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

void TestMember::freeTextAndLongRemarks()
{
    QVERIFY(openMember());
    click("cmdNew");
    QVERIFY(!get<QLineEdit>("Text3")->isReadOnly());
    get<QLineEdit>("Text1")->setText(QStringLiteral("Walleye Federation"));
    get<QLineEdit>("Text3")->setText(QStringLiteral("next spring, maybe"));
    get<QLineEdit>("Text4")->setText(QStringLiteral("$25 / year (family)"));
    const QString remarks = QStringLiteral("Pay at the spring meeting.\n").repeated(40000); // over a megabyte
    get<QPlainTextEdit>("Text5")->setPlainText(remarks);
    click("cmdSave");
    QCOMPARE(m_scope->fake().messages.size(), 0);
    QVERIFY(get<QLineEdit>("Text3")->isReadOnly());
    QCOMPARE(querySingle(m_db, "SELECT \"Expires On\" FROM Memberships WHERE Organization = 'Walleye Federation'")
                 .toString(),
             QStringLiteral("next spring, maybe"));
    QCOMPARE(querySingle(m_db, "SELECT Dues FROM Memberships WHERE Organization = 'Walleye Federation'").toString(),
             QStringLiteral("$25 / year (family)"));

    m_w->close();
    releaseClosed();
    QVERIFY(openMember());
    auto *grid = get<QTableView>("DBGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(3, 0)).center());
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Walleye Federation"));
    QCOMPARE(get<QPlainTextEdit>("Text5")->toPlainText(), remarks);
}

void TestMember::deleteKeepsTheOrder()
{
    QVERIFY(openMember());
    auto *grid = get<QTableView>("DBGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
    FakePlatform &fake = m_scope->fake();
    fake.messageAnswers.enqueue(MessageAnswer::Yes);
    click("cmdDelete");
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, QStringLiteral("Are you sure you want to delete Anglers Club ?"));
    QCOMPARE(fake.messages[0].title, QStringLiteral("Delete Information"));
    QCOMPARE(get<QLabel>("Label6")->text(), QStringLiteral("2 Memberships are saved."));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Carp Union"));
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->model()->index(1, 0).data().toString(), QStringLiteral("Bass Society"));
}

void TestMember::openedFromUtilitiesMenu()
{
    WindowRegistry::define<frmMember>();
    auto *menu = WindowRegistry::open<frmUtilities>();
    QVERIFY(menu);
    QTest::mouseClick(menu->findChild<QAbstractButton *>(QStringLiteral("cmdMemberships")), Qt::LeftButton);
    m_w = WindowRegistry::find<frmMember>();
    QVERIFY(m_w && m_w->isVisible());
    QVERIFY(menu->windowState() & Qt::WindowMinimized);
    click("cmdExit");
    releaseClosed();
    QVERIFY(!m_w);
    QVERIFY(!(menu->windowState() & Qt::WindowMinimized));
}

TF_TEST_MAIN(TestMember)
#include "tst_frmmember.moc"
