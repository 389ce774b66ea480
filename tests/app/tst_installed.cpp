#include "FakePlatform.h"
#include "ScreenDriver.h"
#include "TestMain.h"
#include "app/DiaryGuard.h"
#include "app/DiaryWatch.h"
#include "app/Startup.h"
#include "data/AutoBackup.h"
#include "data/DataSource.h"
#include "platform/FileLocations.h"
#include "screens/frmLogs.h"
#include "shell/PendingRows.h"
#include "shell/WindowRegistry.h"
#include "shell/frmDbutility.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTableView>
#include <QtConcurrent>
#include <unistd.h>

using namespace tf;
using namespace tf::test;

class TestInstalled : public QObject
{
    Q_OBJECT
private slots:
    void secondStartShowsTheFirst();
    void staleLockNeverBlocksAStart();
    void failedAutomaticBackupIsSaidOnce();
    void utilityShowsTheDiaryAndRestoresFromBackups();
    void replacedDiaryIsReopenedWhenNothingIsTyped();
    void tripSavedIntoAReplacedDiaryIsRefused();
};

void TestInstalled::secondStartShowsTheFirst()
{
    FakePlatformScope scope;
    const QString diary = scope.file(QStringLiteral("tfn5.mdb"));
    DiaryGuard first(diary);
    QCOMPARE(first.claim(), DiaryGuard::Claim::Ours);
    int shown = 0;
    connect(&first, &DiaryGuard::showRequested, this, [&] { ++shown; });

    // The second program blocks while it asks; the first answers from its event loop.
    QFuture<DiaryGuard::Claim> second = QtConcurrent::run([diary] {
        DiaryGuard guard(diary);
        return guard.claim();
    });
    QTRY_VERIFY_WITH_TIMEOUT(second.isFinished(), 10000);
    QCOMPARE(second.result(), DiaryGuard::Claim::ShownElsewhere);
    QCOMPARE(shown, 1);
}

void TestInstalled::staleLockNeverBlocksAStart()
{
    FakePlatformScope scope;
    const QString diary = scope.file(QStringLiteral("tfn5.mdb"));
    // The lock of a program that was killed: its process is gone.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    QByteArray lock = QByteArray::number(pid) + "\ntrue\n" + QSysInfo::machineHostName().toUtf8() + '\n' +
                      QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
    QVERIFY(writeAll(DiaryGuard::lockPath(diary), lock));

    DiaryGuard guard(diary);
    QCOMPARE(guard.claim(), DiaryGuard::Claim::Ours);
}

void TestInstalled::failedAutomaticBackupIsSaidOnce()
{
    FakePlatformScope scope;
    makeDatabase(scope.file(QStringLiteral("tfn5.mdb")));
    QVERIFY(writeAll(scope.file(QStringLiteral("Backups")), "a file where the folder should be"));
    const AutoBackupResult failed = backupOnClose();
    QCOMPARE(int(failed.outcome), int(AutoBackupResult::Outcome::Failed));
    QCOMPARE(scope.fake().messages.size(), 1);
    QVERIFY(scope.fake().lastMessageText().startsWith(
        QStringLiteral("Tallyfin could not make its automatic backup copy of your diary.")));

    QVERIFY(QFile::remove(scope.file(QStringLiteral("Backups"))));
    const AutoBackupResult made = backupOnClose();
    QCOMPARE(int(made.outcome), int(AutoBackupResult::Outcome::Made));
    QCOMPARE(scope.fake().messages.size(), 1); // a good copy is made without a word
}

void TestInstalled::utilityShowsTheDiaryAndRestoresFromBackups()
{
    FakePlatformScope scope;
    QTemporaryDir home;
    const QString data = home.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(QDir(data).filePath(QStringLiteral("Backups"))));
    makeDatabase(QDir(data).filePath(QStringLiteral("tfn5.mdb")));
    setFileLayout(FileLayout{false, scope.folder(), data});
    {
        frmDbutility w;
        QVERIFY(
            w.findChild<QLabel *>(QStringLiteral("lblDiaryPath"))->text().endsWith(QDir(data).filePath("tfn5.mdb")));
        w.findChild<QPushButton *>(QStringLiteral("cmdRestore"))->click();
        QCOMPARE(scope.fake().openRequests.size(), 1);
        QCOMPARE(scope.fake().openRequests[0].initialFolder, QDir(data).filePath(QStringLiteral("Backups")));
    }
    setFileLayout(std::nullopt);
}

