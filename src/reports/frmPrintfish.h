#pragma once

// "Select a Report": the fish screen's choice between the log report and the
// total fish report. It stays open after a report is started.

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tf {

class frmPrintfish : public QWidget
{
    Q_OBJECT
public:
    explicit frmPrintfish(QWidget *parent = nullptr);

private:
    QGroupBox *Frame1 = nullptr;
    QPushButton *cmdPrintlog = nullptr;
    QPushButton *cmdPrinttotal = nullptr;
    QPushButton *cmdExit = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
};

} // namespace tf
