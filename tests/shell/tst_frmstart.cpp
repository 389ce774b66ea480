// The control panel driven as a user does: its elements, the owner's details,
// the windows it opens and what that does to it, Exit & Backup Database, and a
// database that is missing, damaged or without the owner's row.

#include "ScreenTest.h"
#include "TestMain.h"
#include "app/Startup.h"
#include "app/WindowCatalog.h"
#include "data/DataSource.h"
#include "shell/PendingRows.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"
#include "shell/frmStart.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>

using namespace tf;
using namespace tf::test;

namespace {

bool minimized(const QWidget *w)
{
    return w->windowState() & Qt::WindowMinimized;
}

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> r;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() != Qt::ToolTip)
            r << w;
    return r;
}

void clickLabel(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
}

// A record screen in the middle of adding (or editing) a row.
class PendingRowWindow : public QWidget
{
public:
    PendingRowWindow(const QString &table, bool adding)
    {
        if (!data.open(programFile(QStringLiteral("tfn5.mdb")), table))
            return;
        if (adding) {
            data.addNew();
            data.setValue(data.fieldNames().first(), QStringLiteral("half-written"));
        } else {
            data.edit();
            data.setValue(data.fieldNames().first(), QStringLiteral("half-changed"));
        }
    }
    DataSource data;
};

// A window that tells the control panel about the row being typed in it.
class TypingWindow : public QWidget
{
public:
    TypingWindow(const QString &caption, bool typing)
    {
        PendingRows::add(this, [this, caption, typing] { return typing ? caption : QString(); });
    }
};

} // namespace

class TestStart : public ScreenTest
{
    Q_OBJECT
private slots:
    void initTestCase();
    void elements_data();
    void elements();
    void ownerShown();
    void ownerPlaceholders_data();
    void ownerPlaceholders();
    void ownerBoxIsClickable_data();
    void ownerBoxIsClickable();
    void nameLightsUpUnderMouse();
    void mainWindowsMinimizeAndRestore_data();
    void mainWindowsMinimizeAndRestore();
    void windowNotBuiltYetDoesNothing();
    void informationWindowsKeepThePanel_data();
    void informationWindowsKeepThePanel();
    void minimizeAndClose();
    void ownerEditor_data();
    void ownerEditor();
    void exitAndBackup();
    void exitAndBackupAsksAboutTyping_data();
    void exitAndBackupAsksAboutTyping();
    void badDatabase_data();
    void badDatabase();
    void noOwnerRow();
    void missingDiary_data();
    void missingDiary();

private:
    QTemporaryDir m_settings; // the user's settings, away from the real ones
    frmStart *openPanel() { return open<frmStart>(); }
    void prepare() override
    {
        QVERIFY(sql("UPDATE Register SET Name = 'Ann Angler', Address = '12 Pike Lane', "
                    "City = 'Perch Bay, MN 55000'"));
    }
    void finish() override
    {
        for (const char *name : {"frmLogs", "frmBestfish", "frmGear", "frmContacts", "frmUtilities"})
            WindowRegistry::undefine(QLatin1String(name));
        QCOMPARE(DataSource::openCount(db()), 0);
    }
};