void TestInstalled::replacedDiaryIsReopenedWhenNothingIsTyped()
{
    FakePlatformScope scope;
    const QString diary = scope.file(QStringLiteral("tfn5.mdb"));
    makeDatabase(diary);
    // A window reading the trips, as every record screen does.
    WindowRegistry::define(QStringLiteral("tripsWindow"), [diary] {
        auto *w = new QWidget;
        w->setObjectName(QStringLiteral("tripsWindow"));
        auto *source = new DataSource(w);
        source->setObjectName(QStringLiteral("source"));
        source->open(diary, QStringLiteral("Log"));
        return w;
    });
    QWidget *before = WindowRegistry::open(QStringLiteral("tripsWindow"));
    QVERIFY(before);
    DiaryWatch watch(diary);
    watch.check();
    QCOMPARE(scope.fake().messages.size(), 0);

    // Replaced as a restore in another program does it: a new file renamed over the old.
    const QString other = scope.file(QStringLiteral("restored.mdb"));
    makeDatabase(other);
    QVERIFY(execSql(other, QStringLiteral("INSERT INTO Log (Lake) VALUES ('Lake Ellen')")));
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(diary).constData()) == 0);
    QObject typing;
    QString pending = QStringLiteral("Fishing Logs");
    PendingRows::add(&typing, [&] { return pending; });

    watch.check();
    QCOMPARE(scope.fake().messages.size(), 1);
    QVERIFY(scope.fake().lastMessageText().contains(QStringLiteral("has been replaced")));
    QVERIFY(watch.replacementPending()); // typing is never thrown away
    QCOMPARE(WindowRegistry::find(QStringLiteral("tripsWindow")), before);
    watch.check();
    QCOMPARE(scope.fake().messages.size(), 1); // said once

    pending.clear();
    watch.check();
    QVERIFY(!watch.replacementPending());
    QWidget *after = WindowRegistry::find(QStringLiteral("tripsWindow"));
    QVERIFY(after);
    QCOMPARE(after->findChild<DataSource *>(QStringLiteral("source"))->recordCount(), 1); // the new file's trip
    watch.check();
    QCOMPARE(scope.fake().messages.size(), 1);
    WindowRegistry::closeAll();
}

void TestInstalled::tripSavedIntoAReplacedDiaryIsRefused()
{
    FakePlatformScope scope;
    const QString diary = scope.file(QStringLiteral("tfn5.mdb"));
    makeDatabase(diary);
    ScreenDriver ui(scope.fake());
    QVERIFY(ui.open<frmLogs>());
    DiaryWatch watch(diary);
    QVERIFY(ui.click(QStringLiteral("cmdNew")));
    ui.get<QComboBox>(QStringLiteral("DBCombo1"))->setEditText(QStringLiteral("Lake Ellen"));

    // Replaced while the trip is typed; the file the window opened stays
    // reachable by a second name.
    const QString opened = scope.file(QStringLiteral("opened.mdb"));
    QVERIFY(::link(QFile::encodeName(diary).constData(), QFile::encodeName(opened).constData()) == 0);
    const QString other = scope.file(QStringLiteral("restored.mdb"));
    makeDatabase(other);
    QVERIFY(execSql(other, QStringLiteral("INSERT INTO Log (Lake) VALUES ('Pine Lake')")));
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(diary).constData()) == 0);

    const auto saidReplaced = [&] {
        int n = 0;
        for (const RecordedMessage &m : scope.fake().messages)
            n += m.text.contains(QStringLiteral("has been replaced by another file"));
        return n;
    };
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QVERIFY(ui.click(QStringLiteral("cmdSave")));
        QTRY_COMPARE(saidReplaced(), 1);
    }
    QCOMPARE(scope.fake().messages[0].text.section(QLatin1Char('\n'), 0, 1),
             QStringLiteral("This Log could not be saved:\n") + replacedFileText(diary));
    QCOMPARE(querySingle(opened, QStringLiteral("SELECT count(*) FROM Log")).toInt(), 0);
    QCOMPARE(querySingle(diary, QStringLiteral("SELECT group_concat(Lake) FROM Log")).toString(),
             QStringLiteral("Pine Lake"));
    QCOMPARE(ui.get<QComboBox>(QStringLiteral("DBCombo1"))->currentText(), QStringLiteral("Lake Ellen"));

    ui.answerNext(MessageAnswer::Yes); // discard the typing
    QVERIFY(ui.click(QStringLiteral("cmdCancel")));
    QTRY_VERIFY(!watch.replacementPending());
    QWidget *logs = WindowRegistry::find(WindowRegistry::nameOf<frmLogs>());
    QVERIFY(logs);
    const QAbstractItemModel *rows = logs->findChild<QTableView *>(QStringLiteral("DBGrid1"))->model();
    QCOMPARE(rows->rowCount(), 1);
    QCOMPARE(rows->index(0, 1).data().toString(), QStringLiteral("Pine Lake"));
    QCOMPARE(saidReplaced(), 1);
    WindowRegistry::closeAll();
}

TF_TEST_MAIN(TestInstalled)
#include "tst_installed.moc"
