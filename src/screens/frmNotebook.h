#pragma once

// The fishing notebook: extra notes on a trip, kept in the Notebook column of
// its row of table Log. Trips are chosen here, never added or removed, so the
// screen edits, saves and cancels the notes of the trip shown, and prints the
// diary. The editing cycle is RecordCycle's.

#include <QWidget>

namespace tf {

class RecordCycle;
class WindowChrome;

class frmNotebook : public QWidget
{
    Q_OBJECT
public:
    explicit frmNotebook(QWidget *parent = nullptr);

    // Opens the trips; the window opens even when the database cannot be read,
    // says why once it is on screen, and can be closed.
    bool load();
    RecordCycle *cycle() const { return m_cycle; }
    QString databaseProblem() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildBars();

    WindowChrome *m_chrome = nullptr;
    RecordCycle *m_cycle = nullptr;
};

} // namespace tf
