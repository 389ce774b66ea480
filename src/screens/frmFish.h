#pragma once

// Fish caught on a trip: up to five further fish of a row of table Log, each
// with its species, the lure or bait that took it and a remark. Trips are made
// and removed on the fishing log only, so this screen edits, saves and cancels
// but has no New, no Delete and no count. The editing cycle is RecordCycle's.

#include <QWidget>

class QComboBox;
class QScrollBar;

namespace tf {

class RecordCycle;
class WindowChrome;

class frmFish : public QWidget
{
    Q_OBJECT
public:
    explicit frmFish(QWidget *parent = nullptr);

    // Opens the trips and the species and lure lists; the window opens even
    // when the database cannot be read, says why once it is on screen, and can
    // be closed.
    bool load();
    RecordCycle *cycle() const { return m_cycle; }
    QString databaseProblem() const;

private:
    void buildBars();
    void buildGroups();
    void shareListItems();
    void keepInView(QWidget *field);

    WindowChrome *m_chrome = nullptr;
    RecordCycle *m_cycle = nullptr;
    QWidget *m_viewport = nullptr;
    QWidget *m_content = nullptr;
    QScrollBar *m_scroll = nullptr;
    QComboBox *DBCombo1 = nullptr;
};

} // namespace tf
