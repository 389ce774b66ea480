#pragma once

// Notices when the diary this program has open is replaced under it: a restore
// or repair by another program, or a file copied over it by hand. The windows'
// connections still read and write the old file, which is gone, so their saves
// would be lost. Each connection refuses to write once the file at the path is
// not the one it opened, and says so here; the file is also compared, by device
// and inode, before the next click or key reaches a window. A replaced diary is
// said once, and once no window holds typing every window is closed and opened
// again, now on the new file.

#include <QObject>
#include <QString>

namespace tf {

class DiaryWatch : public QObject
{
    Q_OBJECT
public:
    explicit DiaryWatch(const QString &diaryPath, QObject *parent = nullptr);
    ~DiaryWatch() override;

    // Compares the file in place with the one opened; called before input, and by tests.
    void check();
    bool replacementPending() const { return m_pending; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reopenWhenIdle();
    void checkSoon();

    QString m_path;
    QByteArray m_identity;
    bool m_pending = false;
    bool m_checkQueued = false;
    // A connection found the file replaced, whatever the identity says now.
    bool m_reported = false;
};

} // namespace tf
