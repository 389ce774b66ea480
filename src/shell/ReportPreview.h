#pragma once

// The report preview titled "Print Preview": one page at a time, painted only
// when it is shown, and Print and Save as PDF that go through the pages one by
// one with their progress and Cancel, so a report of thousands of pages opens
// at once and never has to be rendered whole. A long report opens at its first
// page while the rest are still being counted; the count goes on between the
// user's clicks, with its progress and a Cancel that closes the preview.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace tf {

class ReportPages;

class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    ReportPreview(const QString &title, ReportPages &pages, QWidget *parent = nullptr);

    int currentPage() const; // from 0
    void showPage(int index);

private:
    void print();
    void savePdf();
    void countSome();
    void showCount();
    // Counts every page before printing; false when cancelled or it failed.
    bool countAll();

    ReportPages &m_pages;
    QProgressBar *m_counting = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_countFailed = false;
    bool m_busy = false; // counting: events handed on meanwhile must not count too
    class PageView *m_view = nullptr;
    QSpinBox *m_page = nullptr;
    QLabel *m_of = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
};

} // namespace tf
