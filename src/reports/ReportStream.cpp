#include "reports/ReportStream.h"

#include "reports/PdfFile.h"

#include <QAbstractTextDocumentLayout>
#include <QDataStream>
#include <QDir>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>
#include <cerrno>

namespace tf::report {

namespace {

QDataStream &operator<<(QDataStream &out, const ReportDocument::Card &c)
{
    out << c.title << quint32(c.entries.size());
    for (const ReportDocument::Entry &e : c.entries)
        out << e.label << e.value << e.line;
    return out << c.withPicture << c.picturePath << c.pictureBox << double(c.labelWidth) << qint32(c.fieldColumns);
}

QDataStream &operator>>(QDataStream &in, ReportDocument::Card &c)
{
    quint32 n = 0;
    in >> c.title >> n;
    c.entries.resize(n);
    for (ReportDocument::Entry &e : c.entries)
        in >> e.label >> e.value >> e.line;
    double labelWidth = 0;
    qint32 columns = 1;
    in >> c.withPicture >> c.picturePath >> c.pictureBox >> labelWidth >> columns;
    c.labelWidth = labelWidth;
    c.fieldColumns = columns;
    return in;
}

} // namespace

StreamPages::StreamPages(const PageSetup &page, const QFont &font, const PageHeader &header)
    : m_setup(page), m_font(font), m_header(header), m_reference(newDocument())
{
    m_pxPerPoint = m_reference->pixelsPerPoint();
    m_pages.push_back(Page{});
    m_pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
}

StreamPages::~StreamPages() = default;

bool StreamPages::open(QString *error)
{
    m_file.setFileTemplate(QDir::tempPath() + QStringLiteral("/tallyfin-report-XXXXXX"));
    if (!m_file.open()) {
        *error = m_file.errorString();
        return false;
    }
    m_out.setDevice(&m_file);
    m_reader.setFileName(m_file.fileName());
    if (!m_reader.open(QIODevice::ReadOnly)) {
        *error = m_reader.errorString();
        return false;
    }
    return true;
}

std::unique_ptr<ReportDocument> StreamPages::newDocument() const
{
    return std::make_unique<ReportDocument>(m_setup, m_font, m_header);
}

void StreamPages::begin(Op op, bool keepWithNext, int repeat)
{
    if (m_stretchFrom < 0) {
        m_stretchFrom = m_file.pos();
        m_stretchTable = m_table;
    }
    ++m_unsent;
    PendingUnit p;
    p.unit.start = m_file.pos();
    p.unit.keepWithNext = keepWithNext;
    p.unit.repeat = repeat;
    p.unit.table = m_table;
    m_pending.push_back(std::move(p));
    m_out << quint8(op);
}

void StreamPages::done()
{
    m_pending.back().unit.end = m_file.pos();
}

void StreamPages::subtitle(const QString &text)
{
    begin(Op::Subtitle, false, -1);
    m_out << text;
    done();
}

void StreamPages::heading(const QString &text)
{
    begin(Op::Heading, true, -1);
    m_out << text;
    done();
}

void StreamPages::groupHeading(const QString &text)
{
    begin(Op::GroupHeading, true, m_table);
    m_out << text;
    done();
}

void StreamPages::paragraph(const QString &text, ReportDocument::Note kind)
{
    begin(Op::Paragraph, false, -1);
    m_out << text << quint8(kind);
    done();
}

void StreamPages::card(const ReportDocument::Card &card)
{
    begin(Op::Card, false, -1);
    m_out << card;
    done();
}

void StreamPages::beginTable(const ReportDocument::TableLayout &layout, const QStringList &captions)
{
    const int index = int(m_tables.size());
    {
        QMutexLocker lock(&m_tablesLock);
        m_tables.push_back({layout, captions, 0});
    }
    begin(Op::BeginTable, true, -1);
    m_pending.back().unit.opens = index;
    m_out << qint32(index);
    done();
    m_table = index;
}

void StreamPages::tableRow(const QStringList &cells, ReportDocument::RowKind kind)
{
    begin(Op::TableRow, false, m_table);
    m_out << cells << quint8(kind);
    done();
}

void StreamPages::endTable()
{
    m_out << quint8(Op::EndTable);
    m_table = -1;
}

bool StreamPages::flush(bool last)
{
    if (!m_file.flush() || m_out.status() != QDataStream::Ok) {
        m_error = QStringLiteral("The report cannot be kept in the temporary folder while it is printed:\n%1.")
                      .arg(writeFailure(m_file, errno));
        return false;
    }
    // The stretch since the last flush is measured on a thread of its own
    // while the rows after it are read; results are taken in order.
    if (m_stretchFrom >= 0) {
        const qint64 from = m_stretchFrom, to = m_file.pos();
        const int tableIndex = m_stretchTable;
        const size_t units = m_unsent;
        const bool first = m_stretches++ == 0; // gives the page header's height too
        m_stretchFrom = -1;
        m_unsent = 0;
        auto task = std::make_shared<std::packaged_task<Measured()>>([this, from, to, tableIndex, units, first] {
            auto doc = newDocument();
            doc->setMeasureOnly();
            Measured cards;
            if (!first && tableIndex < 0 && cardsAlone(*doc, from, to, units, cards.shapes))
                return cards;
            if (tableIndex >= 0) {
                const Table t = table(tableIndex);
                doc->resumeTable(t.layout, t.captions, false);
            }
            replay(*doc, from, to);
            Measured m;
            m.shapes = doc->measureUnits(&m.header);
            m.shapes.resize(units);
            return m;
        });
        m_measuring.push_back(task->get_future());
        // Threads that stay keep their fonts: a fresh thread would load them again.
        m_pool.start([task] { (*task)(); });
    }
    const size_t inFlight = size_t(qMax(1, QThread::idealThreadCount()));
    while (!m_measuring.empty() &&
           (last || m_measuring.size() > inFlight ||
            m_measuring.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
        Measured m = m_measuring.front().get();
        m_measuring.pop_front();
        if (m_headerHeight < 0) {
            m_headerHeight = m.header;
            m_avail = m_reference->bodyRoom() - m_headerHeight - 2;
        }
        // The oldest units not yet measured are this stretch's, in the same order.
        size_t next = 0;
        for (PendingUnit &p : m_pending) {
            if (p.measured)
                continue;
            if (next == m.shapes.size())
                break; // the next stretch's
            p.shape = std::move(m.shapes[next++]);
            p.measured = true;
            if (p.unit.opens >= 0) {
                QMutexLocker lock(&m_tablesLock);
                m_tables[size_t(p.unit.opens)].captionHeight = p.shape.height;
            }
        }
    }
    // A unit is placed once every unit it is kept with has been measured.
    size_t measured = 0;
    while (measured < m_pending.size() && m_pending[measured].measured)
        ++measured;
    while (measured > 0) {
        size_t v = 0;
        while (v + 1 < measured && m_pending[v].unit.keepWithNext)
            ++v;
        if (m_pending[v].unit.keepWithNext && !(last && measured == m_pending.size()))
            break;
        place(0);
        m_pending.pop_front();
        --measured;
    }
    if (last) {
        m_pages.back().end = m_file.pos();
        m_pages.back().used = m_used;
        m_complete = true;
    }
    return true;
}

void StreamPages::newPage(const Unit &unit, qreal offset, int repeat, qreal used)
{
    Page &before = m_pages.back();
    before.end = offset > 0 ? unit.end : unit.start;
    before.used = used >= 0 ? used : m_used;
    Page page;
    page.start = unit.start;
    page.offset = offset;
    page.repeat = repeat;
    page.table = unit.table;
    m_pages.push_back(page);
    m_used = repeat >= 0 ? m_tables[size_t(repeat)].captionHeight : 0;
}

void StreamPages::place(size_t u)
{
    const Unit &unit = m_pending[u].unit;
    const qreal h = m_pending[u].shape.height;
    qreal chain = h; // a heading goes with what follows it
    for (size_t v = u; v + 1 < m_pending.size() && m_pending[v].unit.keepWithNext; ++v)
        chain += m_pending[v + 1].shape.height;
    const int repeat = unit.repeat;
    const qreal fresh = m_avail - (repeat >= 0 ? m_tables[size_t(repeat)].captionHeight : 0);
    if (m_used + chain <= m_avail || (m_used > 0 && chain > fresh && m_used + h <= m_avail)) {
        m_used += h;
    } else if (m_used > 0 && h <= fresh) {
        newPage(unit, 0, repeat);
        m_used += h;
    } else {
        split(unit, m_pending[u].shape);
    }
}

// A unit taller than a page runs on, broken between its blocks or lines.
void StreamPages::split(const Unit &unit, const ReportDocument::UnitShape &shape)
{
    for (const ReportDocument::Piece &piece : shape.pieces) {
        const qreal h = piece.height;
        if (m_used + h <= m_avail) {
            m_used += h;
            continue;
        }
        const int repeat = piece.frame ? unit.repeat : -1;
        if (piece.lines.empty()) {
            if (m_used > 0)
                newPage(unit, piece.top, repeat);
            // Nothing to break it between; whatever does not fit is cut off at the foot of the page.
            m_used = qMin(m_used + h, m_avail);
            continue;
        }
        qreal base = m_used; // where the piece's top sits on the current page
        qreal pageStart = m_used;
        for (const auto &[lineTop, lineBottom] : piece.lines) {
            if (base + lineBottom > m_avail && base + lineTop > pageStart + 0.5) {
                newPage(unit, piece.top + lineTop, repeat, base + lineTop);
                base = m_used - lineTop;
                pageStart = m_used;
            }
        }
        m_used = base + h;
    }
}

int StreamPages::pageCount() const
{
    return m_complete ? int(m_pages.size()) : int(m_pages.size()) - 1;
}

QSizeF StreamPages::pageSize() const
{
    return m_setup.paper;
}

StreamPages::Table StreamPages::table(int index) const
{
    QMutexLocker lock(&m_tablesLock);
    return m_tables[size_t(index)];
}

QByteArray StreamPages::read(qint64 from, qint64 to) const
{
    QMutexLocker lock(&m_readLock);
    return m_reader.seek(from) ? m_reader.read(to - from) : QByteArray();
}

// A stretch of nothing but cards drawn straight onto the page is measured by
// adding up: each is followed by the room above the next, as the document
// would place them. False when the stretch holds anything else.
bool StreamPages::cardsAlone(const ReportDocument &doc, qint64 from, qint64 to, size_t units,
                             std::vector<ReportDocument::UnitShape> &shapes) const
{
    const QByteArray bytes = read(from, to);
    QDataStream in(bytes);
    std::vector<qreal> heights;
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        quint8 op = 0;
        in >> op;
        if (Op(op) != Op::Card)
            return false;
        ReportDocument::Card card;
        in >> card;
        const std::optional<qreal> h = doc.directCardHeight(card);
        if (!h)
            return false;
        heights.push_back(*h);
    }
    if (heights.size() != units || in.status() != QDataStream::Ok)
        return false;
    shapes.resize(units);
    for (size_t u = 0; u < units; ++u) {
        const qreal h = u + 1 < units ? doc.cardStep(heights[u]) : heights[u];
        shapes[u].height = h;
        shapes[u].pieces = {ReportDocument::Piece{0, h, false, {}}};
    }
    return true;
}

void StreamPages::replay(ReportDocument &doc, qint64 from, qint64 to) const
{
    const QByteArray bytes = read(from, to);
    if (bytes.isEmpty())
        return;
    QDataStream in(bytes);
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        quint8 op = 0;
        in >> op;
        QString text;
        quint8 kind = 0;
        switch (Op(op)) {
        case Op::Subtitle:
            in >> text;
            doc.subtitle(text);
            break;
        case Op::Heading:
            in >> text;
            doc.heading(text);
            break;
        case Op::GroupHeading:
            in >> text;
            doc.groupHeading(text);
            break;
        case Op::Paragraph:
            in >> text >> kind;
            doc.paragraph(text, ReportDocument::Note(kind));
            break;
        case Op::Card: {
            ReportDocument::Card card;
            in >> card;
            doc.card(card);
            break;
        }
        case Op::BeginTable: {
            qint32 index = 0;
            in >> index;
            const Table t = table(index);
            doc.beginTable(t.layout, t.captions);
            break;
        }
        case Op::TableRow: {
            QStringList cells;
            in >> cells >> kind;
            doc.tableRow(cells, ReportDocument::RowKind(kind));
            break;
        }
        case Op::EndTable:
            doc.endTable();
            break;
        }
    }
}

