#pragma once

// A card laid out by arithmetic and drawn straight onto the page. A long
// report is mostly cards, and laying each one out in a text document twice
// (once to count the pages, once to draw its page) cost most of the time it
// took. Where a card's text needs no shaping and no font but the report's
// own, every line of it is as high as a line measured once, so its height is
// a sum and its text can be drawn piece by piece; the document then holds
// one empty block of that height in its place. Any other card (a picture,
// another script, a title wider than the page, one tall enough to be broken
// across pages) is laid out by the document as before.

#include "reports/ReportDocument.h"

#include <QFont>
#include <QRectF>
#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QTextLayout;

namespace tf::report {

// Where a card's fields go: rows of the grid (each field with the slot it
// begins in) and, between them, fields too wide for the grid, as lines.
struct FieldRow
{
    std::vector<std::pair<const ReportDocument::Entry *, int>> fields; // empty: `line` is a line of its own
    const ReportDocument::Entry *line = nullptr;
};
std::vector<FieldRow> placeFields(const std::vector<const ReportDocument::Entry *> &fields, qreal width,
                                  qreal labelWidth, int columns, qreal gap,
                                  const std::function<qreal(const QString &)> &valueWidth);

// What a card's lines measure in the document (pixels), measured once per font.
struct CardMetrics
{
    qreal left = 0;               // where the document begins its lines, from the left edge of the page
    qreal titleBaseline = 0;      // from the top of the title block
    QRectF band;                  // the title's band, from the left of the text and the top of the title block
    qreal firstRow = 0;           // from the top of the title block to the first row under it
    qreal row = 0;                // the height of every line of a field or a line
    qreal rowBaseline = 0;        // from the top of a line
    qreal gap = 0;                // kept between a value and the next field of its row
    qreal placeholderExtra = 0;   // the height of an empty block above the fixed height it is given
    std::bitset<0x2060> drawable; // characters every font of a card draws without shaping or another font
    std::array<float, 0x2060> titleAdvance{}; // of each drawable character in a title
    bool usable = false; // false: the document's measures were not as expected; every card goes there
};

// The fonts of one document's cards: every document has its own, as fonts are
// not shared between the threads that lay pages out.
struct CardFonts
{
    QFont title, label, value;
};

class CardLayout
{
public:
    // Empty when the card needs the document. `drawn` false: only measured, never drawn nor read.
    static std::optional<CardLayout> make(const ReportDocument::Card &card, const CardMetrics &metrics,
                                          const CardFonts &fonts, qreal textWidth, qreal labelWidth, qreal maxHeight,
                                          const std::function<qreal(const QString &)> &valueWidth, bool drawn = true);
    // From the top of the title block to the foot of its last line (pixels).
    qreal height() const { return m_height; }
    // Draws the card whose title block's top is at `top`, the text beginning at `left`.
    void paint(QPainter &painter, qreal left, qreal top) const;
    // The card's text as the document gives it: one line per block, tabs between label and value.
    QString text() const { return m_text; }

private:
    // Drawn in reading order, so text copied from a PDF file reads as printed.
    struct Piece
    {
        QString text;
        QPointF at;   // the baseline's start, from the top left of the card; for `wrapped`, its top left
        int font = 0; // 0 title, 1 label, 2 value
        std::shared_ptr<QTextLayout> wrapped; // a value running over several lines
    };
    const CardMetrics *m_metrics = nullptr;
    const CardFonts *m_fonts = nullptr;
    std::vector<Piece> m_pieces;
    qreal m_height = 0;
    QString m_text;
};

} // namespace tf::report
