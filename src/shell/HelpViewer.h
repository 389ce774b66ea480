#pragma once

// The program's own help window: the contents of a compiled help file on the
// left, the page on the right, with Back, Forward and Home. Pages, pictures and
// style sheets are read from inside the file; links leading out of it go to the
// platform.

#include "shell/ChmFile.h"

#include <QTextBrowser>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace tf {

// A text browser whose documents come from a help file.
class ChmBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    explicit ChmBrowser(const ChmFile *file, QWidget *parent = nullptr);
    QVariant loadResource(int type, const QUrl &name) override;
    // "chm:/page.html" for a page path inside the file.
    static QUrl urlOf(const QString &page);

private:
    const ChmFile *m_file;
};

class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    bool openFile(const QString &path);
    QString helpFile() const { return m_file.path(); }
    // Shows `page` when the file holds it, else the default page.
    void showPage(const QString &page);
    // The page shown now, as a path inside the file.
    QString currentPage() const;
    ChmBrowser *browser() const { return m_browser; }
    QTreeWidget *contents() const { return m_contents; }

private:
    void followLink(const QUrl &url);
    void markCurrent(const QUrl &url);

    ChmFile m_file;
    ChmBrowser *m_browser;
    QTreeWidget *m_contents;
};

} // namespace tf
