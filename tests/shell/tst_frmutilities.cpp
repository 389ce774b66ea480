// The utilities menu: its buttons, which of them make the menu step aside, and who is
// put back when a window closes. The windows it opens are stand-ins defined by name.

#include "FakePlatform.h"
#include "TestMain.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"
#include "shell/frmUtilities.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

using namespace tf;
using namespace tf::test;

namespace {

const QStringList kOpened{QStringLiteral("frmMember"),    QStringLiteral("frmPatterns"),  QStringLiteral("frmOptions"),
                          QStringLiteral("frmReminders"), QStringLiteral("frmCalendar"),  QStringLiteral("frmMain"),
                          QStringLiteral("frmCredit"),    QStringLiteral("frmStatistics")};

void release()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool minimized(const QWidget *w)
{
    return w->windowState() & Qt::WindowMinimized;
}

} // namespace

class TestFrmUtilities : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void buttons_data();
    void buttons();
    void windowNotBuiltOpensNothing();
    void pictureOpensCredit();
    void closingRestoresControlPanel();

private:
    std::unique_ptr<FakePlatformScope> m_scope;
    QWidget *m_panel = nullptr;
    frmUtilities *m_menu = nullptr;
};

void TestFrmUtilities::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    for (const QString &name : kOpened)
        WindowRegistry::define(name, [] {
            auto *w = new QWidget;
            w->resize(200, 120);
            return w;
        });
    // The control panel opens the menu and steps aside for it.
    m_panel = new QWidget;
    m_panel->setAttribute(Qt::WA_DeleteOnClose);
    m_panel->show();
    m_menu = WindowRegistry::open<frmUtilities>(m_panel, OpenerState::Minimize);
    QVERIFY(m_menu);
    QVERIFY(minimized(m_panel));
}

void TestFrmUtilities::cleanup()
{
    WindowRegistry::closeAll();
    delete m_panel;
    release();
    for (const QString &name : kOpened)
        WindowRegistry::undefine(name);
    m_scope.reset();
}

void TestFrmUtilities::layout()
{
    QCOMPARE(m_menu->windowTitle(), QStringLiteral("Fishing Utilities"));
    QCOMPARE(m_menu->mask(), shapedRegion());
    QCOMPARE(m_menu->findChild<QLabel *>("Label1")->text(), QStringLiteral("Utilities"));
    QCOMPARE(m_menu->findChild<QLabel *>("Image1")->toolTip(), QStringLiteral(" Click for Picture Credit "));
    QCOMPARE(m_menu->findChild<QToolButton *>("cmdMinimize")->toolTip(), QStringLiteral(" Minimize "));
    QCOMPARE(m_menu->findChild<QToolButton *>("cmdExit")->toolTip(), QStringLiteral(" Close "));
    const QStringList captions{
        "    Fishing Memberships", "Fishing Patterns", "   Database Options", "Reminders", "Calendar",
        "Lunar Calendar",          "Statistics"};
    const QStringList names{"cmdMemberships", "cmdPatterns", "cmdOptions",   "cmdReminders",
                            "cmdCalendar",    "cmdLunar",    "cmdStatistics"};
    for (int i = 0; i < names.size(); ++i) {
        auto *b = m_menu->findChild<QPushButton *>(names.at(i));
        QVERIFY2(b, qPrintable(names.at(i)));
        QCOMPARE(b->text(), captions.at(i));
        QCOMPARE(m_menu->mask().intersected(b->geometry()), QRegion(b->geometry()));
    }
}

void TestFrmUtilities::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("stepsAside");
    QTest::newRow("memberships") << "cmdMemberships"
                                 << "frmMember" << true;
    QTest::newRow("patterns") << "cmdPatterns"
                              << "frmPatterns" << true;
    QTest::newRow("options") << "cmdOptions"
                             << "frmOptions" << true;
    QTest::newRow("reminders") << "cmdReminders"
                               << "frmReminders" << true;
    QTest::newRow("calendar") << "cmdCalendar"
                              << "frmCalendar" << true;
    QTest::newRow("lunar calendar") << "cmdLunar"
                                    << "frmMain" << false;
    QTest::newRow("statistics") << "cmdStatistics"
                                << "frmStatistics" << true;
}

void TestFrmUtilities::buttons()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(bool, stepsAside);
    QTest::mouseClick(m_menu->findChild<QPushButton *>(button), Qt::LeftButton);
    QWidget *opened = WindowRegistry::find(window);
    QVERIFY(opened);
    QVERIFY(opened->isVisible());
    QCOMPARE(minimized(m_menu), stepsAside);
    // A second press brings the same window back, never a second one.
    QTest::mouseClick(m_menu->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(WindowRegistry::find(window), opened);
    opened->close();
    release();
    QVERIFY(!WindowRegistry::find(window));
    QVERIFY(!minimized(m_menu));
    // The panel stays where the menu put it.
    QVERIFY(minimized(m_panel));
}

void TestFrmUtilities::windowNotBuiltOpensNothing()
{
    WindowRegistry::undefine(QStringLiteral("frmPatterns"));
    QTest::mouseClick(m_menu->findChild<QPushButton *>("cmdPatterns"), Qt::LeftButton);
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmPatterns")));
    QVERIFY(!minimized(m_menu));
}

void TestFrmUtilities::pictureOpensCredit()
{
    QTest::mouseClick(m_menu->findChild<QLabel *>("Image1"), Qt::LeftButton);
    QVERIFY(WindowRegistry::find(QStringLiteral("frmCredit")));
    QVERIFY(!minimized(m_menu));
}

void TestFrmUtilities::closingRestoresControlPanel()
{
    // A window the menu opened stays open; only the panel is put back.
    QTest::mouseClick(m_menu->findChild<QPushButton *>("cmdReminders"), Qt::LeftButton);
    QTest::mouseClick(m_menu->findChild<QToolButton *>("cmdExit"), Qt::LeftButton);
    release();
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmUtilities")));
    QVERIFY(!minimized(m_panel));
    QVERIFY(WindowRegistry::find(QStringLiteral("frmReminders")));
}

TF_TEST_MAIN(TestFrmUtilities)
#include "tst_frmutilities.moc"
