// Pages for a ReportDocument: measure the body laid out without pages, choose
// the breaks, put a page header at each, and lay the whole out on real pages.

#include "reports/ReportDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>

namespace tf::report {

namespace {

// QTextDocument keeps positions in 26.6 fixed point, which ends a little past
// 33 million pixels; a longer body would be laid out wrongly, so it is refused.
constexpr qreal kMaxHeight = 32.0e6;

struct Item
{
    int key = 0; // block position, or the first position inside a frame
    bool frame = false;
    qreal top = 0;
    qreal bottom = 0;
};

struct Break
{
    size_t item = 0;
    int offset = 0; // 0: before the item; else before this position inside its paragraph
    int repeat = -1;
};

// Lays the document out a slice at a time, reporting between slices.
bool layOut(QTextDocument *doc, const ProgressFn &progress, int from, int to)
{
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const int blocks = doc->blockCount();
    const int slices = 40;
    for (int s = 1; s <= slices; ++s) {
        const QTextBlock b = doc->findBlockByNumber(qMin(blocks - 1, blocks * s / slices));
        layout->blockBoundingRect(b);
        if (progress && !progress(from + (to - from) * s / slices))
            return false;
    }
    return true;
}

} // namespace

class ReportDocument::Paginator
{
public:
    Paginator(ReportDocument &d) : m_d(d), m_doc(d.m_doc.get()) {}

    bool run(const ProgressFn &progress)
    {
        const qreal width = m_d.px(m_d.m_page.printable.width());
        const qreal height = m_d.px(m_d.m_page.printable.height());
        m_d.m_cursor.endEditBlock();
        m_doc->setTextWidth(width);
        if (!layOut(m_doc, progress, 0, 45))
            return cancelled();
        measure();
        if (!m_items.empty() && m_items.back().bottom > kMaxHeight) {
            m_d.m_error = QStringLiteral("The report is too long to print in one piece.");
            return false;
        }
        const QTextFrameFormat root = m_doc->rootFrame()->frameFormat();
        m_avail = height - root.topMargin() - root.bottomMargin() - m_headerHeight - 2;
        chooseBreaks();
        m_d.m_pages = int(m_breaks.size()) + 1;
        if (qreal(m_d.m_pages) * height > kMaxHeight) {
            m_d.m_error = QStringLiteral("The report is too long to print in one piece (%1 pages).").arg(m_d.m_pages);
            return false;
        }
        // Still without layout while the headers go in: one layout at the end.
        m_doc->setPageSize(QSizeF(0, 0));
        insertHeaders();
        if (progress && !progress(55))
            return cancelled();
        m_doc->setPageSize(QSizeF(width, height));
        if (!layOut(m_doc, progress, 55, 100))
            return cancelled();
        renumberIfNeeded();
        return true;
    }

private:
    bool cancelled()
    {
        m_d.m_error.clear();
        return false;
    }

    void measure()
    {
        QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
        QTextFrame *root = m_doc->rootFrame();
        for (QTextFrame::iterator it = root->begin(); !it.atEnd(); ++it) {
            Item item;
            if (QTextFrame *f = it.currentFrame()) {
                const QRectF r = layout->frameBoundingRect(f);
                item = {f->firstPosition(), true, r.top(), r.bottom()};
            } else {
                const QTextBlock b = it.currentBlock();
                const QRectF r = layout->blockBoundingRect(b);
                item = {b.position(), false, r.top(), r.bottom()};
            }
            m_items.push_back(item);
        }
        // Units to the items they begin with; both lists are in document order.
        const auto &units = m_d.m_units;
        m_unitItem.resize(units.size());
        size_t i = 0;
        for (size_t u = 0; u < units.size(); ++u) {
            while (i < m_items.size() && m_items[i].key < units[u].key)
                ++i;
            m_unitItem[u] = qMin(i, m_items.size() - 1);
        }
        const qreal start = m_items.empty() ? 0 : m_items.front().top;
        m_headerHeight = units.empty() ? 0 : m_items[m_unitItem[0]].top - start;
        m_repeatHeight.clear();
        for (const Caption &c : m_d.m_captions)
            m_repeatHeight.push_back(unitHeight(c.unit));
    }

    qreal itemTopAfter(size_t item) const
    {
        return item + 1 < m_items.size() ? m_items[item + 1].top : m_items.back().bottom;
    }

    qreal unitHeight(size_t u) const
    {
        const qreal top = m_items[m_unitItem[u]].top;
        const qreal next = u + 1 < m_unitItem.size() ? m_items[m_unitItem[u + 1]].top : m_items.back().bottom;
        return next - top;
    }

    void newPage(size_t item, int offset, int repeat)
    {
        m_breaks.push_back({item, offset, repeat});
        m_used = repeat >= 0 ? m_repeatHeight[size_t(repeat)] : 0;
    }

    void chooseBreaks()
    {
        const auto &units = m_d.m_units;
        m_used = 0;
        for (size_t u = 0; u < units.size(); ++u) {
            const qreal h = unitHeight(u);
            qreal chain = h; // a heading goes with what follows it
            for (size_t v = u; v + 1 < units.size() && units[v].keepWithNext; ++v)
                chain += unitHeight(v + 1);
            const int repeat = units[u].repeat;
            const qreal fresh = m_avail - (repeat >= 0 ? m_repeatHeight[size_t(repeat)] : 0);
            const size_t first = m_unitItem[u];
            if (m_used + chain <= m_avail || (m_used > 0 && chain > fresh && m_used + h <= m_avail)) {
                m_used += h;
            } else if (m_used > 0 && h <= fresh) {
                newPage(first, 0, repeat);
                m_used += h;
            } else {
                splitUnit(u);
            }
        }
    }

