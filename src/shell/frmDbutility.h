#pragma once

// The database utility: backs up, restores and repairs tfn5.mdb as a whole file.
// The program opens it only after closing every other window, so nothing holds
// the file; closing it ends the program.

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;
class QStackedLayout;

namespace tf {

class frmDbutility : public QWidget
{
    Q_OBJECT
public:
    explicit frmDbutility(QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QGroupBox *buildTasks();
    QGroupBox *buildDescription();
    QGroupBox *buildBackup();
    QGroupBox *buildRestore();
    QGroupBox *buildRepair();
    void showTask(QGroupBox *panel, QPushButton *action);

    void backup();
    void restore();
    void repair();

    QStackedLayout *m_panels = nullptr;
    QGroupBox *jcFrames5 = nullptr;
    QGroupBox *jcDescrip = nullptr;
    QGroupBox *jcBackup = nullptr;
    QGroupBox *jcRestore = nullptr;
    QGroupBox *jcRepair = nullptr;
    QGroupBox *jcTransfer = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPushButton *cmdDbackup = nullptr;
    QPushButton *cmdDrestore = nullptr;
    QPushButton *cmdDrepair = nullptr;
    QPushButton *cmdDexport = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdBackup = nullptr;
    QPushButton *cmdRestore = nullptr;
    QPushButton *cmdRepair = nullptr;
    QLabel *Label8 = nullptr; // current size
    QLabel *Label9 = nullptr; // size after repair
    bool m_closing = false;
};

} // namespace tf