void TestStart::initTestCase()
{
    registerWindows();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestStart::elements_data()
{
    textTable({
        {"cmdLogs", "Fishing Logs", ""},
        {"cmdBestfish", "Best Fish", ""},
        {"cmdGear", "Fishing Gear", ""},
        {"cmdContacts", "Fishing Contacts", ""},
        {"cmdUtilities", "Fishing Utilities", ""},
        {"cmdBackup", "      Exit && Backup Database", ""}, // the doubled ampersand shows as one
        {"cmdUpdate", "", " Check for Update "},
        {"cmdAbout", "", " About "},
        {"cmdMinimize", "", " Minimize "},
        {"cmdExit", "", " Close "},
        {"Image1", "", " Click for Picture Credit "},
        {"Label1", "Control Panel", ""},
        {"Label3", "Press F1 Key for Help", ""},
        {"jcFrames1", "Fishing Logs of:", " Click on Your Name to edit this information. "},
        {"Label2", "Ann Angler", " Click Here "},
        {"Label4", "12 Pike Lane", ""},
        {"Label5", "Perch Bay, MN 55000", ""},
    });
}

void TestStart::elements()
{
    frmStart *panel = openPanel();
    QVERIFY(panel);
    QCOMPARE(panel->windowTitle(), QStringLiteral("Tallyfin"));
    checkText();
    // Every element lies wholly inside the window's outline, where it can be seen and clicked.
    QFETCH(QString, name);
    const QWidget *w = get(name);
    QVERIFY(w && w->isVisible());
    const QRect r(w->mapTo(panel, QPoint(0, 0)), w->size());
    QCOMPARE(panel->mask().intersected(r), QRegion(r));
}

void TestStart::ownerShown()
{
    frmStart *panel = openPanel();
    QCOMPARE(panel->findChild<QLabel *>("Label2")->text(), QStringLiteral("Ann Angler"));
    QVERIFY(panel->databaseProblem().isEmpty());
    QVERIFY(fake().messages.isEmpty());
    // The panel reads its row and holds the file open like any window with data.
    QCOMPARE(DataSource::openCount(db()), 1);
}

void TestStart::ownerPlaceholders_data()
{
    QTest::addColumn<QStringList>("row");   // Name, Address, City in the file
    QTest::addColumn<QStringList>("shown"); // Label2, Label4, Label5
    QTest::newRow("new diary") << QStringList{"", "", ""}
                               << QStringList{"Your Name", "Your Address", "City, State, Zipcode"};
    QTest::newRow("name only") << QStringList{"Ann", "", ""} << QStringList{"Ann", "", ""};
    QTest::newRow("no name") << QStringList{"", "12 Pike Lane", ""} << QStringList{"Your Name", "12 Pike Lane", ""};
}

void TestStart::ownerPlaceholders()
{
    QFETCH(QStringList, row);
    QFETCH(QStringList, shown);
    QVERIFY(sql(
        QStringLiteral("UPDATE Register SET Name = '%1', Address = '%2', City = '%3'").arg(row[0], row[1], row[2])));
    frmStart *panel = openPanel();
    const char *labels[] = {"Label2", "Label4", "Label5"};
    for (int i = 0; i < 3; ++i) {
        auto *label = panel->findChild<QLabel *>(labels[i]);
        QCOMPARE(label->text(), shown[i]);
        // A placeholder reads as one, not as the owner's own name.
        QCOMPARE(label->font().italic(), row[i] != shown[i]);
    }
    // Filled in, the owner's name replaces its placeholder at once.
    QVERIFY(sql("UPDATE Register SET Name = 'Bo Bobber'"));
    panel->refreshOwner();
    QCOMPARE(panel->findChild<QLabel *>("Label2")->text(), QStringLiteral("Bo Bobber"));
    QVERIFY(!panel->findChild<QLabel *>("Label2")->font().italic());
}

void TestStart::ownerBoxIsClickable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tip");
    QTest::newRow("name") << "Label2"
                          << " Click Here ";
    QTest::newRow("address") << "Label4"
                             << " Click on Your Name to edit this information. ";
    QTest::newRow("city") << "Label5"
                          << " Click on Your Name to edit this information. ";
    QTest::newRow("box") << "jcFrames1"
                         << " Click on Your Name to edit this information. ";
}

void TestStart::ownerBoxIsClickable()
{
    QFETCH(QString, name);
    QFETCH(QString, tip);
    QVERIFY(sql("UPDATE Register SET Name = '', Address = '', City = ''"));
    frmStart *panel = openPanel();
    auto *w = panel->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->cursor().shape(), Qt::PointingHandCursor);
    // Hovering shows the tip (a label without its own shows the box's).
    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), w->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(w, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
    // A click anywhere in the box opens the editor.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, name == QLatin1String("jcFrames1") ? 120 : 4));
    QWidget *editor = WindowRegistry::find(QStringLiteral("frmRegister"));
    QVERIFY(editor && editor->isVisible());
    QVERIFY(fake().messages.isEmpty());
}

