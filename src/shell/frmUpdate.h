#pragma once

// Check for Update: explains that "Check Now" opens the update page in the web
// browser. The program downloads nothing and compares no versions itself.

#include <QUrl>
#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tf {

// Where "Check Now" leads.
inline const QUrl kUpdatePage{QStringLiteral("https://tallyfin.example/update")};

class frmUpdate : public QWidget
{
    Q_OBJECT
public:
    explicit frmUpdate(QWidget *parent = nullptr);

private:
    void checkNow();

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace tf
