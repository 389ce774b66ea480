#pragma once

// The fishing log: one row of table Log per trip. A grid of the trips, newest
// first; a read-only panel of the current trip in browse state and an editing
// panel of every field while a trip is added or changed; sort, utilities,
// search and print. The editing cycle itself is RecordCycle's.

#include <QWidget>

class QComboBox;
class QLabel;

namespace tf {

class RecordCycle;
class WindowChrome;

class frmLogs : public QWidget
{
    Q_OBJECT
public:
    explicit frmLogs(QWidget *parent = nullptr);

    // Opens the trips and the four lookup lists; the window opens even when the
    // database cannot be read, says why once it is on screen, and can be closed.
    bool load();
    RecordCycle *cycle() const { return m_cycle; }
    // What is wrong with the database; empty when all is well.
    QString databaseProblem() const;

private:
    void buildBars();
    void buildReadOnlyPanel();
    void buildEditPanel();
    bool totalFishIsWholeNumber();
    void openBeside(const QString &windowName);
    void showSolunar();

    WindowChrome *m_chrome = nullptr;
    RecordCycle *m_cycle = nullptr;
    QLabel *Label42 = nullptr;    // the date as shown, also the delete prompt's subject
    QComboBox *Combo9 = nullptr;  // Number Fish Caught
    QLabel *lblSolunar = nullptr; // the trip day's solunar periods, beside the date
};

} // namespace tf
