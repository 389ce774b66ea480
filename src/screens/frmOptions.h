#pragma once

// Database options: the four lookup lists that feed the drop-down boxes of the
// log and fish screens (lakes and rivers, marinas and launch areas, fish
// species, lures and baits). One list is in view at a time, each with its own
// grid, name field, bars and editing cycle; the selector bar brings a list
// into view and is off while any list is being added to or changed.

#include <QList>
#include <QWidget>

class QLineEdit;
class QStackedWidget;

namespace tf {

class RecordCycle;

class frmOptions : public QWidget
{
    Q_OBJECT
public:
    explicit frmOptions(QWidget *parent = nullptr);

    bool load();
    // The lists in the order of the selector: lakes, marinas, fish, lures.
    const QList<RecordCycle *> &cycles() const { return m_cycles; }

private:
    struct ListDecl;
    QWidget *buildList(const ListDecl &decl);
    bool nameIsNew(const ListDecl &decl, RecordCycle *cycle, QLineEdit *name);

    QStackedWidget *m_lists = nullptr;
    QList<RecordCycle *> m_cycles;
};

} // namespace tf