std::unique_ptr<ReportDocument> StreamPages::pageDocument(int index, qreal *firstUnitTop) const
{
    auto doc = newDocument();
    if (index < 0 || index >= pageCount())
        return doc;
    const Page &page = m_pages[size_t(index)];
    doc->setPageNumber(index + 1, m_complete ? int(m_pages.size()) : 0);
    if (page.table >= 0) {
        const Table &t = m_tables[size_t(page.table)];
        doc->resumeTable(t.layout, t.captions, page.repeat >= 0);
    }
    replay(*doc, page.start, page.end);
    const qreal top = doc->layOutPage();
    if (firstUnitTop)
        *firstUnitTop = top;
    return doc;
}

namespace {

// What of a page document shows: the head above `head`, and the body from
// `from` for `length` pixels drawn just under the head.
struct Window
{
    qreal head = 0;
    qreal from = 0;
    qreal length = 0;
    bool contains(qreal y) const { return y < head - 0.5 || (y >= from - 0.5 && y < from + length - 0.5); }
};

} // namespace

void StreamPages::paintPage(int index, QPainter &painter) const
{
    if (index < 0 || index >= pageCount())
        return;
    qreal top = 0;
    const auto doc = pageDocument(index, &top);
    const Page &page = m_pages[size_t(index)];
    const bool cut = size_t(index) + 1 < m_pages.size() && m_pages[size_t(index) + 1].offset > 0;
    const qreal captions = page.repeat >= 0 ? m_tables[size_t(page.repeat)].captionHeight : 0;
    const qreal width = m_setup.paper.width() * m_pxPerPoint;
    const qreal height = m_setup.paper.height() * m_pxPerPoint;
    const qreal length = cut ? page.used - captions : height;
    QAbstractTextDocumentLayout *layout = doc->document()->documentLayout();
    painter.save();
    painter.scale(1 / m_pxPerPoint, 1 / m_pxPerPoint);
    QAbstractTextDocumentLayout::PaintContext context;
    if (page.offset > 0) {
        context.clip = QRectF(0, 0, width, top);
        painter.save();
        painter.setClipRect(context.clip);
        layout->draw(&painter, context);
        painter.restore();
        painter.translate(0, -page.offset);
        context.clip = QRectF(0, top + page.offset, width, qMin(length, height - top));
    } else {
        context.clip = QRectF(0, 0, width, qMin(top + length, height));
    }
    // A page whose text ends inside it needs no clip: a clip costs the PDF writer on every piece of text.
    if (cut || page.offset > 0 || layout->documentSize().height() > height)
        painter.setClipRect(context.clip);
    doc->draw(painter, context);
    painter.restore();
}

