#include "FakePlatform.h"
#include "TestFolder.h"
#include "platform/FileLocations.h"

#include <QDir>
#include <QtTest>

using namespace tf;
using namespace tf::test;

class TestFileLocations : public QObject
{
    Q_OBJECT
private slots:
    void layoutOfTheExecutableFolder_data();
    void layoutOfTheExecutableFolder();
    void eachFileInBothLayouts_data();
    void eachFileInBothLayouts();
    void unsetLayoutFollowsTheProgramFolder();
};

void TestFileLocations::layoutOfTheExecutableFolder_data()
{
    QTest::addColumn<QString>("executableFolder"); // "<tmp>" is a fresh writable folder
    QTest::addColumn<bool>("withDiary");
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("shippedFolder");

    QTest::newRow("writable folder of its own") << "<tmp>" << false << true << "<tmp>";
    QTest::newRow("folder that already holds a diary") << "<tmp>" << true << true << "<tmp>";
    // Root may write /usr/bin; it is still an installed program.
    QTest::newRow("installed in /usr/bin") << "/usr/bin" << false << false << "/usr/share/tallyfin";
    QTest::newRow("installed in /opt") << "/opt/tallyfin/bin" << false << false << "/opt/tallyfin/share/tallyfin";
    QTest::newRow("folder nobody can write")
        << "/nonexistent-tallyfin/bin" << false << false << "/nonexistent-tallyfin/share/tallyfin";
}

void TestFileLocations::layoutOfTheExecutableFolder()
{
    QFETCH(QString, executableFolder);
    QFETCH(bool, withDiary);
    QFETCH(bool, portable);
    QFETCH(QString, shippedFolder);
    QTemporaryDir tmp;
    executableFolder.replace(QStringLiteral("<tmp>"), tmp.path());
    shippedFolder.replace(QStringLiteral("<tmp>"), tmp.path());
    if (withDiary)
        QVERIFY(writeAll(QDir(executableFolder).filePath(QStringLiteral("tfn5.mdb")), "x"));

    const QString userData = QStringLiteral("/home/angler/.local/share/Tallyfin");
    const FileLayout layout = chooseFileLayout(executableFolder, userData, QStringLiteral("tfn5.mdb"));
    QCOMPARE(layout.portable, portable);
    QCOMPARE(layout.shippedFolder, shippedFolder);
    QCOMPARE(layout.dataFolder, portable ? executableFolder : userData);
}

void TestFileLocations::eachFileInBothLayouts_data()
{
    QTest::addColumn<bool>("portable");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("userCopy"); // the data folder holds a file of that name
    QTest::addColumn<QString>("expected");

    const int userData = int(FileRole::UserData), shipped = int(FileRole::Shipped), report = int(FileRole::Report),
              backups = int(FileRole::Backups);
    QTest::newRow("installed: diary") << false << userData << "tfn5.mdb" << false << "<data>/tfn5.mdb";
    QTest::newRow("installed: repair copy") << false << userData << "tfn51.mdb" << false << "<data>/tfn51.mdb";
    QTest::newRow("installed: help") << false << shipped << "tfnhelp.chm" << false << "<shipped>/tfnhelp.chm";
    QTest::newRow("installed: shipped report") << false << report << "log.rpt" << false << "<shipped>/log.rpt";
    QTest::newRow("installed: the user's report wins") << false << report << "log.rpt" << true << "<data>/log.rpt";
    QTest::newRow("installed: report named the old way")
        << false << report << "\\log.rpt" << false << "<shipped>/log.rpt";
    QTest::newRow("installed: backups") << false << backups << "" << false << "<data>/Backups";
    QTest::newRow("portable: diary") << true << userData << "tfn5.mdb" << false << "<exe>/tfn5.mdb";
    QTest::newRow("portable: help") << true << shipped << "tfnhelp.chm" << false << "<exe>/tfnhelp.chm";
    QTest::newRow("portable: report") << true << report << "log.rpt" << true << "<exe>/log.rpt";
    QTest::newRow("portable: backups") << true << backups << "" << false << "<exe>/Backups";
}

void TestFileLocations::eachFileInBothLayouts()
{
    QFETCH(bool, portable);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(bool, userCopy);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    const QString data = tmp.filePath(QStringLiteral("data")), shipped = tmp.filePath(QStringLiteral("share")),
                  exe = tmp.filePath(QStringLiteral("exe"));
    for (const QString &f : {data, shipped, exe})
        QVERIFY(QDir().mkpath(f));
    if (userCopy)
        QVERIFY(writeAll(QDir(portable ? exe : data).filePath(QStringLiteral("log.rpt")), "mine"));

    setFileLayout(portable ? FileLayout{true, exe, exe} : FileLayout{false, shipped, data});
    const QString path = filePath(FileRole(role), name);
    setFileLayout(std::nullopt);
    expected.replace(QStringLiteral("<data>"), data)
        .replace(QStringLiteral("<shipped>"), shipped)
        .replace(QStringLiteral("<exe>"), exe);
    QCOMPARE(path, expected);
}

void TestFileLocations::unsetLayoutFollowsTheProgramFolder()
{
    // Tests and the portable program: whatever folder the platform names.
    FakePlatformScope scope;
    QCOMPARE(filePath(FileRole::UserData, QStringLiteral("tfn5.mdb")), scope.file(QStringLiteral("tfn5.mdb")));
    scope.fake().setProgramFolder(scope.file(QStringLiteral("elsewhere")));
    QCOMPARE(filePath(FileRole::Report, QStringLiteral("log.rpt")),
             QDir(scope.file(QStringLiteral("elsewhere"))).filePath(QStringLiteral("log.rpt")));
}

TF_CORE_TEST_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
