#pragma once

// Picture Credit: where the pictures that decorate the program come from.

#include <QWidget>

class QLabel;
class QPushButton;

namespace tf {

class frmCredit : public QWidget
{
    Q_OBJECT
public:
    explicit frmCredit(QWidget *parent = nullptr);

private:
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdExit = nullptr;
};

} // namespace tf
