#include "app/DiaryWatch.h"

#include "data/DataSource.h"
#include "platform/Platform.h"
#include "shell/PendingRows.h"
#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace tf {

namespace {

QString fullPath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

} // namespace

DiaryWatch::DiaryWatch(const QString &diaryPath, QObject *parent)
    : QObject(parent), m_path(diaryPath), m_identity(fileIdentity(diaryPath))
{
    qApp->installEventFilter(this);
    // Told by a connection that refused to write, on whichever thread it runs;
    // the handler is gone before this object is.
    setReplacedFileHandler([this, diary = fullPath(diaryPath)](const QString &path) {
        if (fullPath(path) != diary)
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_reported = true;
                checkSoon();
            },
            Qt::QueuedConnection);
    });
}

DiaryWatch::~DiaryWatch()
{
    setReplacedFileHandler({});
}

bool DiaryWatch::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::WindowActivate:
        checkSoon();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DiaryWatch::checkSoon()
{
    // Once per burst of input; the message comes from the event loop, not
    // from inside another widget's event.
    if (m_checkQueued)
        return;
    m_checkQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_checkQueued = false;
        check();
    });
}

void DiaryWatch::check()
{
    if (m_pending) {
        reopenWhenIdle();
        return;
    }
    const QByteArray now = fileIdentity(m_path);
    const bool reported = std::exchange(m_reported, false);
    if (now.isEmpty() || (now == m_identity && !reported))
        return; // a missing diary is each window's own message
    if (DataSource::openCount(m_path) == 0) {
        // Nothing of ours holds the old file (our own restore or repair closes
        // every window first): the next window opens the new one anyway.
        m_identity = now;
        return;
    }
    m_pending = true;
    showMessage(nullptr, MessageIcon::Exclamation,
                QStringList{QStringLiteral("Your diary %1 has been replaced by another file (a restore or repair in "
                                           "another Tallyfin, or a copy put there by hand).")
                                .arg(QDir::toNativeSeparators(m_path)),
                            QStringLiteral("What the windows show is from the old file, and nothing more can be "
                                           "saved into it. Tallyfin opens the new diary as soon as no window holds "
                                           "a row you are typing: save fails now, so note that typing and "
                                           "click Cancel.")}
                    .join(QLatin1Char('\n')));
    reopenWhenIdle();
}

void DiaryWatch::reopenWhenIdle()
{
    if (!PendingRows::describeAll().isEmpty())
        return;
    QStringList names;
    for (QWidget *w : WindowRegistry::openWindows())
        names << w->objectName();
    // Between closing the last window and opening the first again, none is open;
    // that must not end the program.
    const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    WindowRegistry::closeAll();
    m_identity = fileIdentity(m_path);
    m_pending = false;
    for (const QString &name : names)
        WindowRegistry::open(name);
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);
}

} // namespace tf
