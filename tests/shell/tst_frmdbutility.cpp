#include "FakePlatform.h"
#include "TestMain.h"
#include "data/DataSource.h"
#include "data/Maintenance.h"
#include "shell/frmDbutility.h"
#include "shell/frmTransfer.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <sqlite3.h>

using namespace tf;
using namespace tf::test;

namespace {

// The fake platform, able to look at the window at the moment a message comes up.
class WatchingPlatform : public FakePlatform
{
public:
    using FakePlatform::FakePlatform;
    std::function<void()> onMessage;
    MessageAnswer message(const MessageRequest &request, QWidget *parent) override
    {
        if (onMessage)
            onMessage();
        return FakePlatform::message(request, parent);
    }
};

// A program folder holding a database with some trips, a backup folder beside it,
// and the watching platform installed for the life of the object.
struct Setup
{
    QTemporaryDir root;
    QString program = root.filePath("program");
    QString backup = root.filePath("backup");
    QString live = QDir(program).filePath(kDatabaseFileName);
    WatchingPlatform *fake = nullptr;
    std::unique_ptr<Platform> previous;

    Setup()
    {
        QDir().mkpath(program);
        QDir().mkpath(backup);
        auto p = std::make_unique<WatchingPlatform>(program);
        fake = p.get();
        previous = replacePlatform(std::move(p));
        makeDatabase(live);
        execSql(live, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                      "INSERT INTO Log (Lake, Notes) SELECT 'Lake ' || i, hex(zeroblob(150)) FROM n");
    }
    ~Setup() { replacePlatform(std::move(previous)); }
    QString backupFile() const { return QDir(backup).filePath(kDatabaseFileName); }
    QStringList programFiles() const { return QDir(program).entryList(QDir::Files | QDir::Hidden); }
};

template <typename T> T *child(QWidget &w, const QString &name)
{
    T *c = w.findChild<T *>(name);
    if (!c)
        qWarning("no control %s", qPrintable(name));
    return c;
}

void click(QWidget &w, const QString &button)
{
    child<QPushButton>(w, button)->click();
}

// Zeroes one leaf page of the trip table in the middle of the file.
bool zeroALogPage(const QString &db)
{
    sqlite3 *h = nullptr;
    sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "SELECT pageno FROM dbstat WHERE name = 'Log' AND pagetype = 'leaf' ORDER BY path", -1, &st,
                       nullptr);
    QList<int> pages;
    while (sqlite3_step(st) == SQLITE_ROW)
        pages << sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(h);
    QByteArray bytes = readAll(db);
    if (pages.size() < 5)
        return false;
    bytes.replace(qsizetype(pages.at(4) - 1) * 4096, 4096, QByteArray(4096, '\0'));
    return writeAll(db, bytes);
}

const QString kNotRestored = QStringLiteral("Database has not been restored.");
const QString kNotFoundTitle = QStringLiteral("Database not found");
const QString kNotFound = QStringLiteral("Can't find database.\nPlease make sure that Tallyfin is not running.");

} // namespace

