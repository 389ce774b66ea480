#pragma once

// The owner's details editor: the one Register row (name, address, city) in
// three fields. OK writes the row; Cancel throws the changes away.

#include "data/DataSource.h"
#include "data/FieldBinding.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tf {

class frmRegister : public QWidget
{
    Q_OBJECT
public:
    explicit frmRegister(QWidget *parent = nullptr);

    // Opens the row for editing; false (after saying why) when there is no
    // database or no row to edit.
    bool load();

signals:
    // The row was written; whoever shows it reads it again.
    void saved();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void save();
    void cancel();

    DataSource Data1;
    FieldBinding m_fields{&Data1};
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QComboBox *cboHomeWater = nullptr; // kept in the table of places, not in the Register row
    QString m_homeWater;               // as read when the editor opened
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace tf
