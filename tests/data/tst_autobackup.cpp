#include "TestFolder.h"
#include "data/AutoBackup.h"
#include "data/Schema.h"

#include <QDir>
#include <QtTest>

using namespace tf;
using namespace tf::test;

namespace {

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
}

QStringList copiesIn(const QString &backups)
{
    return QDir(backups).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestAutoBackup : public QObject
{
    Q_OBJECT
private slots:
    void rotation_data();
    void rotation();
    void copiesOnlyAChangedDiary();
    void failedCopyLeavesEverythingAsItWas_data();
    void failedCopyLeavesEverythingAsItWas();
};

void TestAutoBackup::rotation_data()
{
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QStringList>("removed");

    QStringList daily; // one a day, 1 to 14 December
    for (int d = 1; d <= 14; ++d)
        daily << QStringLiteral("2026-12-%1 20:00").arg(d, 2, 10, QLatin1Char('0'));
    QTest::newRow("ten or fewer stay") << daily.mid(0, 10) << "2026-12-14 21:00" << QStringList{};
    // December's newest is among the ten already.
    QTest::newRow("the oldest of this month go beyond ten")
        << daily << "2026-12-14 21:00"
        << QStringList{"2026-12-04 20:00", "2026-12-03 20:00", "2026-12-02 20:00", "2026-12-01 20:00"};

    QStringList monthly = daily;
    monthly << "2026-11-30 08:00"
            << "2026-11-02 08:00"
            << "2026-01-15 08:00"
            << "2025-12-31 23:59"
            << "2025-12-20 08:00";
    // November keeps its newest; January is the twelfth month back and keeps its
    // one; last December is thirteen months back and goes.
    QTest::newRow("newest of each of the last twelve months")
        << monthly << "2026-12-14 21:00"
        << QStringList{"2026-12-04 20:00", "2026-12-03 20:00", "2026-12-02 20:00", "2026-12-01 20:00",
                       "2026-11-02 08:00", "2025-12-31 23:59", "2025-12-20 08:00"};
    QTest::newRow("a clock set back keeps the newest ten")
        << QStringList{"2027-03-01 10:00", "2027-02-01 10:00"} << "2026-12-14 21:00" << QStringList{};
}

void TestAutoBackup::rotation()
{
    QFETCH(QStringList, made);
    QFETCH(QString, now);
    QFETCH(QStringList, removed);
    QList<QDateTime> times;
    for (const QString &m : made)
        times << at(m);
    QStringList gone;
    for (const QDateTime &t : backupsToRemove(times, at(now)))
        gone << t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    QCOMPARE(gone, removed);
}

void TestAutoBackup::copiesOnlyAChangedDiary()
{
    QTemporaryDir dir;
    const QString diary = dir.filePath(kDatabaseFileName), backups = dir.filePath(QStringLiteral("Backups"));
    makeDatabase(diary);
    QVERIFY(execSql(diary, QStringLiteral("INSERT INTO Log (Lake) VALUES ('Lake Ellen')")));
    // Copies left from earlier months and a folder of the user's own.
    QVERIFY(QDir().mkpath(QDir(backups).filePath(QStringLiteral("2026-10-03 18-00-00"))));
    QVERIFY(QDir().mkpath(QDir(backups).filePath(QStringLiteral("2026-10-01 18-00-00"))));
    QVERIFY(QDir().mkpath(QDir(backups).filePath(QStringLiteral("my own copies"))));

    const AutoBackupResult first = makeAutomaticBackup(dir.path(), backups, at("2026-12-09 18:42"));
    QCOMPARE(int(first.outcome), int(AutoBackupResult::Outcome::Made));
    QCOMPARE(first.copy, QDir(backups).filePath(QStringLiteral("2026-12-09 18-42-00/tfn5.mdb")));
    QVERIFY(verifyDatabase(first.copy).ok);
    QCOMPARE(querySingle(first.copy, QStringLiteral("SELECT Lake FROM Log")).toString(), QStringLiteral("Lake Ellen"));
    QCOMPARE(copiesIn(backups),
             (QStringList{"2026-10-01 18-00-00", "2026-10-03 18-00-00", "2026-12-09 18-42-00", "my own copies"}));

    const AutoBackupResult again = makeAutomaticBackup(dir.path(), backups, at("2026-12-09 19:00"));
    QCOMPARE(int(again.outcome), int(AutoBackupResult::Outcome::Unchanged));

    QVERIFY(execSql(diary, QStringLiteral("INSERT INTO Log (Lake) VALUES ('Round Lake')")));
    for (int i = 0; i < 10; ++i) {
        // Same second twice: the second copy gets a name of its own.
        QVERIFY(execSql(diary, QStringLiteral("UPDATE Log SET Notes = '%1'").arg(i)));
        const AutoBackupResult r = makeAutomaticBackup(dir.path(), backups, at("2026-12-10 07:00"));
        QCOMPARE(int(r.outcome), int(AutoBackupResult::Outcome::Made));
    }
    const QStringList after = copiesIn(backups);
    QCOMPARE(after.size(), 12); // ten newest, October's newest, the user's folder
    QVERIFY(after.contains(QStringLiteral("2026-10-03 18-00-00")));
    QVERIFY(!after.contains(QStringLiteral("2026-10-01 18-00-00")));
    QVERIFY(!after.contains(QStringLiteral("2026-12-09 18-42-00")));
    QVERIFY(after.contains(QStringLiteral("2026-12-10 07-00-00 (10)")));
    QVERIFY(after.contains(QStringLiteral("my own copies")));
}

void TestAutoBackup::failedCopyLeavesEverythingAsItWas_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("backups folder cannot be made") << "Backups is a file";
    QTest::newRow("copy fails verification") << "damaged diary";
}

void TestAutoBackup::failedCopyLeavesEverythingAsItWas()
{
    QFETCH(QString, fault);
    QTemporaryDir dir;
    const QString diary = dir.filePath(kDatabaseFileName), backups = dir.filePath(QStringLiteral("Backups"));
    makeDatabase(diary);
    QVERIFY(execSql(diary, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                                          "2000) INSERT INTO Log (Lake, Notes) SELECT 'Lake ' || i, "
                                          "printf('%.200c', 'x') FROM n")));
    QStringList old;
    if (fault == QLatin1String("Backups is a file")) {
        QVERIFY(writeAll(backups, "not a folder"));
    } else {
        for (int d = 1; d <= 12; ++d) {
            old << QStringLiteral("2026-11-%1 08-00-00").arg(d, 2, 10, QLatin1Char('0'));
            QVERIFY(QDir().mkpath(QDir(backups).filePath(old.last())));
        }
        QVERIFY(damageTablePage(QStringLiteral("Log"), diary, true));
    }
    const QByteArray before = readAll(diary);

    const AutoBackupResult r = makeAutomaticBackup(dir.path(), backups, at("2026-12-09 18:42"));
    QCOMPARE(int(r.outcome), int(AutoBackupResult::Outcome::Failed));
    QVERIFY(!r.error.isEmpty());
    QCOMPARE(readAll(diary), before);
    // No half copy to restore by mistake, and not one old copy gone for it.
    if (!old.isEmpty())
        QCOMPARE(copiesIn(backups), old);
}

TF_CORE_TEST_MAIN(TestAutoBackup)
#include "tst_autobackup.moc"
