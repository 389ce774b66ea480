#pragma once

// About: the product, its version, a short legal notice and who made it.

#include <QWidget>

class QLabel;
class QPushButton;

namespace tf {

class frmAbout : public QWidget
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

private:
    QLabel *Image1 = nullptr;
    QLabel *lblProduct = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblLegal = nullptr;
    QLabel *lblMaker = nullptr;
    QPushButton *cmdExit = nullptr;
};

} // namespace tf
