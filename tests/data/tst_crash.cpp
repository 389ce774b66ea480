#include "TestFolder.h"
#include "data/Schema.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

using namespace tf;
using namespace tf::test;

// A program killed at any moment must not lose a save it reported done, nor
// leave a damaged file.
class TestCrash : public QObject
{
    Q_OBJECT
private slots:
    void killedWhileSaving()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tfn5.mdb");
        makeDatabase(path);
        QRandomGenerator rng(20261208);
        const int rounds =
            qEnvironmentVariableIntValue("TF_CRASH_ROUNDS") > 0 ? qEnvironmentVariableIntValue("TF_CRASH_ROUNDS") : 200;
        int next = 0;
        int reportedTotal = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.start(QStringLiteral(TF_CRASH_CHILD), {path, QString::number(next)});
            QVERIFY(child.waitForStarted());
            // Kill it while it is saving: after its first save, at a random moment.
            QVERIFY(child.waitForReadyRead(20000));
            QThread::usleep(rng.bounded(0u, 20000u));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            QList<int> reported;
            for (const QByteArray &l : lines)
                if (!l.trimmed().isEmpty())
                    reported << l.toInt();
            for (int n : reported) {
                const QString sql =
                    (n % 3 == 2)
                        ? QStringLiteral("SELECT count(*) FROM Log WHERE ' ' || Remarks1 || ' ' LIKE '% e%1 %'").arg(n)
                        : QStringLiteral("SELECT count(*) FROM Log WHERE Notes = 'row %1'").arg(n);
                QVERIFY2(querySingle(path, sql).toInt() >= 1, qPrintable(QStringLiteral("lost save %1").arg(n)));
            }
            reportedTotal += int(reported.size());
            next += int(reported.size()) + 1;
            QCOMPARE(querySingle(path, "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        }
        QVERIFY(reportedTotal >= rounds);
        qInfo("%d rounds, %d saves reported", rounds, reportedTotal);
    }
};

TF_CORE_TEST_MAIN(TestCrash)
#include "tst_crash.moc"
