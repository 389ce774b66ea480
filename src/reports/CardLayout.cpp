#include "reports/CardLayout.h"

#include "reports/PdfFile.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace tf::report {

namespace {

const QColor kBand(0xe3, 0xec, 0xee);
const QColor kMuted(0x55, 0x63, 0x66);

// Line breaks: a line's value may hold them, a title or a field of the grid not.
bool drawable(const QString &text, const CardMetrics &metrics, bool breaks = false)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= metrics.drawable.size() || !metrics.drawable[u]) && !(breaks && c == QChar::LineSeparator))
            return false;
    }
    return true;
}

} // namespace

std::vector<FieldRow> placeFields(const std::vector<const ReportDocument::Entry *> &fields, qreal width,
                                  qreal labelWidth, int columns, qreal gap,
                                  const std::function<qreal(const QString &)> &valueWidth)
{
    const qreal slot = width / columns;
    std::vector<FieldRow> rows;
    FieldRow row;
    int used = 0;
    auto flush = [&] {
        if (!row.fields.empty())
            rows.push_back(std::move(row));
        row = FieldRow{};
        used = 0;
    };
    for (const ReportDocument::Entry *e : fields) {
        const qreal need = labelWidth + valueWidth(e->value) + gap;
        const int span = need <= slot ? 1 : int(std::ceil(need / slot));
        if (span > columns) {
            flush();
            rows.push_back(FieldRow{{}, e});
            continue;
        }
        if (used + span > columns)
            flush();
        row.fields.emplace_back(e, used);
        used += span;
    }
    flush();
    return rows;
}

std::optional<CardLayout> CardLayout::make(const ReportDocument::Card &card, const CardMetrics &metrics,
                                           const CardFonts &fonts, qreal textWidth, qreal labelWidth, qreal maxHeight,
                                           const std::function<qreal(const QString &)> &valueWidth, bool drawn)
{
    if (!metrics.usable || card.withPicture || card.entries.empty())
        return std::nullopt;
    const QString title = card.title.trimmed().isEmpty() ? QStringLiteral("(blank)") : card.title;
    if (!drawable(title, metrics))
        return std::nullopt;
    qreal titleWidth = 0;
    for (const QChar ch : title)
        titleWidth += metrics.titleAdvance[ch.unicode()];
    if (titleWidth * 1.04 > textWidth)
        return std::nullopt;
    for (const ReportDocument::Entry &e : card.entries)
        if (!drawable(e.label, metrics) || !drawable(e.value, metrics, e.line))
            return std::nullopt;

    CardLayout c;
    c.m_metrics = &metrics;
    c.m_fonts = &fonts;
    // Measured only, a card needs no pieces to draw and no text.
    auto piece = [&](Piece p) {
        if (drawn)
            c.m_pieces.push_back(std::move(p));
    };
    auto text = [&](const auto &...parts) {
        if (drawn)
            ((c.m_text += parts), ...);
    };
    piece({title, QPointF(0, metrics.titleBaseline), 0, {}});
    text(title, QLatin1Char('\n'));
    qreal y = metrics.firstRow;
    // A line: the label in the margin, the value beside it, wrapping under its own first line.
    auto line = [&](const ReportDocument::Entry &e, bool showLabel) {
        const qreal x = e.label.isEmpty() ? 0 : labelWidth;
        if (!e.label.isEmpty()) {
            if (showLabel)
                piece({e.label, QPointF(0, y + metrics.rowBaseline), 1, {}});
            text(showLabel ? e.label : QString(), QLatin1Char('\t'));
        }
        text(e.value, QLatin1Char('\n'));
        const qreal room = textWidth - x;
        if (valueWidth(e.value) <= room) { // never so with a line break inside
            piece({e.value, QPointF(x, y + metrics.rowBaseline), 2, {}});
            y += metrics.row;
            return;
        }
        // As the document breaks it: at its line breaks, at word boundaries, or anywhere in a word wider than the line.
        auto layout = std::make_shared<QTextLayout>(e.value, fonts.value);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setUseDesignMetrics(true);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        int lines = 0;
        for (QTextLine l = layout->createLine(); l.isValid(); l = layout->createLine(), ++lines) {
            l.setLineWidth(room);
            l.setPosition(QPointF(0, lines * metrics.row + metrics.rowBaseline - l.ascent()));
        }
        layout->endLayout();
        piece({QString(), QPointF(x, y), 2, std::move(layout)});
        y += lines * metrics.row;
    };
    // Fields in a row of the grid until a line breaks it; lines in the order written.
    QString lastLabel;
    for (size_t i = 0; i < card.entries.size();) {
        if (card.entries[i].line) {
            line(card.entries[i], card.entries[i].label != lastLabel);
            lastLabel = card.entries[i].label;
            ++i;
            continue;
        }
        std::vector<const ReportDocument::Entry *> fields;
        while (i < card.entries.size() && !card.entries[i].line)
            fields.push_back(&card.entries[i++]);
        const qreal slot = textWidth / card.fieldColumns;
        for (const FieldRow &row :
             placeFields(fields, textWidth, labelWidth, card.fieldColumns, metrics.gap, valueWidth)) {
            if (row.line) {
                line(*row.line, true);
                continue;
            }
            bool first = true;
            for (const auto &[e, at] : row.fields) {
                if (!first)
                    text(QLatin1Char('\t'));
                first = false;
                text(e->label, QLatin1Char('\t'), e->value);
                piece({e->label, QPointF(at * slot, y + metrics.rowBaseline), 1, {}});
                piece({e->value, QPointF(at * slot + labelWidth, y + metrics.rowBaseline), 2, {}});
            }
            text(QLatin1Char('\n'));
            y += metrics.row;
        }
        lastLabel.clear();
    }
    c.m_height = y;
    if (c.m_height > maxHeight)
        return std::nullopt;
    c.m_text.chop(1);
    return c;
}

