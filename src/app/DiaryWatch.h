#pragma once

// Notices when the diary this program has open is replaced under it: a restore
// or repair by another program, or a file copied over it by hand. The windows'
// connections still read and write the old file, which is gone, so their saves
// would fail or be lost. Before the next click or key reaches a window (the
// next read or write), the file in place is compared with the one opened, by
// device and inode. A replaced diary is said once, and once no window holds
// typing every window is closed and opened again, now on the new file.

#include <QObject>
#include <QString>

namespace tf {

class DiaryWatch : public QObject
{
    Q_OBJECT
public:
    explicit DiaryWatch(const QString &diaryPath, QObject *parent = nullptr);

    // Compares the file in place with the one opened; called before input, and by tests.
    void check();
    bool replacementPending() const { return m_pending; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reopenWhenIdle();

    QString m_path;
    QByteArray m_identity;
    bool m_pending = false;
    bool m_checkQueued = false;
};

} // namespace tf