QString StreamPages::pageText(int index) const
{
    if (index < 0 || index >= pageCount())
        return {};
    qreal top = 0;
    const auto doc = pageDocument(index, &top);
    const Page &page = m_pages[size_t(index)];
    const bool cut = size_t(index) + 1 < m_pages.size() && m_pages[size_t(index) + 1].offset > 0;
    const qreal captions = page.repeat >= 0 ? m_tables[size_t(page.repeat)].captionHeight : 0;
    const Window window{top, top + page.offset, cut ? page.used - captions : 1e9};
    QAbstractTextDocumentLayout *layout = doc->document()->documentLayout();
    QString text;
    for (QTextBlock b = doc->document()->begin(); b.isValid(); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b);
        if (QString card; doc->cardText(b, &card)) {
            if (window.contains(r.top()))
                text += card + QLatin1Char('\n');
            continue;
        }
        const QTextLayout *tl = b.layout();
        if (!tl || tl->lineCount() < 2 || (window.contains(r.top()) && window.contains(r.bottom() - 1))) {
            if (window.contains(r.top()))
                text += b.text() + QLatin1Char('\n');
            continue;
        }
        // A paragraph the page breaks through: the lines that fall on this page.
        QString part;
        for (int l = 0; l < tl->lineCount(); ++l) {
            const QTextLine line = tl->lineAt(l);
            if (window.contains(r.top() + b.blockFormat().topMargin() + line.y()))
                part += b.text().mid(line.textStart(), line.textLength());
        }
        if (!part.isEmpty())
            text += part + QLatin1Char('\n');
    }
    // As plain text: line breaks inside a paragraph are new lines, fixed spaces spaces.
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    return text;
}

} // namespace tf::report
