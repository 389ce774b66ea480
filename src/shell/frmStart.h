#pragma once

// The control panel: the program's first and central window. It opens every
// main window (and minimizes itself meanwhile), the information windows and the
// owner's details editor, shows whose diary this is, and hands the database to
// the maintenance window on "Exit & Backup Database".

#include "data/DataSource.h"
#include "data/FieldBinding.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace tf {

class WindowChrome;

class frmStart : public QWidget
{
    Q_OBJECT
public:
    explicit frmStart(QWidget *parent = nullptr);

    // Reads the owner's row again and shows it (after the editor's OK).
    void refreshOwner();
    // The diary was made at this start: the owner's details editor opens, so the
    // new owner fills them in; it does not when the row holds anything already.
    void welcomeNewDiary();
    // A problem found before the panel opened (the first start could not make
    // the database); said together with the data source's own complaint.
    void setStartupProblem(const QString &text) { m_startupProblem = text; }
    // What the panel says is wrong with the database; empty when all is well.
    QString databaseProblem() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void openData();
    void showOwner();
    bool ownerRowUntouched() const;
    void openMainWindow(const QString &name);
    void openOwnerEditor();
    void exitAndBackup();
    void setNameHighlighted(bool on);

    DataSource Data1;
    FieldBinding m_owner{&Data1};
    QString m_dataError;
    QString m_startupProblem;

    WindowChrome *m_chrome = nullptr;
    QPushButton *cmdLogs = nullptr;
    QPushButton *cmdBestfish = nullptr;
    QPushButton *cmdGear = nullptr;
    QPushButton *cmdContacts = nullptr;
    QPushButton *cmdUtilities = nullptr;
    QPushButton *cmdBackup = nullptr;
    QToolButton *cmdUpdate = nullptr;
    QToolButton *cmdAbout = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QGroupBox *jcFrames1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
};

} // namespace tf
