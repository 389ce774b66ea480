#pragma once

// Fishing memberships: one row of table Memberships per club, subscription or
// other organisation, with member number, expiry, fee and remarks. An
// ordinary framed window opened from the utilities menu; the editing cycle is
// RecordCycle's, with nothing added but where the focus goes.

#include <QWidget>

class QLineEdit;

namespace tf {

class RecordCycle;

class frmMember : public QWidget
{
    Q_OBJECT
public:
    explicit frmMember(QWidget *parent = nullptr);

    bool load();
    RecordCycle *cycle() const { return m_cycle; }

private:
    RecordCycle *m_cycle = nullptr;
    QLineEdit *Text1 = nullptr; // the organisation: required, and the subject of the delete prompt
};

} // namespace tf
