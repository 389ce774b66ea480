#pragma once

// Fishing patterns: what worked on a lake or river in a given month, one row
// of table Patterns each. A grid of lake and month, eleven fields (lists of
// suggestions that also take typing) locked while browsing, the count in the
// window title, and two sorts. The editing cycle is RecordCycle's.

#include <QWidget>

namespace tf {

class RecordCycle;

class frmPatterns : public QWidget
{
    Q_OBJECT
public:
    explicit frmPatterns(QWidget *parent = nullptr);

    bool load();
    RecordCycle *cycle() const { return m_cycle; }

private:
    QWidget *buildDetails();

    RecordCycle *m_cycle = nullptr;
};

} // namespace tf