    // A unit taller than a page runs on, broken between its blocks or lines.
    void splitUnit(size_t u)
    {
        const size_t first = m_unitItem[u];
        const size_t last = u + 1 < m_unitItem.size() ? m_unitItem[u + 1] : m_items.size();
        const int repeat = m_d.m_units[u].repeat;
        for (size_t i = first; i < last; ++i) {
            const Item &item = m_items[i];
            const qreal h = itemTopAfter(i) - item.top;
            if (m_used + h <= m_avail) {
                m_used += h;
                continue;
            }
            if (item.frame) {
                if (m_used > 0)
                    newPage(i, 0, repeat);
                // A frame cannot be split here; whatever does not fit runs over.
                m_used = qMin(m_used + h, m_avail);
                continue;
            }
            const QTextBlock block = m_doc->findBlock(item.key);
            const QTextLayout *tl = block.layout();
            qreal base = m_used; // where the block's top sits on the current page
            const qreal pageStart = m_used;
            for (int l = 0; tl && l < tl->lineCount(); ++l) {
                const QTextLine line = tl->lineAt(l);
                const qreal lineTop = tl->position().y() + line.y() - item.top;
                const qreal lineBottom = lineTop + line.height();
                if (base + lineBottom > m_avail && base + lineTop > pageStart + 0.5) {
                    newPage(i, line.textStart(), -1);
                    base = m_used - lineTop;
                }
            }
            m_used = base + h;
        }
    }

    void insertHeaders()
    {
        QTextCursor c(m_doc);
        c.beginEditBlock();
        const int pages = int(m_breaks.size()) + 1;
        for (size_t k = m_breaks.size(); k-- > 0;) {
            const Break &b = m_breaks[k];
            const Item &item = m_items[b.item];
            const int page = int(k) + 2;
            if (item.frame) {
                // Just before the frame: the end of the block that precedes it.
                c.setPosition(item.key - 1);
                c.insertBlock();
                m_d.insertPageHeader(c, page, pages, true);
                if (b.repeat >= 0) {
                    const Caption &cap = m_d.m_captions[size_t(b.repeat)];
                    QTextTable *t = m_d.insertRowTable(c, cap.layout, cap.captions, RowKind::Data, true);
                    QTextCursor after(m_doc);
                    after.setPosition(t->lastPosition() + 1);
                    makeSeparator(after);
                }
                continue;
            }
            QTextBlock block = m_doc->findBlock(item.key);
            int at = item.key;
            if (b.offset > 0) {
                // Split the paragraph where the page ends; the rest keeps its look but not its first-line indent.
                QTextBlockFormat rest = block.blockFormat();
                rest.setTextIndent(0);
                rest.setTopMargin(0);
                c.setPosition(item.key + b.offset);
                c.insertBlock(rest, c.charFormat());
                at = c.position();
                block = c.block();
            }
            // The new empty block before `at` becomes the header; the text keeps its own format.
            c.setPosition(at);
            c.insertBlock(block.blockFormat(), block.charFormat());
            c.movePosition(QTextCursor::PreviousBlock);
            m_d.insertPageHeader(c, page, pages, true);
        }
        c.setPosition(m_d.m_pageTextStart);
        c.setPosition(m_d.m_pageTextEnd, QTextCursor::KeepAnchor);
        c.insertText(QStringLiteral("Page 1 of %1").arg(pages), c.charFormat());
        c.endEditBlock();
    }

    // A table row taller than a page is carried over by the layout itself, onto
    // pages of its own without a header; the headers after it then tell the
    // pages as they really came out.
    void renumberIfNeeded()
    {
        const int pages = m_doc->pageCount();
        const auto placed = headerPlacement(m_doc);
        const bool right = pages == m_d.m_pages &&
                           std::all_of(placed.begin(), placed.end(), [](const auto &p) { return p.first == p.second; });
        if (right)
            return;
        m_d.m_pages = pages;
        QTextCursor c(m_doc);
        c.beginEditBlock();
        size_t i = 0;
        for (QTextBlock b = m_doc->begin(); b.isValid() && i < placed.size(); b = b.next()) {
            if (!b.blockFormat().property(QTextFormat::UserProperty).isValid())
                continue;
            const int page = placed[i++].second;
            const QString text = b.text();
            c.setPosition(b.position() + int(text.lastIndexOf(u'\t')) + 1);
            c.setPosition(b.position() + int(text.size()), QTextCursor::KeepAnchor);
            c.insertText(QStringLiteral("Page %1 of %2").arg(page).arg(pages), c.charFormat());
            QTextBlockFormat f = b.blockFormat();
            f.setProperty(QTextFormat::UserProperty, page);
            c.setBlockFormat(f);
        }
        c.endEditBlock();
    }

    ReportDocument &m_d;
    QTextDocument *m_doc;
    std::vector<Item> m_items;
    std::vector<size_t> m_unitItem;
    std::vector<qreal> m_repeatHeight;
    std::vector<Break> m_breaks;
    qreal m_headerHeight = 0;
    qreal m_avail = 0;
    qreal m_used = 0;
};

bool ReportDocument::paginate(const ProgressFn &progress)
{
    m_error.clear();
    Paginator p(*this);
    return p.run(progress);
}

std::vector<std::pair<int, int>> ReportDocument::headerPlacement(QTextDocument *doc)
{
    std::vector<std::pair<int, int>> placed;
    const qreal pageHeight = doc->pageSize().height();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QVariant page = b.blockFormat().property(QTextFormat::UserProperty);
        if (page.isValid())
            placed.emplace_back(page.toInt(), int(layout->blockBoundingRect(b).top() / pageHeight) + 1);
    }
    return placed;
}

} // namespace tf::report
