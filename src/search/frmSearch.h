#pragma once

// The log search: lists the dated trips whose text in one chosen column holds a
// search word. It reads the log through a record set of its own, opened once at
// load, and only ever reads: it neither moves the log screen nor writes the file.

#include "data/DataSource.h"

#include <QString>
#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace tf {

class TripLines;

class frmSearch : public QWidget
{
    Q_OBJECT
public:
    explicit frmSearch(QWidget *parent = nullptr);

    // Opens the record set and lists every dated trip; false (after saying why)
    // when the log cannot be read, so the window never opens half-filled.
    bool load();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    static constexpr int kSearchButtons = 10;

    // Runs the search of button `index` (0 for Command1) on the text of Text1.
    void search(int index);
    // Says that the file cannot be read, and how to mend it.
    void reportReadProblem(const QString &error);

    DataSource m_trips;
    TripLines *m_lines;
    bool m_readProblemShown = false;

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label3 = nullptr;
    std::array<QPushButton *, kSearchButtons> m_searchButtons{}; // Command1 .. Command10
    QLabel *Label2 = nullptr;
    QListView *List1 = nullptr;
    QPushButton *cmdExit = nullptr;
};

} // namespace tf