namespace {

// A line of text set once and drawn many times: a card's labels come again on
// every card, and most values on many (titles, each a date, are set each
// time). Kept for the thread that drew it, as fonts and laid-out text may not
// be shared between threads.
struct SetLine
{
    QTextLayout layout;
    qreal ascent = 0;
};

void set(SetLine &line, const QString &text, const QFont &font)
{
    line.layout.setText(text);
    line.layout.setFont(font);
    // At the fonts' design advances, as the document sets its text: the PDF writer then takes the glyphs as they are.
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    line.layout.setTextOption(option);
    line.layout.setCacheEnabled(true);
    line.layout.beginLayout();
    const QTextLine l = line.layout.createLine();
    line.layout.endLayout();
    line.ascent = l.isValid() ? l.ascent() : 0;
}

const SetLine &setLine(const QString &text, int font, const CardFonts &fonts, const CardMetrics *metrics)
{
    thread_local const CardMetrics *owner = nullptr;
    thread_local QHash<QString, std::shared_ptr<SetLine>> lines[3];
    if (owner != metrics || lines[0].size() + lines[1].size() + lines[2].size() > 4000) {
        for (auto &l : lines)
            l.clear();
        owner = metrics;
    }
    std::shared_ptr<SetLine> &line = lines[font][text];
    if (!line) {
        line = std::make_shared<SetLine>();
        set(*line, text, font == 1 ? fonts.label : fonts.value);
    }
    return *line;
}

} // namespace

void CardLayout::paint(QPainter &painter, qreal left, qreal top) const
{
    painter.fillRect(m_metrics->band.translated(left, top), kBand);
    const QColor ink = QAbstractTextDocumentLayout::PaintContext().palette.color(QPalette::Text);
    const QFont *fonts[] = {&m_fonts->title, &m_fonts->label, &m_fonts->value};
    for (const Piece &p : m_pieces) {
        painter.setPen(p.font == 1 ? kMuted : ink);
        // Onto a PDF page the glyphs go as they are, without a layout.
        if (!p.wrapped && drawPlainText(painter, QPointF(left + p.at.x(), top + p.at.y()), p.text, *fonts[p.font]))
            continue;
        if (p.wrapped) {
            p.wrapped->draw(&painter, QPointF(left + p.at.x(), top + p.at.y()));
        } else if (p.font == 0) {
            SetLine line;
            set(line, p.text, m_fonts->title);
            line.layout.draw(&painter, QPointF(left + p.at.x(), top + p.at.y() - line.ascent));
        } else if (!p.text.isEmpty()) {
            const SetLine &line = setLine(p.text, p.font, *m_fonts, m_metrics);
            line.layout.draw(&painter, QPointF(left + p.at.x(), top + p.at.y() - line.ascent));
        }
    }
}

} // namespace tf::report
