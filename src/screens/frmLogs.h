#pragma once

// The fishing log: one row of table Log per trip. A grid of the trips, newest
// first; a read-only panel of the current trip in browse state and an editing
// panel of every field while a trip is added or changed; sort, utilities,
// search and print. The editing cycle itself is RecordCycle's.

#include "data/DataSource.h"

#include <QWidget>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTableView;
class QToolButton;

namespace tf {

class RecordCycle;
class WindowChrome;

class frmLogs : public QWidget
{
    Q_OBJECT
public:
    explicit frmLogs(QWidget *parent = nullptr);
    ~frmLogs() override;

    // Opens the trips and the four lookup lists; the window opens even when the
    // database cannot be read, says why once it is on screen, and can be closed.
    bool load();
    RecordCycle *cycle() const { return m_cycle; }
    // What is wrong with the database; empty when all is well.
    QString databaseProblem() const { return m_problem; }

    // The record sources of the two sort buttons.
    static const QString kByDate;
    static const QString kByLake;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void buildReadOnlyPanel();
    void buildEditPanel();
    void buildBars();
    QWidget *addEditField(QWidget *content, int row, const QString &caption, QWidget *field, const QString &column);
    void setUpCycle();
    void fillLookup(DataSource &source, const QString &table, const QString &column, QComboBox *list);
    bool acceptNumberKey(QEvent *event);
    bool totalFishIsWholeNumber();
    void openBeside(const QString &windowName);
    void reportProblem();

    DataSource Data1;
    DataSource DatLakes;
    DataSource DatRamps;
    DataSource DatFish;
    DataSource DatLures;
    RecordCycle *m_cycle = nullptr;
    WindowChrome *m_chrome = nullptr;
    QString m_problem;
    bool m_problemReported = false;
    // Every field and read-only label with its column, bound once the cycle exists.
    QList<QPair<QWidget *, QString>> m_fields;

    QLabel *Label2 = nullptr; // count caption
    QTableView *DBGrid1 = nullptr;
    QToolButton *cmdSearch = nullptr;

    QGroupBox *jcSort = nullptr;
    QPushButton *cmdDate = nullptr;
    QPushButton *cmdLake = nullptr;
    QGroupBox *jcFrames3 = nullptr;
    QPushButton *cmdNotebook = nullptr;
    QPushButton *cmdPicture = nullptr;
    QPushButton *cmdFish = nullptr;
    QGroupBox *jcMenu = nullptr;
    QPushButton *cmdNew = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdPrint = nullptr;
    QGroupBox *jcSave = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *Label1 = nullptr;

    // Read-only panel: viewport, content, scroll bar.
    QWidget *Picture3 = nullptr;
    QWidget *Picture4 = nullptr;
    QScrollBar *VScroll2 = nullptr;
    QLabel *Label42 = nullptr; // the date as shown, also the delete prompt's subject
    QPlainTextEdit *Text12 = nullptr;

    // Editing panel: viewport, content, scroll bar.
    QWidget *Picture1 = nullptr;
    QWidget *Picture2 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QLabel *Label59 = nullptr; // " Edit Mode "
    QDateEdit *DTPicker1 = nullptr;
    QComboBox *DBCombo1 = nullptr;
    QComboBox *DBCombo2 = nullptr;
    QComboBox *DBCombo3 = nullptr;
    QComboBox *DBCombo4 = nullptr;
    QComboBox *Combo9 = nullptr; // Number Fish Caught
    QPlainTextEdit *Text9 = nullptr;
};

} // namespace tf
