#pragma once

// The gear log: three inventories in one window (rods and reels, boats and
// motors, other equipment), one on screen at a time behind a selector. Each
// list is a record screen of its own, with its own rows, grid, fields, bars and
// editing cycle; the three differ only in what the table of lists declares.

#include <QList>
#include <QWidget>

class QAbstractButton;
class QLabel;

namespace tf {

class RecordCycle;
class WindowChrome;

class frmGear : public QWidget
{
    Q_OBJECT
public:
    enum List { Rods, Boats, Equipment };
    static constexpr int kListCount = 3;

    explicit frmGear(QWidget *parent = nullptr);

    // Opens the three lists; the window opens even when the database cannot be
    // read, says why once it is on screen, and can be closed.
    bool load();
    RecordCycle *cycle(List list) const { return m_lists[list].cycle; }
    List currentList() const { return m_current; }
    // What a selector button does: shows that list and its count.
    void showList(List list);
    // What is wrong with the database; empty when all is well.
    QString databaseProblem() const;

private:
    struct ListParts
    {
        QWidget *panel = nullptr;
        QAbstractButton *selector = nullptr;
        RecordCycle *cycle = nullptr;
    };

    void buildList(List list);
    void showCount(List list, int count);
    bool fillNoneFields(List list);

    WindowChrome *m_chrome = nullptr;
    QLabel *Label22 = nullptr; // the count caption of the list on screen
    QWidget *jcSelect = nullptr;
    ListParts m_lists[kListCount];
    List m_current = Rods;
};

} // namespace tf
