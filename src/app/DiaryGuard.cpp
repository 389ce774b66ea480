#include "app/DiaryGuard.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace tf {

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShown = "shown\n";

// The same diary reached by another spelling of its path (a symbolic link, "..")
// is the same diary.
QString diaryKey(const QString &diaryPath)
{
    const QFileInfo info(diaryPath);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return QDir(folder.isEmpty() ? info.absolutePath() : folder).filePath(info.fileName());
}

} // namespace

DiaryGuard::DiaryGuard(const QString &diaryPath, QObject *parent)
    : QObject(parent), m_diary(diaryPath), m_lock(lockPath(diaryPath))
{
    // Only a lock whose process is gone is stale; a program left open for days keeps its diary.
    m_lock.setStaleLockTime(0);
}

DiaryGuard::~DiaryGuard() = default;

QString DiaryGuard::lockPath(const QString &diaryPath)
{
    const QFileInfo info(diaryPath);
    return QDir(info.absolutePath()).filePath(QLatin1Char('.') + info.completeBaseName() + QStringLiteral(".lock"));
}

QString DiaryGuard::serverName(const QString &diaryPath)
{
    const QByteArray hash = QCryptographicHash::hash(diaryKey(diaryPath).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("tallyfin-") + QString::fromLatin1(hash.toHex().left(20));
}

DiaryGuard::Claim DiaryGuard::claim()
{
    // The lock file's folder is the data folder, made before the diary is.
    QDir().mkpath(QFileInfo(m_lock.fileName()).absolutePath());
    // A program just starting holds the lock a moment before it listens.
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (m_lock.tryLock(0)) {
            listen();
            return Claim::Ours;
        }
        if (m_lock.error() != QLockFile::LockFailedError) {
            // A folder that cannot be written: the lock cannot protect anything
            // there, and the diary's own errors will say what is wrong.
            return Claim::Ours;
        }
        if (askHolderToShow())
            return Claim::ShownElsewhere;
        QThread::msleep(200);
    }
    qint64 pid = 0;
    QString host, app;
    m_lock.getLockInfo(&pid, &host, &app);
    m_error = QStringLiteral("The diary %1 is open in another Tallyfin (process %2), which does not answer.")
                  .arg(QDir::toNativeSeparators(m_diary))
                  .arg(pid);
    return Claim::Busy;
}

bool DiaryGuard::askHolderToShow()
{
    QLocalSocket socket;
    socket.connectToServer(serverName(m_diary));
    if (!socket.waitForConnected(500))
        return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(1000))
        return false;
    while (socket.bytesAvailable() < kShown.size())
        if (!socket.waitForReadyRead(2000))
            return false;
    return socket.readAll().startsWith(kShown);
}

void DiaryGuard::listen()
{
    const QString name = serverName(m_diary);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name is a killed program's leftover.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kShowRequest) {
                    emit showRequested();
                    socket->write(kShown);
                    socket->flush();
                }
            });
        }
    });
}

} // namespace tf
