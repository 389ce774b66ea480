#pragma once

// The utilities menu, "Fishing Utilities": the second-level menu of the less frequent
// windows. Each of its windows but the moon window makes the menu step aside (minimize)
// and puts it back when it closes; closing the menu puts the control panel back.
//
// Windows are opened by name through the registry, so a window not built yet is simply
// not there to open and its button does nothing.

#include <QWidget>

class QLabel;
class QPushButton;

namespace tf {

class WindowChrome;

class frmUtilities : public QWidget
{
    Q_OBJECT
public:
    explicit frmUtilities(QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *addButton(const char *name, const QString &caption, const QString &window, bool minimize);

    WindowChrome *m_chrome = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QPushButton *cmdMemberships = nullptr;
    QPushButton *cmdPatterns = nullptr;
    QPushButton *cmdOptions = nullptr;
    QPushButton *cmdReminders = nullptr;
    QPushButton *cmdCalendar = nullptr;
    QPushButton *cmdLunar = nullptr;
    QPushButton *cmdStatistics = nullptr;
    int m_nextButtonY = 0;
};

} // namespace tf
