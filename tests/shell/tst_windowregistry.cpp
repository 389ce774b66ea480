// The window registry: one window per name, openers minimized and restored by
// each window's rule, refusals, and closing everything.

#include "TestMain.h"
#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>

using namespace tf;

namespace {

void releaseClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool minimized(const QWidget *w)
{
    return w->windowState() & Qt::WindowMinimized;
}

} // namespace

class frmLogsDummy : public QWidget
{
    Q_OBJECT
public:
    static inline int made = 0;
    static inline bool sawClosingAll = false;
    frmLogsDummy() { ++made; }

protected:
    void closeEvent(QCloseEvent *e) override
    {
        sawClosingAll = WindowRegistry::closingAll();
        e->accept();
    }
};

// Restores its opener only from its own command, like the reminder calendar.
class frmCalendarDummy : public QWidget
{
    Q_OBJECT
public:
    static constexpr RestoreOpener restoreOpener = RestoreOpener::ByWindow;
};

class frmRefuses : public QWidget
{
    Q_OBJECT
public:
    static inline int loads = 0;
    bool load()
    {
        ++loads;
        return false;
    }
};

// A window that will not close when asked (say, it is in the middle of something).
class frmStubborn : public QWidget
{
    Q_OBJECT
public:
    static inline int destroyedCount = 0;
    ~frmStubborn() override { ++destroyedCount; }

protected:
    void closeEvent(QCloseEvent *e) override { e->ignore(); }
};

class TestWindowRegistry : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void openTwiceIsTheSameWindow();
    void openerMinimizedAndRestored_data();
    void openerMinimizedAndRestored();
    void restoredByTheWindowItself();
    void closedOpenerIsNotShownAgain();
    void refusalOpensNothing();
    void undefinedNameOpensNothing();
    void closeAllLeavesOnlyTheException();
};

void TestWindowRegistry::cleanup()
{
    WindowRegistry::closeAll();
    releaseClosed();
    QVERIFY(WindowRegistry::openWindows().isEmpty());
}

void TestWindowRegistry::openTwiceIsTheSameWindow()
{
    frmLogsDummy::made = 0;
    auto *first = WindowRegistry::open<frmLogsDummy>();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->objectName(), QStringLiteral("frmLogsDummy"));
    first->showMinimized();
    auto *second = WindowRegistry::open<frmLogsDummy>();
    QCOMPARE(second, first);
    QCOMPARE(frmLogsDummy::made, 1);
    QVERIFY(!minimized(second)); // brought back to the front
    QCOMPARE(WindowRegistry::openWindows().size(), 1);
    QCOMPARE(WindowRegistry::find<frmLogsDummy>(), first);

    // Closed, it is gone; the next opening makes a new one.
    first->close();
    releaseClosed();
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmLogsDummy")));
    QVERIFY(WindowRegistry::open<frmLogsDummy>());
    QCOMPARE(frmLogsDummy::made, 2);
}

void TestWindowRegistry::openerMinimizedAndRestored_data()
{
    QTest::addColumn<bool>("minimize");
    QTest::newRow("main window: opener minimized, restored on close") << true;
    QTest::newRow("information window: opener keeps its state") << false;
}

void TestWindowRegistry::openerMinimizedAndRestored()
{
    QFETCH(bool, minimize);
    QWidget opener;
    opener.show();
    QPointer<frmLogsDummy> w =
        WindowRegistry::open<frmLogsDummy>(&opener, minimize ? OpenerState::Minimize : OpenerState::Keep);
    QVERIFY(w);
    QCOMPARE(minimized(&opener), minimize);
    if (!minimize)
        opener.showMinimized(); // minimized by the user meanwhile: not the window's business
    w->close();
    releaseClosed();
    QVERIFY(!w);
    QCOMPARE(minimized(&opener), !minimize);
    QVERIFY(opener.isVisible());
}

