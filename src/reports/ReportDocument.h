#pragma once

// Lays a slice of a report out in a QTextDocument: the page header (the
// report's title and page number, the owner's name and the print date) and
// then the body in "units" (a card, a table row, a heading kept with what
// follows). The same class measures a stretch of units, laid out without
// pages, so the pages can be chosen by arithmetic (ReportStream), and then
// makes each page on its own, from its units, when that page is wanted.

#include <QAbstractTextDocumentLayout>
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
#include <optional>
#include <tuple>
#include <vector>

class QPageLayout;
class QPainter;
class QTextBlock;
class QTextDocument;
class QTextTable;

namespace tf::report {

class CardLayout;
struct CardFonts;
struct CardMetrics;

// The page as the printer offers it, in points.
struct PageSetup
{
    QSizeF paper;      // the whole sheet, in points: what a saved file's page measures
    QMarginsF margins; // white space from the sheet's edges, never less than the printer needs

    // A printer's paper, with a comfortable margin that keeps clear of what it cannot print on.
    static PageSetup fromPrinter(const QPageLayout &layout);
    // The paper of the user's locale: US Letter where that is the custom, A4 elsewhere.
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

    // ---- measuring a slice of the body, laid out without pages
    // A piece of a unit: a block or a frame, with the tops and bottoms of a
    // block's lines, all relative to the top of its unit (pixels).
    struct Piece
    {
        qreal top = 0;
        qreal height = 0;
        bool frame = false;
        std::vector<std::pair<qreal, qreal>> lines;
    };
    struct UnitShape
    {
        qreal height = 0; // from its top to the top of the next unit
        std::vector<Piece> pieces;
    };
    // Every unit so far, in order; headerHeight: from the top of the page header to the first unit.
    std::vector<UnitShape> measureUnits(qreal *headerHeight = nullptr);
    size_t unitCount() const { return m_units.size(); }
    qreal pixelsPerPoint() const { return m_pxPerPoint; }
    // Room for the body under the page header, in pixels.
    qreal bodyRoom() const { return bodyHeight(); }

    // ---- one page: its header says "Page 3 of 40" (pages 0: "Page 3", the total not yet known)
    void setPageNumber(int page, int pages);
    // Goes on inside a table begun on an earlier page, with its captions or without.
    void resumeTable(const TableLayout &layout, const QStringList &captions, bool showCaptions);
    // Lays the page out; returns the top of its first unit (pixels from the top of the text area).
    qreal layOutPage();
    QTextDocument *document() const { return m_doc.get(); }

    // ---- cards drawn straight onto the page (see CardLayout): the document holds an empty block for each
    // A card drawn straight onto the page: its height, from the top of its
    // block to the foot of its last line (none: the card needs the document).
    std::optional<qreal> directCardHeight(const Card &card) const;
    // From the top of such a card's block to the top of the next card's.
    qreal cardStep(qreal height) const;
    // Draws the document and those cards whose block begins inside the context's clip.
    void draw(QPainter &painter, const QAbstractTextDocumentLayout::PaintContext &context) const;
    // The text of the card that stands in `block`; false when the block is no card's.
    bool cardText(const QTextBlock &block, QString *text) const;
    // The document is only measured, never drawn nor read: cards keep no more than their height.
    void setMeasureOnly() { m_measureOnly = true; }
    // Every card through the document instead (to compare the two).
    static void setCardsDrawnDirectly(bool on);

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
    bool directCard(const Card &card);
    std::optional<CardLayout> directLayout(const Card &card, bool drawn) const;
    const CardMetrics &cardMetrics() const;
    CardMetrics measureCards() const;
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
    QString m_fontKey;
    bool m_measureOnly = false;
    bool m_measuringCards = false; // lays the sample card out whose measures every card's are taken from
    mutable std::unique_ptr<CardFonts> m_cardFonts;
    mutable const CardMetrics *m_cardMetrics = nullptr;
    std::vector<std::pair<int, CardLayout>> m_cards; // by the position of the block each stands in
    mutable std::map<std::tuple<int, bool, bool, unsigned>, QTextCharFormat> m_formats;
};

} // namespace tf::report
