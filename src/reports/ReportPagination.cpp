// Measuring units for the page breaks, and making one page of them.

#include "reports/ReportDocument.h"

#include "reports/CardLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>

namespace tf::report {

namespace {

struct Item
{
    int key = 0; // block position, or the first position inside a frame
    bool frame = false;
    qreal top = 0;
    qreal bottom = 0;
    QTextBlock block;
};

std::vector<Item> rootItems(QTextDocument *doc)
{
    std::vector<Item> items;
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (QTextFrame::iterator it = doc->rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *f = it.currentFrame()) {
            const QRectF r = layout->frameBoundingRect(f);
            items.push_back({f->firstPosition(), true, r.top(), r.bottom(), {}});
        } else {
            const QTextBlock b = it.currentBlock();
            const QRectF r = layout->blockBoundingRect(b);
            items.push_back({b.position(), false, r.top(), r.bottom(), b});
        }
    }
    return items;
}

// The lines of every block inside the frame that begins at `position`, relative to `top`.
std::vector<std::pair<qreal, qreal>> frameLines(QTextDocument *doc, int position, qreal top)
{
    std::vector<std::pair<qreal, qreal>> lines;
    QTextCursor at(doc);
    at.setPosition(position);
    QTextFrame *frame = at.currentFrame();
    if (!frame || frame == doc->rootFrame())
        return lines;
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (QTextBlock b = doc->findBlock(frame->firstPosition()); b.isValid() && b.position() <= frame->lastPosition();
         b = b.next()) {
        const QTextLayout *tl = b.layout();
        if (!tl)
            continue;
        const qreal blockTop = layout->blockBoundingRect(b).top();
        for (int l = 0; l < tl->lineCount(); ++l) {
            const QTextLine line = tl->lineAt(l);
            lines.emplace_back(blockTop + line.y() - top, blockTop + line.y() + line.height() - top);
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

std::vector<ReportDocument::UnitShape> ReportDocument::measureUnits(qreal *headerHeight)
{
    m_cursor.endEditBlock();
    m_doc->setTextWidth(px(m_page.paper.width()));
    std::vector<Item> items = rootItems(m_doc.get());
    // A card's block is as high as its card, though its line alone would say less.
    auto card = m_cards.begin();
    for (Item &item : items) {
        while (card != m_cards.end() && card->first < item.key)
            ++card;
        if (card != m_cards.end() && card->first == item.key && !item.frame)
            item.bottom = item.top + card->second.height();
    }
    std::vector<UnitShape> shapes(m_units.size());
    if (items.empty())
        return shapes;
    // Units to the items they begin with; both lists are in document order.
    std::vector<size_t> first(m_units.size());
    size_t i = 0;
    for (size_t u = 0; u < m_units.size(); ++u) {
        while (i < items.size() && items[i].key < m_units[u].key)
            ++i;
        first[u] = qMin(i, items.size() - 1);
    }
    auto topAfter = [&](size_t item) { return item + 1 < items.size() ? items[item + 1].top : items.back().bottom; };
    for (size_t u = 0; u < m_units.size(); ++u) {
        const size_t end = u + 1 < m_units.size() ? first[u + 1] : items.size();
        const qreal top = items[first[u]].top;
        UnitShape &shape = shapes[u];
        shape.height = (u + 1 < m_units.size() ? items[first[u + 1]].top : items.back().bottom) - top;
        for (size_t k = first[u]; k < end; ++k) {
            const Item &item = items[k];
            Piece piece{item.top - top, topAfter(k) - item.top, item.frame, {}};
            if (item.frame) {
                // A row taller than half a page may have to be broken: between the lines of its cells.
                if (piece.height > bodyHeight() / 2)
                    piece.lines = frameLines(m_doc.get(), item.key, top);
            } else {
                if (const QTextLayout *tl = item.block.layout(); tl && tl->lineCount() > 1) {
                    for (int l = 0; l < tl->lineCount(); ++l) {
                        const QTextLine line = tl->lineAt(l);
                        const qreal lineTop = tl->position().y() + line.y() - item.top;
                        piece.lines.emplace_back(lineTop, lineTop + line.height());
                    }
                }
            }
            shape.pieces.push_back(std::move(piece));
        }
    }
    if (headerHeight)
        *headerHeight = m_units.empty() ? 0 : items[first[0]].top - items.front().top;
    // Begin the next stretch afresh: the measured units are done with.
    return shapes;
}

void ReportDocument::setPageNumber(int page, int pages)
{
    QTextCursor c(m_doc.get());
    c.setPosition(m_pageTextStart);
    c.setPosition(m_pageTextEnd, QTextCursor::KeepAnchor);
    const QString text =
        pages > 0 ? QStringLiteral("Page %1 of %2").arg(page).arg(pages) : QStringLiteral("Page %1").arg(page);
    c.insertText(text, c.charFormat());
    m_pageTextEnd = m_pageTextStart + int(text.size());
}

void ReportDocument::resumeTable(const TableLayout &layout, const QStringList &captions, bool showCaptions)
{
    if (showCaptions) {
        prepareForTable();
        insertRowTable(m_cursor, layout, captions, RowKind::Data, true);
        m_cursor.movePosition(QTextCursor::End);
        m_reuseBlock = true;
    }
    m_captions.push_back({layout, captions, size_t(-1)});
    m_currentCaption = int(m_captions.size()) - 1;
}

qreal ReportDocument::layOutPage()
{
    m_cursor.endEditBlock();
    // A page is laid out to be drawn: its lines keep their glyphs, or drawing would shape every line again.
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next())
        if (QTextLayout *tl = b.layout())
            tl->setCacheEnabled(true);
    m_doc->setTextWidth(px(m_page.paper.width()));
    const std::vector<Item> items = rootItems(m_doc.get());
    if (items.empty())
        return 0;
    if (m_units.empty())
        return items.back().bottom;
    for (const Item &item : items)
        if (item.key >= m_units.front().key)
            return item.top;
    return items.back().bottom;
}

} // namespace tf::report