void TestWindowRegistry::restoredByTheWindowItself()
{
    QWidget opener;
    opener.show();
    QPointer<frmCalendarDummy> w = WindowRegistry::open<frmCalendarDummy>(&opener, OpenerState::Minimize);
    QVERIFY(minimized(&opener));
    // Its own command restores the opener...
    WindowRegistry::restoreOpener(w);
    QVERIFY(!minimized(&opener));
    // ...closing it any other way does not.
    WindowRegistry::open<frmCalendarDummy>(&opener, OpenerState::Minimize);
    QVERIFY(minimized(&opener));
    w->close();
    releaseClosed();
    QVERIFY(!w);
    QVERIFY(minimized(&opener));
}

void TestWindowRegistry::closedOpenerIsNotShownAgain()
{
    auto *opener = new QWidget;
    opener->setAttribute(Qt::WA_DeleteOnClose, false);
    opener->show();
    QPointer<frmLogsDummy> w = WindowRegistry::open<frmLogsDummy>(opener, OpenerState::Minimize);
    opener->close();
    w->close();
    releaseClosed();
    QVERIFY(!opener->isVisible());
    delete opener;

    // An opener deleted meanwhile is no trouble either.
    auto *gone = new QWidget;
    gone->show();
    w = WindowRegistry::open<frmLogsDummy>(gone, OpenerState::Minimize);
    delete gone;
    w->close();
    releaseClosed();
    QVERIFY(!w);
}

void TestWindowRegistry::refusalOpensNothing()
{
    frmRefuses::loads = 0;
    QWidget opener;
    opener.show();
    QVERIFY(!WindowRegistry::open<frmRefuses>(&opener, OpenerState::Minimize));
    QCOMPARE(frmRefuses::loads, 1);
    QVERIFY(WindowRegistry::openWindows().isEmpty());
    QVERIFY(!minimized(&opener));
}

void TestWindowRegistry::undefinedNameOpensNothing()
{
    QWidget opener;
    opener.show();
    QVERIFY(!WindowRegistry::isDefined(QStringLiteral("frmNotBuiltYet")));
    QVERIFY(!WindowRegistry::open(QStringLiteral("frmNotBuiltYet"), &opener, OpenerState::Minimize));
    QVERIFY(!minimized(&opener));

    // Defined by name later, the same call opens it.
    WindowRegistry::define(QStringLiteral("frmNotBuiltYet"), [] { return new QWidget; });
    QWidget *w = WindowRegistry::open(QStringLiteral("frmNotBuiltYet"), &opener, OpenerState::Minimize);
    QVERIFY(w && w->isVisible());
    QVERIFY(minimized(&opener));
    WindowRegistry::undefine(QStringLiteral("frmNotBuiltYet"));
}

void TestWindowRegistry::closeAllLeavesOnlyTheException()
{
    frmStubborn::destroyedCount = 0;
    frmLogsDummy::sawClosingAll = false;
    QWidget *panel = WindowRegistry::open(QStringLiteral("frmPanelDummy"));
    QVERIFY(!panel); // not defined
    WindowRegistry::define(QStringLiteral("frmPanelDummy"), [] { return new QWidget; });
    panel = WindowRegistry::open(QStringLiteral("frmPanelDummy"));
    QPointer<frmLogsDummy> logs = WindowRegistry::open<frmLogsDummy>(panel, OpenerState::Minimize);
    QPointer<frmStubborn> stubborn = WindowRegistry::open<frmStubborn>(panel);
    QCOMPARE(WindowRegistry::openWindows().size(), 3);

    WindowRegistry::closeAll(panel);
    // Gone at once, the stubborn one too, without waiting for the event loop.
    QVERIFY(!logs);
    QVERIFY(!stubborn);
    QCOMPARE(frmStubborn::destroyedCount, 1);
    QVERIFY(frmLogsDummy::sawClosingAll);
    QVERIFY(!WindowRegistry::closingAll());
    QCOMPARE(WindowRegistry::openWindows(), QList<QWidget *>{panel});
    // Closing everything is not a user closing a main window: the panel is
    // not brought back by it.
    QVERIFY(minimized(panel));
    WindowRegistry::undefine(QStringLiteral("frmPanelDummy"));
}

TF_TEST_MAIN(TestWindowRegistry)
#include "tst_windowregistry.moc"