class TestFrmDbutility : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char *, const char *>> rows = {
            {"Label12", "Database Maintenance"},
            {"jcFrames5", "Select a Task"},
            {"cmdDbackup", "Backup Database"},
            {"cmdDrestore", "Restore Database"},
            {"cmdDrepair", "Repair Database"},
            {"cmdExit", "    Exit"},
            {"jcDescrip", "Description"},
            {"Label14", "Begin by selecting a task from above."},
            {"Label13", "This utility allows you to backup the database for future reinstallations, restore the "
                        "backups, and compact and repair the database."},
            {"jcBackup", "Database Backup"},
            {"cmdBackup", "Backup"},
            {"Label2", "You should always backup the database after adding a lot of new information or deleting "
                       "several logs. If you have just viewed your information, then there is no need to do a "
                       "backup."},
            {"Label1", "When you click the Backup button, a Folder Dialog box appears. Just navigate to the folder, "
                       "floppy drive, USB drive, or wherever you want to save the backup and then click the \"Save\" "
                       "button. The file will be saved as \"tfn5\"."},
            {"jcRestore", "Restore Backup"},
            {"cmdRestore", "Restore"},
            {"Label10", "This will restore a previously saved backup of your database."},
            {"Label5", "Clicking the \"Restore\" button opens a Folder Dialog box. Navigate to the folder, floppy "
                       "disk, or wherever you saved your backup database and select the \"tfn5\" file. Click the "
                       "\"Open\" button and your backup will be restored to the program. Restart Tallyfin and your "
                       "backed up information will be displayed."},
            {"jcRepair", "Database Repair"},
            {"cmdRepair", "Repair"},
            {"Label4", "If Tallyfin has been closed by accident, such as a crash or computer malfunction, you should "
                       "immediately do a Repair before using the program again."},
            {"Label3", "The \"Repair\" button not only fixes a damaged database, it also compresses or get rids of "
                       "the empty records that remain when you delete items."},
            {"Label11", "Do a Repair at least once or twice a year. This will keep the database in good shape and at "
                        "a minimum size."},
            {"Frame1", "Database Size"},
            {"Label6", "Current Size:"},
            {"Label7", "After Repair:"},
            {"Label9", "?"},
        };
        for (const auto &[name, text] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text);
    }
    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Setup s;
        frmDbutility w;
        QCOMPARE(w.windowTitle(), QStringLiteral(" Tallyfin Database Utility"));
        QObject *o = w.findChild<QObject *>(name);
        QVERIFY2(o, qPrintable(name));
        QString shown;
        if (auto *l = qobject_cast<QLabel *>(o))
            shown = l->text();
        else if (auto *b = qobject_cast<QPushButton *>(o))
            shown = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(o))
            shown = g->title();
        QCOMPARE(shown, text);
    }

    void opensWithTheDescriptionAndTheSize()
    {
        Setup s;
        frmDbutility w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(child<QGroupBox>(w, "jcDescrip")->isVisible());
        for (const char *hidden : {"jcBackup", "jcRestore", "jcRepair"})
            QVERIFY2(!child<QGroupBox>(w, hidden)->isVisible(), hidden);
        QCOMPARE(child<QLabel>(w, "Label8")->text(), formatSize(QFileInfo(s.live).size()));
        QCOMPARE(w.minimumSize(), w.maximumSize());
    }

    void missingDatabaseShowsNoSize()
    {
        Setup s;
        QVERIFY(QFile::remove(s.live));
        frmDbutility w;
        QCOMPARE(child<QLabel>(w, "Label8")->text(), QStringLiteral("?"));
    }

    void tasksSwitchPanels_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::newRow("backup") << "cmdDbackup"
                                << "jcBackup" << 0;
        QTest::newRow("restore") << "cmdDrestore"
                                 << "jcRestore" << 0;
        QTest::newRow("repair") << "cmdDrepair"
                                << "jcRepair" << 0;
        QTest::newRow("repair by Enter") << "cmdDrepair"
                                         << "jcRepair" << int(Qt::Key_Return);
        QTest::newRow("backup by Space") << "cmdDbackup"
                                         << "jcBackup" << int(Qt::Key_Space);
    }
    void tasksSwitchPanels()
    {
        QFETCH(QString, button);
        QFETCH(QString, panel);
        QFETCH(int, key);
        Setup s;
        frmDbutility w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Start from another task so the switch hides a task panel too.
        click(w, button == "cmdDrestore" ? "cmdDbackup" : "cmdDrestore");
        auto *b = child<QPushButton>(w, button);
        if (key)
            QTest::keyClick(b, Qt::Key(key));
        else
            QTest::mouseClick(b, Qt::LeftButton);
        for (const char *p : {"jcDescrip", "jcBackup", "jcRestore", "jcRepair"})
            QCOMPARE(child<QGroupBox>(w, p)->isVisible(), panel == QLatin1String(p));
    }

    // The diary out and back in through the window; doubling is asked about first.
    void exportThenImportAsksBeforeDoubling()
    {
        Setup s;
        frmDbutility w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        click(w, "cmdDexport");
        QVERIFY(child<QGroupBox>(w, "jcTransfer")->isVisible());
        const QString folder = QDir(s.backup).filePath("trips");
        s.fake->saveAnswers.enqueue(folder);
        click(w, "cmdExportCsv");
        QCOMPARE(s.fake->lastMessageText(),
                 QStringLiteral("201 rows were exported to %1.").arg(QDir::toNativeSeparators(folder)));
        QVERIFY(QFile::exists(QDir(folder).filePath("Log.csv")));

        s.fake->openAnswers.enqueue(QDir(folder).filePath("README.txt"));
        s.fake->messageAnswers.enqueue(MessageAnswer::No);
        click(w, "cmdImportCsv");
        QVERIFY(s.fake->lastMessageText().contains("Importing them again would double them."));
        QCOMPARE(querySingle(s.live, "SELECT count(*) FROM Log").toInt(), 200);

        s.fake->openAnswers.enqueue(QDir(folder).filePath("README.txt"));
        click(w, "cmdImportCsv");
        QCOMPARE(querySingle(s.live, "SELECT count(*) FROM Log").toInt(), 400);
        QVERIFY2(s.fake->lastMessageText().startsWith("201 rows were added to the diary."),
                 qPrintable(s.fake->lastMessageText()));

        // Only the ticked tables go out; with none ticked, nothing is asked or written.
        auto *tables = child<QListWidget>(w, "lstExportTables");
        for (int i = 0; i < tables->count(); ++i)
            tables->item(i)->setCheckState(tables->item(i)->text() == "Register" ? Qt::Checked : Qt::Unchecked);
        const QString owner = QDir(s.backup).filePath("owner");
        s.fake->saveAnswers.enqueue(owner);
        click(w, "cmdExportCsv");
        QCOMPARE(s.fake->lastMessageText(),
                 QStringLiteral("1 row was exported to %1.").arg(QDir::toNativeSeparators(owner)));
        QVERIFY(QFile::exists(QDir(owner).filePath("Register.csv")));
        QVERIFY(!QFile::exists(QDir(owner).filePath("Log.csv")));
        for (int i = 0; i < tables->count(); ++i)
            tables->item(i)->setCheckState(Qt::Unchecked);
        const int asked = int(s.fake->saveRequests.size());
        click(w, "cmdExportCsv");
        QCOMPARE(s.fake->lastMessageText(), QStringLiteral("Tick the tables to export."));
        QCOMPARE(int(s.fake->saveRequests.size()), asked);
    }

    // A spreadsheet's log with German headings: the check names each refused
    // line and why, and the import adds the others and says how many.
    void foreignLogReportsEachRefusedLine()
    {
        Setup s;
        const QString csv = QDir(s.backup).filePath("fangbuch.csv");
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Datum;Gewässer;Fischart;Anzahl\n03.05.2025;Möhnesee;Hecht;2\n17.05.2025;Möhnesee;Zander;viele\n"
                "31.02.2025;Edersee;Barsch;1\n12.06.2025;;Karpfen;3\n");
        f.close();
        frmImportLog dialog(s.live, readForeignFile(csv), "fangbuch.csv");
        click(dialog, "cmdCheck");
        QCOMPARE(child<QPlainTextEdit>(dialog, "txtReport")->toPlainText(),
                 QStringLiteral("1 trip can be added; 3 lines are refused.\n"
                                "Line 3, Total Fish: \"viele\" is no whole number of fish.\n"
                                "Line 4, Date: \"31.02.2025\" is no date.\nLine 5, Lake: No lake or river."));
        click(dialog, "cmdImport");
        // "17.05.2025" shows the file writes the day first, though the locale writes the month first.
        QCOMPARE(querySingle(s.live, "SELECT group_concat(Date) FROM Log WHERE Lake = 'Möhnesee'").toString(),
                 QStringLiteral("2025-05-03"));
        QVERIFY2(s.fake->messages.first().text.startsWith("1 trip was added to the log.\n3 lines were refused"),
                 qPrintable(s.fake->messages.first().text));
    }

    void backupDialogCancelledShowsNothing()
    {
        Setup s;
        frmDbutility w;
        click(w, "cmdBackup");
        QCOMPARE(s.fake->saveRequests.size(), 1);
        const FileDialogRequest &r = s.fake->saveRequests.first();
        QCOMPARE(r.title, QStringLiteral("Save Database Backup"));
        QCOMPARE(r.initialName, QStringLiteral("tfn5.mdb"));
        QCOMPARE(r.filter, QStringLiteral("Database Files (*.mdb*)|*.mdb"));
        QVERIFY(r.overwritePrompt);
        QVERIFY(s.fake->messages.isEmpty());
        QCOMPARE(s.fake->waitShown, 0);
        QVERIFY(QDir(s.backup).isEmpty());
    }

    // Of the confirmed path only the folder counts.
    void backupSavedUnderItsOwnName()
    {
        Setup s;
        frmDbutility w;
        s.fake->saveAnswers.enqueue(QDir(s.backup).filePath("My trips.mdb"));
        click(w, "cmdBackup");
        QCOMPARE(readAll(s.backupFile()), readAll(s.live));
        QCOMPARE(QDir(s.backup).entryList(QDir::Files | QDir::Hidden), QStringList{kDatabaseFileName});
        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Information);
        QCOMPARE(m.title, QString());
        QCOMPARE(m.text, QStringLiteral("Backup has been saved."));
        QCOMPARE(m.waitDepth, 0);
        QCOMPARE(s.fake->waitShown, 1);
        QCOMPARE(s.fake->waitDepth, 0);
    }

    // A backup that did not happen says so, and why.
    void backupFailuresSayWhy_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("into the program folder") << "program"
                                                 << "choose a folder other than Tallyfin's own";
        QTest::newRow("while a window holds the file") << "held"
                                                       << "still open in a window";
        QTest::newRow("folder gone") << "gone"
                                     << "is not a folder";
    }
    void backupFailuresSayWhy()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Setup s;
        const QByteArray before = readAll(s.live);
        frmDbutility w;
        DataSource held;
        if (kind == "held")
            QVERIFY(held.open(s.live, "Log"));
        const QString folder = kind == "program" ? s.program : kind == "gone" ? s.root.filePath("gone") : s.backup;
        s.fake->saveAnswers.enqueue(QDir(folder).filePath(kDatabaseFileName));
        click(w, "cmdBackup");
        held.close();
        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Exclamation);
        const QStringList lines = m.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), QStringLiteral("Backup has not been saved."));
        QVERIFY2(lines.last().contains(reason), qPrintable(m.text));
        QCOMPARE(m.waitDepth, 0);
        QCOMPARE(s.fake->waitShown, 1);
        QCOMPARE(s.fake->waitDepth, 0);
        QCOMPARE(readAll(s.live), before);
        QCOMPARE(s.programFiles(), QStringList{kDatabaseFileName});
        QVERIFY(QDir(s.backup).isEmpty());
    }

    void restoreFailures_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"dialog cancelled", "no tfn5.mdb beside the chosen file", "text file", "while a window holds the file"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void restoreFailures()
    {
        QFETCH(QString, kind);
        Setup s;
        const QByteArray before = readAll(s.live);
        makeDatabase(s.backupFile());
        if (kind == "no tfn5.mdb beside the chosen file")
            QVERIFY(QFile::rename(s.backupFile(), QDir(s.backup).filePath("trips.mdb")));
        if (kind == "text file")
            QVERIFY(writeAll(s.backupFile(), "no database here"));
        if (kind != "dialog cancelled")
            s.fake->openAnswers.enqueue(
                QDir(s.backup).filePath(kind == "no tfn5.mdb beside the chosen file" ? "trips.mdb" : "tfn5.mdb"));
        frmDbutility w;
        DataSource held;
        if (kind == "while a window holds the file")
            QVERIFY(held.open(s.live, "Log"));
        click(w, "cmdRestore");
        held.close();

        QCOMPARE(s.fake->openRequests.size(), 1);
        const FileDialogRequest &r = s.fake->openRequests.first();
        QCOMPARE(r.title, QStringLiteral("Restore Backup Database"));
        QCOMPARE(r.initialName, QString());
        QCOMPARE(r.filter, QStringLiteral("Database Files (*.mdb*)|*.mdb"));
        QVERIFY(r.existingOnly);
        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Exclamation);
        QCOMPARE(m.title, QString());
        // The required text, and under it what went wrong (a cancel needs no reason).
        const QStringList lines = m.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), kNotRestored);
        QCOMPARE(lines.size(), kind == "dialog cancelled" ? 1 : 2);
        QCOMPARE(m.waitDepth, 0);
        QCOMPARE(s.fake->waitShown, kind == "dialog cancelled" ? 0 : 1);
        QCOMPARE(readAll(s.live), before);
        QCOMPARE(s.programFiles(), QStringList{kDatabaseFileName});
    }

    void restoreSucceeds()
    {
        Setup s;
        makeDatabase(s.backupFile());
        QVERIFY(execSql(s.backupFile(), "UPDATE Register SET Name = 'Backup Owner'"));
        frmDbutility w;
        const QString sizeAtOpening = child<QLabel>(w, "Label8")->text();
        s.fake->openAnswers.enqueue(s.backupFile());
        click(w, "cmdRestore");
        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Information);
        QCOMPARE(m.text, QStringLiteral("Your backup copy of the database has been restored !"));
        QCOMPARE(m.waitDepth, 0);
        QCOMPARE(s.fake->waitDepth, 0);
        QCOMPARE(readAll(s.live), readAll(s.backupFile()));
        QCOMPARE(child<QLabel>(w, "Label8")->text(), sizeAtOpening);
    }

    // The success message comes up under the wait pointer and before the new size.
    void repairSucceeds()
    {
        Setup s;
        QVERIFY(execSql(s.live, "DELETE FROM Log"));
        const qint64 before = QFileInfo(s.live).size();
        frmDbutility w;
        QString sizeAtMessage;
        s.fake->onMessage = [&] { sizeAtMessage = child<QLabel>(w, "Label9")->text(); };
        click(w, "cmdRepair");

        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Information);
        QCOMPARE(m.title, QString());
        QCOMPARE(m.text, QStringLiteral("DataBase has been repaired !"));
        QCOMPARE(m.waitDepth, 1);
        QCOMPARE(sizeAtMessage, QStringLiteral("?"));
        QCOMPARE(s.fake->waitDepth, 0);
        const qint64 after = QFileInfo(s.live).size();
        QVERIFY(after < before);
        QCOMPARE(child<QLabel>(w, "Label9")->text(), formatSize(after));
        QCOMPARE(child<QLabel>(w, "Label8")->text(), formatSize(before));
        QCOMPARE(s.programFiles(), QStringList{kDatabaseFileName});
    }

    void repairFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("leftover database") << "leftover database"
                                           << "tfn51.mdb is a whole diary";
        QTest::newRow("while a window holds the file") << "while a window holds the file"
                                                       << "still open in a window";
        QTest::newRow("database missing") << "database missing"
                                          << "Cannot find";
    }
    void repairFailures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Setup s;
        const QString leftover = QDir(s.program).filePath(kRepairFileName);
        if (kind == "leftover database")
            makeDatabase(leftover);
        else if (kind == "database missing")
            QVERIFY(QFile::remove(s.live));
        const QByteArray liveBefore = readAll(s.live);
        const QByteArray leftoverBefore = readAll(leftover);
        const QStringList filesBefore = s.programFiles();
        frmDbutility w;
        DataSource held;
        if (kind == "while a window holds the file")
            QVERIFY(held.open(s.live, "Log"));
        click(w, "cmdRepair");
        held.close();

        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Exclamation);
        QCOMPARE(m.title, kNotFoundTitle);
        // The required two lines, and the real reason on a third.
        QVERIFY2(m.text.startsWith(kNotFound + QLatin1Char('\n')), qPrintable(m.text));
        QCOMPARE(m.text.count(QLatin1Char('\n')), 2);
        QVERIFY2(m.text.section(QLatin1Char('\n'), 2).contains(reason), qPrintable(m.text));
        QCOMPARE(m.buttons, MessageButtons::Ok);
        QCOMPARE(m.waitDepth, 0);
        QCOMPARE(s.fake->waitShown, 1);
        QCOMPARE(s.fake->waitDepth, 0);
        QCOMPARE(child<QLabel>(w, "Label9")->text(), QStringLiteral("?"));
        QCOMPARE(readAll(s.live), liveBefore);
        QCOMPARE(readAll(leftover), leftoverBefore);
        QCOMPARE(s.programFiles(), filesBefore);
    }

    // A damaged file is repaired, and the message says what was saved and where the original is.
    void repairOfADamagedFile()
    {
        Setup s;
        QVERIFY(zeroALogPage(s.live));
        frmDbutility w;
        click(w, "cmdRepair");
        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Information);
        const QStringList lines = m.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("DataBase has been repaired !"));
        const int trips = querySingle(s.live, "SELECT count(*) FROM Log").toInt();
        QVERIFY(trips > 150 && trips < 200);
        QVERIFY2(lines.contains(
                     QStringLiteral("Log: %1 rows saved, up to %2 could not be read.").arg(trips).arg(200 - trips)),
                 qPrintable(m.text));
        QVERIFY2(lines.contains(QStringLiteral("Register: 1 rows saved.")), qPrintable(m.text));
        const QString kept = QStringLiteral("tfn5 damaged %1.mdb").arg(QDate::currentDate().toString(Qt::ISODate));
        QVERIFY2(lines.last().contains(kept), qPrintable(m.text));
        QVERIFY(QFileInfo::exists(QDir(s.program).filePath(kept)));
        QCOMPARE(child<QLabel>(w, "Label9")->text(), formatSize(QFileInfo(s.live).size()));
    }

    // Nothing at all can be read: the user is told that, not that the file cannot be found.
    void repairOfAnUnreadableFile()
    {
        Setup s;
        QVERIFY(writeAll(s.live, QByteArray(8192, 'x')));
        frmDbutility w;
        click(w, "cmdRepair");
        QCOMPARE(s.fake->messages.size(), 1);
        const RecordedMessage &m = s.fake->messages.first();
        QCOMPARE(m.icon, MessageIcon::Exclamation);
        QCOMPARE(m.title, QStringLiteral("Database not repaired"));
        QVERIFY2(m.text.startsWith(QStringLiteral("Nothing could be read from the damaged database")),
                 qPrintable(m.text));
        QVERIFY(!m.text.contains(QStringLiteral("Can't find database")));
        QCOMPARE(readAll(s.live), QByteArray(8192, 'x'));
        QCOMPARE(s.programFiles(), QStringList{kDatabaseFileName});
        QCOMPARE(s.fake->waitDepth, 0);
    }

    // Runs last: it ends the application's event loop.
    void closingEndsTheProgram_data()
    {
        QTest::addColumn<bool>("byExit");
        QTest::newRow("Exit") << true;
        QTest::newRow("window closed") << false;
    }
    void closingEndsTheProgram()
    {
        QFETCH(bool, byExit);
        Setup s;
        // Only the window's own quit may end the loop here.
        QApplication::setQuitOnLastWindowClosed(false);
        QWidget other;
        other.show();
        frmDbutility w;
        w.show();
        QTimer::singleShot(0, &w, [&] {
            if (byExit)
                click(w, "cmdExit");
            else
                w.close();
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!w.isVisible());
        QVERIFY(!other.isVisible());
    }
};

TF_TEST_MAIN(TestFrmDbutility)
#include "tst_frmdbutility.moc"
