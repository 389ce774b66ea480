#pragma once

// One program per diary. The first program on a diary holds a lock file beside
// it and listens on a local socket named after the diary's path; a second start
// on the same diary finds the lock held, asks the first program to bring its
// window to the front and ends. A lock left by a killed program is stale (its
// process is gone) and is taken over without a word.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace tf {

class DiaryGuard : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        Ours,           // this program holds the diary now
        ShownElsewhere, // another program holds it and was asked to show itself
        Busy,           // another program holds it and does not answer; errorText() says so
    };

    explicit DiaryGuard(const QString &diaryPath, QObject *parent = nullptr);
    ~DiaryGuard() override;

    Claim claim();
    QString errorText() const { return m_error; }

    // The lock file and the socket name for a diary.
    static QString lockPath(const QString &diaryPath);
    static QString serverName(const QString &diaryPath);

signals:
    // A second start on this diary asked for the running window.
    void showRequested();

private:
    bool askHolderToShow();
    void listen();

    QString m_diary;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    QString m_error;
};

} // namespace tf