void TestStart::nameLightsUpUnderMouse()
{
    frmStart *panel = openPanel();
    auto *name = panel->findChild<QLabel *>("Label2");
    const auto colour = [name] { return name->palette().color(QPalette::WindowText); };
    QCOMPARE(colour(), QColor(Qt::white));

    QEnterEvent enter(QPointF(3, 3), name->mapTo(panel, QPointF(3, 3)), name->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(name, &enter);
    QCOMPARE(colour(), QColor(Qt::yellow));

    // Moving over another control (the group around it) keeps it yellow...
    QWidget *group = panel->findChild<QWidget *>("jcFrames1");
    QMouseEvent overGroup(QEvent::MouseMove, QPointF(2, 2), group->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(group, &overGroup);
    QCOMPARE(colour(), QColor(Qt::yellow));

    // ...the window background turns it white again.
    const QPointF background(298, 300);
    QVERIFY(!panel->childAt(background.toPoint()));
    QMouseEvent overBackground(QEvent::MouseMove, background, panel->mapToGlobal(background), Qt::NoButton,
                               Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &overBackground);
    QCOMPARE(colour(), QColor(Qt::white));
}

void TestStart::mainWindowsMinimizeAndRestore_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::newRow("Fishing Logs") << "cmdLogs"
                                  << "frmLogs";
    QTest::newRow("Best Fish") << "cmdBestfish"
                               << "frmBestfish";
    QTest::newRow("Fishing Gear") << "cmdGear"
                                  << "frmGear";
    QTest::newRow("Fishing Contacts") << "cmdContacts"
                                      << "frmContacts";
    QTest::newRow("Fishing Utilities") << "cmdUtilities"
                                       << "frmUtilities";
}

void TestStart::mainWindowsMinimizeAndRestore()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    WindowRegistry::define(window, [] { return new QWidget; });
    frmStart *panel = openPanel();

    QTest::mouseClick(panel->findChild<QPushButton *>(button), Qt::LeftButton);
    QPointer<QWidget> opened = WindowRegistry::find(window);
    QVERIFY(opened && opened->isVisible());
    QVERIFY(minimized(panel));

    // A second click shows the same window again.
    panel->showNormal();
    QTest::mouseClick(panel->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(WindowRegistry::find(window), opened.data());
    QVERIFY(minimized(panel));

    opened->close();
    ScreenDriver::releaseClosed();
    QVERIFY(!opened);
    QVERIFY(panel->isVisible());
    QVERIFY(!minimized(panel));
}

void TestStart::windowNotBuiltYetDoesNothing()
{
    WindowRegistry::undefine(QStringLiteral("frmContacts"));
    frmStart *panel = openPanel();
    const QList<QWidget *> before = visibleWindows();
    QTest::mouseClick(panel->findChild<QPushButton *>("cmdContacts"), Qt::LeftButton);
    QVERIFY(!minimized(panel));
    QCOMPARE(visibleWindows(), before);
    QVERIFY(fake().messages.isEmpty());
}

void TestStart::informationWindowsKeepThePanel_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("About") << "cmdAbout"
                           << "frmAbout"
                           << "About";
    QTest::newRow("Check for Update") << "cmdUpdate"
                                      << "frmUpdate"
                                      << "Check for Update";
    QTest::newRow("picture") << "Image1"
                             << "frmCredit"
                             << "Picture Credit";
}

