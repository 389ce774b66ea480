#pragma once

// The report preview titled "Print Preview": one page at a time, painted only
// when it is shown, and Print and Save as PDF that go through the pages one by
// one with their progress and Cancel, so a report of thousands of pages opens
// at once and never has to be rendered whole.

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace tf {

class ReportPages;

class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    ReportPreview(const QString &title, const ReportPages &pages, QWidget *parent = nullptr);

    int currentPage() const; // from 0
    void showPage(int index);

private:
    void print();
    void savePdf();

    const ReportPages &m_pages;
    class PageView *m_view = nullptr;
    QSpinBox *m_page = nullptr;
    QLabel *m_of = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
};

} // namespace tf
