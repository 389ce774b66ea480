#include "data/AutoBackup.h"

#include "data/Maintenance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <sys/stat.h>

namespace tf {

namespace {

const QString kNameFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");
// Beside the copies: what the diary looked like when the last one was made.
const QString kLastCopyFile = QStringLiteral("last-copy");
constexpr int kNewestKept = 10;
constexpr int kMonthsKept = 12;

// A diary that was written to has a new size or modification time; one put in
// place by a restore or repair is a new file. Either way it is another diary
// than the one copied last.
QByteArray diaryIdentity(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QStringLiteral("%1 %2 %3 %4.%5")
        .arg(qulonglong(st.st_dev))
        .arg(qulonglong(st.st_ino))
        .arg(qlonglong(st.st_size))
        .arg(qlonglong(st.st_mtim.tv_sec))
        .arg(qlonglong(st.st_mtim.tv_nsec), 9, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

QFileInfoList copyFolders(const QString &backupsFolder)
{
    QFileInfoList found;
    for (const QFileInfo &f : QDir(backupsFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        if (backupTime(f.fileName()).isValid())
            found << f;
    return found;
}

// A free folder name for a copy made at `when`: two closes within a second get " (2)".
QString freeCopyFolder(const QString &backupsFolder, const QDateTime &when)
{
    const QString base = backupFolderName(when);
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(n);
        const QString path = QDir(backupsFolder).filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
}

void removeOld(const QString &backupsFolder, const QDateTime &now)
{
    const QFileInfoList folders = copyFolders(backupsFolder);
    QList<QDateTime> made;
    for (const QFileInfo &f : folders)
        made << backupTime(f.fileName());
    QList<QDateTime> gone = backupsToRemove(made, now);
    // Copies made within the same second share a time: one folder per entry.
    for (const QFileInfo &f : folders)
        if (gone.removeOne(backupTime(f.fileName())))
            QDir(f.filePath()).removeRecursively();
}

} // namespace

QString backupFolderName(const QDateTime &when)
{
    return when.toString(kNameFormat);
}

QDateTime backupTime(const QString &folderName)
{
    // "2026-12-09 14-05-31", or with " (2)" after it.
    QString stamp = folderName;
    if (stamp.size() > kNameFormat.size() && stamp.at(kNameFormat.size()) == QLatin1Char(' '))
        stamp.truncate(kNameFormat.size());
    return QDateTime::fromString(stamp, kNameFormat);
}

QList<QDateTime> backupsToRemove(QList<QDateTime> made, const QDateTime &now)
{
    std::sort(made.begin(), made.end(), std::greater<>());
    QSet<int> kept; // indexes into made, newest first
    for (int i = 0; i < made.size() && i < kNewestKept; ++i)
        kept.insert(i);
    const int thisMonth = now.date().year() * 12 + now.date().month() - 1;
    QSet<int> monthsSeen;
    for (int i = 0; i < made.size(); ++i) {
        const int month = made[i].date().year() * 12 + made[i].date().month() - 1;
        if (month > thisMonth || month <= thisMonth - kMonthsKept || monthsSeen.contains(month))
            continue;
        monthsSeen.insert(month);
        kept.insert(i);
    }
    QList<QDateTime> gone;
    for (int i = 0; i < made.size(); ++i)
        if (!kept.contains(i))
            gone << made[i];
    return gone;
}

AutoBackupResult makeAutomaticBackup(const QString &dataFolder, const QString &backupsFolder, const QDateTime &now)
{
    AutoBackupResult result;
    const QString live = QDir(dataFolder).filePath(kDatabaseFileName);
    if (!QFileInfo(live).isFile()) {
        result.outcome = AutoBackupResult::Outcome::NoDiary;
        return result;
    }
    const QString lastCopy = QDir(backupsFolder).filePath(kLastCopyFile);
    const QByteArray before = diaryIdentity(live);
    if (!before.isEmpty() && before == readAll(lastCopy) && !copyFolders(backupsFolder).isEmpty()) {
        result.outcome = AutoBackupResult::Outcome::Unchanged;
        return result;
    }

    auto fail = [&](const QString &error) {
        result.outcome = AutoBackupResult::Outcome::Failed;
        result.error = error;
        return result;
    };
    if (!QDir().mkpath(backupsFolder))
        return fail(QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(backupsFolder)));
    const QString folder = freeCopyFolder(backupsFolder, now);
    if (!QDir().mkdir(folder))
        return fail(QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(folder)));
    const QString copy = QDir(folder).filePath(kDatabaseFileName);
    Status done = backupDatabase(dataFolder, folder);
    if (done)
        done = verifyDatabase(copy);
    if (!done) {
        // Half a copy takes the room a later one needs and would be restored in good faith.
        QDir(folder).removeRecursively();
        return fail(done.error);
    }

    // The diary as it was copied (settling a journal may have touched it).
    QSaveFile record(lastCopy);
    if (record.open(QIODevice::WriteOnly)) {
        record.write(diaryIdentity(live));
        record.commit();
    }
    removeOld(backupsFolder, now);
    result.outcome = AutoBackupResult::Outcome::Made;
    result.copy = copy;
    return result;
}

} // namespace tf