void TestStart::informationWindowsKeepThePanel()
{
    QFETCH(QString, control);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    frmStart *panel = openPanel();
    QTest::mouseClick(panel->findChild<QWidget *>(control), Qt::LeftButton, {}, QPoint(5, 5));
    QWidget *opened = WindowRegistry::find(window);
    QVERIFY(opened && opened->isVisible());
    QCOMPARE(opened->windowTitle(), caption);
    QVERIFY(!minimized(panel));

    // Opened while the panel is minimized, it leaves it minimized.
    opened->close();
    ScreenDriver::releaseClosed();
    panel->showMinimized();
    QTest::mouseClick(panel->findChild<QWidget *>(control), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(minimized(panel));
    WindowRegistry::find(window)->close();
    ScreenDriver::releaseClosed();
    QVERIFY(minimized(panel));
}

void TestStart::minimizeAndClose()
{
    WindowRegistry::define(QStringLiteral("frmLogs"), [] { return new QWidget; });
    QPointer<frmStart> panel = openPanel();
    QTest::mouseClick(panel->findChild<QToolButton *>("cmdMinimize"), Qt::LeftButton);
    QVERIFY(minimized(panel));
    panel->showNormal();

    QTest::mouseClick(panel->findChild<QPushButton *>("cmdLogs"), Qt::LeftButton);
    QPointer<QWidget> logs = WindowRegistry::find(QStringLiteral("frmLogs"));
    QTest::mouseClick(panel->findChild<QToolButton *>("cmdExit"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    // Only the panel closed, and it let go of the file.
    QVERIFY(!panel);
    QVERIFY(logs && logs->isVisible());
    QCOMPARE(DataSource::openCount(db()), 0);
    // Closing the log screen now brings no panel back; with it the last window
    // is gone, and the program ends.
    logs->close();
    ScreenDriver::releaseClosed();
    QVERIFY(visibleWindows().isEmpty());
    QVERIFY(WindowRegistry::openWindows().isEmpty());
}

void TestStart::ownerEditor_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("nameAfter");
    QTest::addColumn<QString>("cityAfter");
    QTest::newRow("OK writes and shows at once") << "cmdSave"
                                                 << "Bo Bobber"
                                                 << "";
    QTest::newRow("Cancel changes nothing") << "cmdCancel"
                                            << "Ann Angler"
                                            << "Perch Bay, MN 55000";
}

void TestStart::ownerEditor()
{
    QFETCH(QString, button);
    QFETCH(QString, nameAfter);
    QFETCH(QString, cityAfter);
    frmStart *panel = openPanel();
    clickLabel(panel->findChild<QLabel *>("Label2"));
    QWidget *editor = WindowRegistry::find(QStringLiteral("frmRegister"));
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->windowTitle(), QStringLiteral(" Edit Name and Address"));
    QVERIFY(!minimized(panel));
    auto *name = editor->findChild<QLineEdit *>("Text1");
    auto *city = editor->findChild<QLineEdit *>("Text3");
    QCOMPARE(name->text(), QStringLiteral("Ann Angler"));
    QCOMPARE(editor->findChild<QLineEdit *>("Text2")->text(), QStringLiteral("12 Pike Lane"));
    QCOMPARE(city->text(), QStringLiteral("Perch Bay, MN 55000"));

    name->clear();
    QTest::keyClicks(name, QStringLiteral("Bo Bobber"));
    city->clear(); // an empty city is accepted
    QTest::mouseClick(editor->findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(!editor->isVisible());
    QCOMPARE(panel->findChild<QLabel *>("Label2")->text(), nameAfter);
    QCOMPARE(panel->findChild<QLabel *>("Label5")->text(), cityAfter);
    QCOMPARE(value("SELECT Name FROM Register").toString(), nameAfter);
    QCOMPARE(value("SELECT City FROM Register").toString(), cityAfter);
    QCOMPARE(value("SELECT COUNT(*) FROM Register").toInt(), 1);
    QVERIFY(fake().messages.isEmpty());
}

void TestStart::exitAndBackup()
{
    // Two record screens in the middle of their work.
    WindowRegistry::define(QStringLiteral("frmLogs"), [] { return new PendingRowWindow(QStringLiteral("Log"), true); });
    WindowRegistry::define(QStringLiteral("frmContacts"),
                           [] { return new PendingRowWindow(QStringLiteral("Register"), false); });
    QPointer<frmStart> panel = openPanel();
    QTest::mouseClick(panel->findChild<QPushButton *>("cmdLogs"), Qt::LeftButton);
    panel->showNormal();
    QTest::mouseClick(panel->findChild<QPushButton *>("cmdContacts"), Qt::LeftButton);
    panel->showNormal();
    QTest::mouseClick(panel->findChild<QToolButton *>("cmdAbout"), Qt::LeftButton);
    QCOMPARE(WindowRegistry::openWindows().size(), 4);
    QVERIFY(DataSource::openCount(db()) >= 3);

    QTest::mouseClick(panel->findChild<QPushButton *>("cmdBackup"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    QVERIFY(!panel);
    const QList<QWidget *> left = visibleWindows();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first()->objectName(), QStringLiteral("frmDbutility"));
    QCOMPARE(WindowRegistry::openWindows(), left);
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    // The maintenance window has the file to itself, and no half-done row reached it.
    QCOMPARE(DataSource::openCount(db()), 0);
    QCOMPARE(value("SELECT COUNT(*) FROM Log").toInt(), 0);
    QCOMPARE(value("SELECT Name FROM Register").toString(), QStringLiteral("Ann Angler"));
    QVERIFY(fake().messages.isEmpty());
}

void TestStart::exitAndBackupAsksAboutTyping_data()
{
    QTest::addColumn<bool>("logsTyping");
    QTest::addColumn<bool>("contactsTyping");
    QTest::addColumn<bool>("closeLogsFirst");
    QTest::addColumn<int>("answer"); // MessageAnswer given to the question
    QTest::addColumn<QStringList>("named");
    QTest::newRow("nothing typed") << false << false << false << int(MessageAnswer::Yes) << QStringList();
    QTest::newRow("typing, Yes") << true << false << false << int(MessageAnswer::Yes) << QStringList{"Fishing Logs"};
    QTest::newRow("typing in two, No") << true << true << false << int(MessageAnswer::No)
                                       << QStringList{"Fishing Logs", "Fishing Contacts"};
    QTest::newRow("typing window closed before") << true << false << true << int(MessageAnswer::No) << QStringList();
}

void TestStart::exitAndBackupAsksAboutTyping()
{
    QFETCH(bool, logsTyping);
    QFETCH(bool, contactsTyping);
    QFETCH(bool, closeLogsFirst);
    QFETCH(int, answer);
    QFETCH(QStringList, named);
    WindowRegistry::define(QStringLiteral("frmLogs"),
                           [logsTyping] { return new TypingWindow(QStringLiteral("Fishing Logs"), logsTyping); });
    WindowRegistry::define(QStringLiteral("frmContacts"), [contactsTyping] {
        return new TypingWindow(QStringLiteral("Fishing Contacts"), contactsTyping);
    });
    QPointer<frmStart> panel = openPanel();
    QTest::mouseClick(panel->findChild<QPushButton *>("cmdLogs"), Qt::LeftButton);
    QTest::mouseClick(panel->findChild<QPushButton *>("cmdContacts"), Qt::LeftButton);
    QPointer<QWidget> logs = WindowRegistry::find(QStringLiteral("frmLogs"));
    QPointer<QWidget> contacts = WindowRegistry::find(QStringLiteral("frmContacts"));
    if (closeLogsFirst) {
        logs->close();
        ScreenDriver::releaseClosed();
        QVERIFY(!logs);
    }
    fake().messageAnswers.enqueue(MessageAnswer(answer));

    QTest::mouseClick(panel->findChild<QPushButton *>("cmdBackup"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    const bool asked = !named.isEmpty();
    QCOMPARE(fake().messages.size(), asked ? 1 : 0);
    if (asked) {
        const RecordedMessage &m = fake().messages.first();
        QCOMPARE(m.icon, MessageIcon::Question);
        QCOMPARE(m.buttons, MessageButtons::YesNo);
        QCOMPARE(m.defaultButton, MessageAnswer::No);
        for (const QString &window : named)
            QVERIFY2(m.text.contains(window), qPrintable(m.text));
        QVERIFY2(m.text.contains(QStringLiteral("will be lost")), qPrintable(m.text));
    }
    if (!asked || MessageAnswer(answer) == MessageAnswer::Yes) {
        QVERIFY(!panel);
        QVERIFY(!contacts);
        QCOMPARE(WindowRegistry::openWindows().size(), 1);
        QCOMPARE(WindowRegistry::openWindows().first()->objectName(), QStringLiteral("frmDbutility"));
    } else {
        // No: everything stays as it was.
        QVERIFY(panel && panel->isVisible());
        QVERIFY(logs && logs->isVisible());
        QVERIFY(contacts && contacts->isVisible());
        QVERIFY(!WindowRegistry::find(QStringLiteral("frmDbutility")));
        QCOMPARE(DataSource::openCount(db()), 1);
    }
}

void TestStart::badDatabase_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("said");
    QTest::newRow("missing, a repair was interrupted")
        << "tfn51.mdb" << QByteArray("stands in for the repaired copy") << "tfn51.mdb";
    QTest::newRow("not a database") << "tfn5.mdb" << QByteArray(4096, 'x') << "damaged";
    QTest::newRow("empty file") << "tfn5.mdb" << QByteArray() << "empty";
}

void TestStart::badDatabase()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, said);
    QVERIFY(QFile::remove(db()));
    const QString path = file(fileName);
    if (!content.isEmpty())
        QVERIFY(writeAll(path, content));
    else
        QVERIFY(writeAll(path, QByteArray()));
    const QStringList before = QDir(folder()).entryList(QDir::Files);

    QPointer<frmStart> panel = openPanel();
    QVERIFY(panel && panel->isVisible());
    QTRY_COMPARE(fake().messages.size(), 1);
    const RecordedMessage m = fake().messages.first();
    QCOMPARE(m.icon, MessageIcon::Exclamation);
    QVERIFY2(m.text.startsWith(QStringLiteral("Tallyfin cannot open its database.\n")), qPrintable(m.text));
    QVERIFY2(m.text.contains(said), qPrintable(m.text));
    // The labels keep the texts they have before any data is shown.
    QCOMPARE(panel->findChild<QLabel *>("Label2")->text(), QStringLiteral("Your Name"));
    QCOMPARE(panel->findChild<QLabel *>("Label4")->text(), QStringLiteral("Your Address"));
    QCOMPARE(panel->findChild<QLabel *>("Label5")->text(), QStringLiteral("City, State, Zipcode"));

    // The editor refuses too, and says so.
    clickLabel(panel->findChild<QLabel *>("Label2"));
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmRegister")));
    QCOMPARE(fake().messages.size(), 2);

    // Nothing was made or changed, and the panel closes.
    QTest::mouseClick(panel->findChild<QToolButton *>("cmdExit"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    QVERIFY(!panel);
    QCOMPARE(QDir(folder()).entryList(QDir::Files), before);
    QCOMPARE(readAll(path), content);
}

void TestStart::noOwnerRow()
{
    QVERIFY(sql("DELETE FROM Register"));
    frmStart *panel = openPanel();
    QCoreApplication::processEvents();
    for (const char *label : {"Label2", "Label4", "Label5"})
        QCOMPARE(panel->findChild<QLabel *>(label)->text(), QString());
    QVERIFY(fake().messages.isEmpty());

    clickLabel(panel->findChild<QLabel *>("Label2"));
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmRegister")));
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages.first().icon, MessageIcon::Exclamation);
    QVERIFY(fake().lastMessageText().contains(QStringLiteral("no row")));
    // No row was made up.
    QCOMPARE(value("SELECT COUNT(*) FROM Register").toInt(), 0);
}

void TestStart::missingDiary_data()
{
    QTest::addColumn<bool>("heldOne");
    QTest::addColumn<bool>("repairLeft");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("opened"); // the first window, empty for none
    QTest::newRow("first start") << false << false << int(MessageAnswer::Yes) << "frmStart";
    QTest::newRow("gone, restore a backup") << true << false << int(MessageAnswer::Yes) << "frmDbutility";
    QTest::newRow("gone, new diary") << true << false << int(MessageAnswer::No) << "frmStart";
    QTest::newRow("gone, stop") << true << false << int(MessageAnswer::Cancel) << "";
    QTest::newRow("gone, a repair was interrupted") << true << true << int(MessageAnswer::Yes) << "frmStart";
}

void TestStart::missingDiary()
{
    QFETCH(bool, heldOne);
    QFETCH(bool, repairLeft);
    QFETCH(int, answer);
    QFETCH(QString, opened);
    if (heldOne) {
        // An earlier start with the diary in place.
        QWidget *first = openFirstWindow();
        QVERIFY(first);
        QCOMPARE(first->objectName(), QStringLiteral("frmStart"));
        WindowRegistry::closeAll();
        ScreenDriver::releaseClosed();
        QVERIFY(fake().messages.isEmpty());
    }
    QVERIFY(QFile::remove(db()));
    if (repairLeft)
        QVERIFY(writeAll(file(QStringLiteral("tfn51.mdb")), "the repaired copy"));
    fake().messageAnswers.enqueue(MessageAnswer(answer));

    QWidget *first = openFirstWindow();
    QCoreApplication::processEvents();
    QCOMPARE(first ? first->objectName() : QString(), opened);
    const QList<RecordedMessage> &messages = fake().messages;
    const bool asked = heldOne && !repairLeft;
    QCOMPARE(!messages.isEmpty() && messages.first().icon == MessageIcon::Question, asked);
    if (asked) {
        const RecordedMessage &m = messages.first();
        QCOMPARE(m.buttons, MessageButtons::YesNoCancel);
        QVERIFY2(m.text.contains(QStringLiteral("tfn5.mdb is missing from %1").arg(folder())), qPrintable(m.text));
    }
    // A new, empty diary only where the user wanted one or never had one.
    const bool created = opened == QLatin1String("frmStart") && !repairLeft;
    QCOMPARE(QFileInfo::exists(db()), created);
    // A new diary asks for its owner's details at its first start, and only then.
    QCOMPARE(WindowRegistry::find(QStringLiteral("frmRegister")) != nullptr, created);
    if (created) {
        QCOMPARE(value("SELECT COUNT(*) FROM Register").toInt(), 1);
        WindowRegistry::closeAll();
        ScreenDriver::releaseClosed();
        QVERIFY(openFirstWindow());
        QVERIFY(!WindowRegistry::find(QStringLiteral("frmRegister")));
        WindowRegistry::closeAll();
        ScreenDriver::releaseClosed();
    }
    // What was remembered lies in the user's settings, not in the program folder.
    QStringList expected;
    if (created)
        expected << QStringLiteral("tfn5.mdb");
    if (repairLeft)
        expected << QStringLiteral("tfn51.mdb");
    QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden), expected);
    if (heldOne)
        QVERIFY(!QDir(m_settings.path()).isEmpty());
}

TF_TEST_MAIN(TestStart)
#include "tst_frmstart.moc"
