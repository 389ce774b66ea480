#pragma once

// Lays a report out into a paginated QTextDocument that prints itself: every
// page begins with a header (the report's title and page number, the owner's
// name and the print date), tables repeat their column captions on each page,
// and nothing but a card taller than a page is split across pages.
//
// QTextDocument has no page headers of its own, so the body is built first in
// "units" (a card, a table row, a heading kept with what follows), laid out once
// without pages to measure every unit, broken into pages by arithmetic, and only
// then given a header at each break and laid out on real pages. That costs two
// layouts, where fitting unit by unit into the live document costs one per unit.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextTableFormat>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

class QPageLayout;
class QTextDocument;
class QTextTable;

namespace tf::report {

// The page as the printer offers it, in points.
struct PageSetup
{
    QSizeF printable;  // the area the printer can print on
    QMarginsF margins; // our own white space inside it

    // A printer's page: white space up to a comfortable margin on paper.
    static PageSetup fromPrinter(const QPageLayout &layout);
    // The paper of the user's locale (US Letter or A4), printable to its edges.
    static PageSetup standard();
};

struct PageHeader
{
    QString title;
    QString owner;   // may be empty
    QString printed; // "Printed Tuesday, December 8, 2026"
};

// Receives overall progress from 0 to 100; returning false cancels.
using ProgressFn = std::function<bool(int percent)>;

class ReportDocument
{
public:
    ReportDocument(const PageSetup &page, const QFont &font, const PageHeader &header);
    ~ReportDocument();
    ReportDocument(const ReportDocument &) = delete;
    ReportDocument &operator=(const ReportDocument &) = delete;

    // ---- the body, in reading order
    void subtitle(const QString &text);
    void heading(const QString &text);
    void groupHeading(const QString &text);
    enum class Note { Plain, Remark, Empty, Count };
    void paragraph(const QString &text, Note kind);

    struct Entry
    {
        QString label;
        QString value;
        bool line = false; // runs across the card instead of sitting in the grid
    };
    struct Card
    {
        QString title;
        std::vector<Entry> entries;
        bool withPicture = false;
        QString picturePath;  // empty: no picture
        QSizeF pictureBox;    // points
        qreal labelWidth = 0; // points
        int fieldColumns = 1;
    };
    void card(const Card &card);
    // The width (points) that fits the widest of these labels.
    qreal labelWidthFor(const QStringList &labels) const;

    struct TableLayout
    {
        std::vector<double> percent;
        std::vector<Qt::Alignment> align;
    };
    // Starts a table: its caption row, repeated at the top of every page it runs onto.
    void beginTable(const TableLayout &layout, const QStringList &captions);
    enum class RowKind { Data, Group, Subtotal, Total };
    void tableRow(const QStringList &cells, RowKind kind = RowKind::Data);
    void endTable();
    // Fixed widths (points) as shares of the text width, in percent.
    double percentOf(double points) const;

    // What is printed at the top of every page must leave the body most of it:
    // the page header, and a table's caption row under it.
    bool headerFits() const;
    bool captionsFit(const TableLayout &layout, const QStringList &captions) const;

    // ---- pages
    // Breaks the body into pages and lays them out; false when cancelled or too
    // long for one document (error() says which).
    bool paginate(const ProgressFn &progress);
    int pageCount() const { return m_pages; }
    const QString &error() const { return m_error; }
    std::unique_ptr<QTextDocument> takeDocument();

    // For tests: for each page header, the page it was meant for and the page it
    // landed on after layout.
    static std::vector<std::pair<int, int>> headerPlacement(QTextDocument *doc);

private:
    struct Unit
    {
        int key = 0; // position of its first block, or first position inside its table
        bool keepWithNext = false;
        int repeat = -1; // caption row repeated when a page break falls inside its table
    };
    struct Caption
    {
        TableLayout layout;
        QStringList captions;
        size_t unit = 0; // the caption row's own unit in the body
    };
    class Paginator;

    qreal px(qreal points) const { return points * m_pxPerPoint; }
    void startUnit(bool keepWithNext, int repeat = -1);
    void noteUnit(int key);
    QTextBlock newBlock(const QTextBlockFormat &block, const QTextCharFormat &chars);
    QTextTable *insertRowTable(QTextCursor &cursor, const TableLayout &layout, const QStringList &cells, RowKind kind,
                               bool caption) const;
    // Returns where its "Page 1 of 1" begins.
    int insertPageHeader(QTextCursor &cursor, int page, int pages, bool pageBreak) const;
    // Before a table: the empty block left between two tables takes no room.
    static void makeSeparator(QTextCursor &cursor);
    void prepareForTable();
    void fieldRows(QTextCursor &cursor, bool &reuse, const std::vector<const Entry *> &fields, qreal width,
                   qreal labelWidth, int columns);
    void lineBlock(QTextCursor &cursor, const Entry &entry, qreal labelWidth, bool showLabel, bool reuse);
    void pictureInto(QTextCursor &cursor, const QString &path, QSizeF box);
    qreal valueWidth(const QString &text) const;
    qreal heightAlone(const std::function<void(QTextCursor &)> &fill) const;
    qreal bodyHeight() const;
    const QTextCharFormat &fmt(qreal sizeDelta, bool bold, bool italic = false, const QColor &color = QColor()) const;

    std::unique_ptr<QTextDocument> m_doc;
    QTextCursor m_cursor;
    bool m_reuseBlock = true; // the block at the cursor is empty and unused (start, or after a table)
    PageSetup m_page;
    PageHeader m_header;
    qreal m_pxPerPoint = 1;
    qreal m_textWidth = 0; // px
    QFont m_font;
    QFontMetricsF m_metrics; // of values, to fit them into the card's grid
    std::vector<Unit> m_units;
    bool m_unitPending = false;
    Unit m_pending;
    std::vector<Caption> m_captions;
    int m_currentCaption = -1;
    int m_pictures = 0;
    int m_pageTextStart = 0, m_pageTextEnd = 0; // "Page 1 of 1" on the first page
    int m_pages = 1;
    QString m_error;
    mutable QHash<QString, qreal> m_widths;
    mutable std::map<std::tuple<int, bool, bool, unsigned>, QTextCharFormat> m_formats;
};

} // namespace tf::report
