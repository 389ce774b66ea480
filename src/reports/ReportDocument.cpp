#include "reports/ReportDocument.h"

#include "reports/CardLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QLocale>
#include <QMutex>
#include <QPageLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cmath>

// The resolution QTextDocument lays out at when it has no paint device. Its
// lengths (margins, tab stops, page size) are in pixels of this resolution while
// fonts are in points, so the page size must be converted with the same figure.
Q_GUI_EXPORT int qt_defaultDpiY();

namespace tf::report {

namespace {

// Ink that prints well in colour and in grey.
const QColor kAccent(0x1f, 0x5f, 0x6b);
const QColor kBand(0xe3, 0xec, 0xee);
const QColor kRule(0xa9, 0xb8, 0xbc);
const QColor kMuted(0x55, 0x63, 0x66);

void nextBlock(QTextCursor &c, bool &reuse, const QTextBlockFormat &block, const QTextCharFormat &chars)
{
    if (reuse) {
        c.setBlockFormat(block);
        c.setBlockCharFormat(chars);
        reuse = false;
    } else {
        c.insertBlock(block, chars);
    }
}

// Report text is set in plain Latin script: shaping it (ligatures, kerning
// tables) costs most of the time a long report takes, for a look that hardly
// differs. Scripts that need shaping are shaped all the same.
QFont withoutShaping(QFont font)
{
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

} // namespace

PageSetup PageSetup::fromPrinter(const QPageLayout &layout)
{
    PageSetup s;
    s.paper = layout.fullRect(QPageLayout::Point).size();
    const QSizeF printable = layout.paintRect(QPageLayout::Point).size();
    if (!layout.isValid() || printable.width() < 144 || printable.height() < 144)
        return standard(); // no usable printer: the paper of the locale
    const QMarginsF printer = layout.margins(QPageLayout::Point);
    // About 0.6 in of paper around the text, or more where the printer keeps more itself.
    auto margin = [](qreal wanted, qreal printerMargin) { return qMax(wanted, printerMargin + 8); };
    s.margins = QMarginsF(margin(43, printer.left()), margin(36, printer.top()), margin(43, printer.right()),
                          margin(40, printer.bottom()));
    return s;
}

PageSetup PageSetup::standard()
{
    // Where letter paper is the custom: the territories that follow US paper sizes.
    static const QLocale::Territory kLetter[] = {
        QLocale::UnitedStates, QLocale::Canada,     QLocale::Mexico,    QLocale::Chile,  QLocale::Colombia,
        QLocale::CostaRica,    QLocale::Guatemala,  QLocale::Nicaragua, QLocale::Panama, QLocale::ElSalvador,
        QLocale::Philippines,  QLocale::PuertoRico, QLocale::Venezuela, QLocale::Belize};
    const QLocale locale;
    const bool letter = locale.measurementSystem() == QLocale::ImperialUSSystem ||
                        std::find(std::begin(kLetter), std::end(kLetter), locale.territory()) != std::end(kLetter);
    const QPageLayout layout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    return fromPrinter(layout);
}

ReportDocument::ReportDocument(const PageSetup &page, const QFont &font, const PageHeader &header)
    : m_doc(std::make_unique<QTextDocument>()), m_page(page), m_header(header), m_font(withoutShaping(font)),
      m_metrics(m_font)
{
    m_pxPerPoint = qt_defaultDpiY() / 72.0;
    m_fontKey = m_font.toString();
    m_textWidth = px(page.paper.width() - page.margins.left() - page.margins.right());
    m_doc->setUndoRedoEnabled(false);
    m_doc->setUseDesignMetrics(true);
    m_doc->setDefaultFont(m_font);
    QTextOption option = m_doc->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_doc->setDefaultTextOption(option);
    // A null page size keeps the layout asleep while the body is built.
    m_doc->setPageSize(QSizeF(0, 0));
    QTextFrameFormat root = m_doc->rootFrame()->frameFormat();
    root.setLeftMargin(px(page.margins.left()));
    root.setRightMargin(px(page.margins.right()));
    root.setTopMargin(px(page.margins.top()));
    root.setBottomMargin(px(page.margins.bottom()));
    m_doc->rootFrame()->setFrameFormat(root);
    m_cursor = QTextCursor(m_doc.get());
    // One edit block for the whole body: the document tells its listeners once, not per piece of text.
    m_cursor.beginEditBlock();
    m_pageTextStart = insertPageHeader(m_cursor, 1, 1, false);
    m_pageTextEnd = m_pageTextStart + int(QStringLiteral("Page 1 of 1").size());
    m_reuseBlock = false;
}

ReportDocument::~ReportDocument() = default;

const QTextCharFormat &ReportDocument::fmt(qreal sizeDelta, bool bold, bool italic, const QColor &color) const
{
    // Made once each: building a format for every piece of text costs more than the text.
    const auto key = std::make_tuple(qRound(sizeDelta * 10), bold, italic, color.isValid() ? color.rgb() : 0u);
    auto it = m_formats.find(key);
    if (it != m_formats.end())
        return it->second;
    QTextCharFormat f;
    QFont font = m_font;
    font.setPointSizeF(m_font.pointSizeF() + sizeDelta);
    font.setBold(bold);
    font.setItalic(italic);
    f.setFont(font);
    if (color.isValid())
        f.setForeground(color);
    return m_formats.emplace(key, f).first->second;
}

double ReportDocument::percentOf(double points) const
{
    return 100.0 * px(points) / m_textWidth;
}

qreal ReportDocument::heightAlone(const std::function<void(QTextCursor &)> &fill) const
{
    QTextDocument scratch;
    scratch.setUndoRedoEnabled(false);
    scratch.setUseDesignMetrics(true);
    scratch.setDefaultFont(m_font);
    scratch.setDefaultTextOption(m_doc->defaultTextOption());
    scratch.setDocumentMargin(0);
    scratch.setTextWidth(m_textWidth);
    QTextCursor c(&scratch);
    fill(c);
    return scratch.documentLayout()->documentSize().height();
}

qreal ReportDocument::bodyHeight() const
{
    return px(m_page.paper.height() - m_page.margins.top() - m_page.margins.bottom());
}

bool ReportDocument::headerFits() const
{
    const qreal h = heightAlone([this](QTextCursor &c) { insertPageHeader(c, 2, 2, false); });
    return h <= bodyHeight() / 4;
}

bool ReportDocument::captionsFit(const TableLayout &layout, const QStringList &captions) const
{
    const qreal header = heightAlone([this](QTextCursor &c) { insertPageHeader(c, 2, 2, false); });
    const qreal row = heightAlone([&](QTextCursor &c) { insertRowTable(c, layout, captions, RowKind::Data, true); });
    return header + row <= bodyHeight() / 2;
}

void ReportDocument::startUnit(bool keepWithNext, int repeat)
{
    m_unitPending = true;
    m_pending = Unit{0, keepWithNext, repeat};
}

void ReportDocument::noteUnit(int key)
{
    if (!m_unitPending)
        return;
    m_unitPending = false;
    m_pending.key = key;
    m_units.push_back(m_pending);
}

QTextBlock ReportDocument::newBlock(const QTextBlockFormat &block, const QTextCharFormat &chars)
{
    nextBlock(m_cursor, m_reuseBlock, block, chars);
    noteUnit(m_cursor.block().position());
    return m_cursor.block();
}

int ReportDocument::insertPageHeader(QTextCursor &c, int page, int pages, bool pageBreak) const
{
    const qreal base = m_font.pointSizeF();
    QTextBlockFormat top;
    top.setTabPositions({QTextOption::Tab(m_textWidth, QTextOption::RightTab)});
    top.setPageBreakPolicy(pageBreak ? QTextFormat::PageBreak_AlwaysBefore : QTextFormat::PageBreak_Auto);
    top.setProperty(QTextFormat::UserProperty, page);
    const QTextCharFormat title = fmt(15 - base, true, false, kAccent);
    const QTextCharFormat small = fmt(-1, false, false, kMuted);
    c.setBlockFormat(top);
    c.setBlockCharFormat(title);
    c.insertText(m_header.title, title);
    c.insertText(QStringLiteral("\t"), small);
    const int start = c.position();
    c.insertText(QStringLiteral("Page %1 of %2").arg(page).arg(pages), small);
    QTextBlockFormat second;
    second.setTabPositions({QTextOption::Tab(m_textWidth, QTextOption::RightTab)});
    second.setBottomMargin(px(3));
    c.insertBlock(second, fmt(0, true));
    c.insertText(m_header.owner, fmt(0, true));
    c.insertText(QStringLiteral("\t") + m_header.printed, small);
    // A thin bar under the header: an empty block filled with the accent colour.
    QTextBlockFormat bar;
    bar.setBackground(kAccent);
    bar.setLineHeight(px(1.2), QTextBlockFormat::FixedHeight);
    bar.setBottomMargin(px(10));
    QTextCharFormat barChars;
    barChars.setFontPointSize(1);
    c.insertBlock(bar, barChars);
    return start;
}

void ReportDocument::makeSeparator(QTextCursor &c)
{
    QTextBlockFormat f;
    f.setLineHeight(0, QTextBlockFormat::FixedHeight);
    QTextCharFormat chars;
    chars.setFontPointSize(1);
    c.setBlockFormat(f);
    c.setBlockCharFormat(chars);
}

void ReportDocument::prepareForTable()
{
    if (m_reuseBlock)
        makeSeparator(m_cursor);
}

void ReportDocument::subtitle(const QString &text)
{
    startUnit(false);
    QTextBlockFormat f;
    f.setBottomMargin(px(6));
    newBlock(f, fmt(0.5, false, true));
    m_cursor.insertText(text);
}

void ReportDocument::heading(const QString &text)
{
    startUnit(true);
    QTextBlockFormat f;
    f.setTopMargin(px(14));
    f.setBottomMargin(px(4));
    const QTextCharFormat chars = fmt(3, true, false, kAccent);
    newBlock(f, chars);
    m_cursor.insertText(text, chars);
}

void ReportDocument::groupHeading(const QString &text)
{
    if (m_currentCaption >= 0) { // inside a table the heading is a row, so captions can repeat above it
        startUnit(true, m_currentCaption);
        prepareForTable();
        QTextTable *t =
            insertRowTable(m_cursor, m_captions[size_t(m_currentCaption)].layout, {text}, RowKind::Group, false);
        noteUnit(t->firstPosition());
        m_cursor.movePosition(QTextCursor::End);
        m_reuseBlock = true;
        return;
    }
    startUnit(true);
    QTextBlockFormat f;
    f.setTopMargin(px(9));
    f.setBottomMargin(px(2));
    const QTextCharFormat chars = fmt(2, true, false, kAccent);
    newBlock(f, chars);
    m_cursor.insertText(text, chars);
}

void ReportDocument::paragraph(const QString &text, Note kind)
{
    startUnit(false);
    QTextBlockFormat f;
    QTextCharFormat chars;
    switch (kind) {
    case Note::Plain:
        f.setBottomMargin(px(4));
        chars = fmt(0, false);
        break;
    case Note::Remark:
        f.setTopMargin(px(3));
        chars = fmt(-1, false, true, kMuted);
        break;
    case Note::Empty:
        f.setTopMargin(px(4));
        chars = fmt(0, false, true, kMuted);
        break;
    case Note::Count:
        f.setTopMargin(px(5));
        chars = fmt(-0.5, true, false, kMuted);
        break;
    }
    newBlock(f, chars);
    m_cursor.insertText(text, chars);
}

qreal ReportDocument::labelWidthFor(const QStringList &labels) const
{
    const QFontMetricsF fm(fmt(-1, true).font());
    qreal widest = 0;
    for (const QString &l : labels)
        widest = qMax(widest, fm.horizontalAdvance(l));
    return widest / m_pxPerPoint + 7;
}

qreal ReportDocument::valueWidth(const QString &text) const
{
    if (text.contains(QChar(QChar::LineSeparator)))
        return std::numeric_limits<qreal>::infinity();
    // Kept for every page this thread lays out: most values come again on many pages.
    thread_local QHash<QString, qreal> widths;
    thread_local QString widthsFont;
    if (widths.size() > 20000 || widthsFont != m_fontKey) {
        widths.clear();
        widthsFont = m_fontKey;
    }
    auto it = widths.constFind(text);
    if (it != widths.constEnd())
        return *it;
    // Design metrics run a little wider than the screen's; the margin keeps values inside their column.
    const qreal w = m_metrics.horizontalAdvance(text) * 1.04;
    widths.insert(text, w);
    return w;
}

void ReportDocument::lineBlock(QTextCursor &c, const Entry &entry, qreal labelWidth, bool showLabel, bool reuse)
{
    QTextBlockFormat f;
    if (!entry.label.isEmpty()) {
        // A hanging indent: the label in the margin, the text wrapping under its own first line.
        f.setLeftMargin(labelWidth);
        f.setTextIndent(-labelWidth);
        f.setTabPositions({QTextOption::Tab(labelWidth, QTextOption::LeftTab)});
    }
    const QTextCharFormat value = fmt(0, false);
    nextBlock(c, reuse, f, value);
    if (!entry.label.isEmpty()) {
        c.insertText(showLabel ? entry.label : QString(), fmt(-1, true, false, kMuted));
        c.insertText(QStringLiteral("\t"), value);
    }
    c.insertText(entry.value, value);
}

void ReportDocument::fieldRows(QTextCursor &c, bool &reuse, const std::vector<const Entry *> &fields, qreal width,
                               qreal labelWidth, int columns)
{
    const qreal slot = width / columns;
    const QTextCharFormat value = fmt(0, false);
    const QTextCharFormat label = fmt(-1, true, false, kMuted);
    for (const FieldRow &row :
         placeFields(fields, width, labelWidth, columns, px(6), [this](const QString &v) { return valueWidth(v); })) {
        if (row.line) {
            lineBlock(c, *row.line, labelWidth, true, reuse);
            reuse = false;
            continue;
        }
        QTextBlockFormat f;
        QList<QTextOption::Tab> tabs;
        for (const auto &[e, at] : row.fields) {
            if (at > 0)
                tabs << QTextOption::Tab(at * slot, QTextOption::LeftTab);
            tabs << QTextOption::Tab(at * slot + labelWidth, QTextOption::LeftTab);
        }
        f.setTabPositions(tabs);
        nextBlock(c, reuse, f, value);
        bool first = true;
        for (const auto &[e, at] : row.fields) {
            if (!first)
                c.insertText(QStringLiteral("\t"), value);
            first = false;
            c.insertText(e->label, label);
            c.insertText(QStringLiteral("\t"), value);
            c.insertText(e->value, value);
        }
    }
}

void ReportDocument::pictureInto(QTextCursor &c, const QString &path, QSizeF box)
{
    const QTextCharFormat note = fmt(-1, false, true, kMuted);
    if (path.trimmed().isEmpty()) {
        c.insertText(QStringLiteral("No picture"), note);
        return;
    }
    if (!QFileInfo(path).isFile()) {
        c.insertText(QStringLiteral("Picture not found:") + QChar(QChar::LineSeparator) + path, note);
        return;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize source = reader.size();
    const QSizeF boxPx(px(box.width()), px(box.height()));
    QSizeF shown = source.isValid() ? QSizeF(source).scaled(boxPx, Qt::KeepAspectRatio) : boxPx;
    // Decode at about 2.5 times the size shown: sharp on paper, small in memory.
    if (source.isValid()) {
        const QSize wanted = (shown * 2.5).toSize();
        if (wanted.width() < source.width())
            reader.setScaledSize(wanted);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        c.insertText(QStringLiteral("Picture cannot be read:") + QChar(QChar::LineSeparator) + path, note);
        return;
    }
    if (!source.isValid())
        shown = QSizeF(image.size()).scaled(boxPx, Qt::KeepAspectRatio);
    const QUrl name(QStringLiteral("tallyfin-picture:%1").arg(++m_pictures));
    m_doc->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat f;
    f.setName(name.toString());
    f.setWidth(shown.width());
    f.setHeight(shown.height());
    c.insertImage(f);
}

void ReportDocument::card(const Card &card)
{
    if (directCard(card))
        return;
    startUnit(false);
    QTextBlockFormat titleFormat;
    titleFormat.setTopMargin(px(7));
    titleFormat.setBottomMargin(px(2));
    titleFormat.setBackground(kBand);
    const QTextCharFormat titleChars = fmt(0.5, true);
    newBlock(titleFormat, titleChars);
    m_cursor.insertText(card.title.trimmed().isEmpty() ? QStringLiteral("(blank)") : card.title, titleChars);

    const qreal labelWidth = px(card.labelWidth);
    std::vector<const Entry *> fields;
    QString lastLabel;
    auto emitLine = [&](QTextCursor &c, bool &reuse, const Entry &e) {
        lineBlock(c, e, labelWidth, e.label != lastLabel, reuse);
        reuse = false;
        lastLabel = e.label;
    };
    if (card.withPicture) {
        const qreal pictureWidth = px(card.pictureBox.width()) + px(8);
        QTextTableFormat tf;
        tf.setBorder(0);
        tf.setCellSpacing(0);
        tf.setCellPadding(px(2));
        tf.setMargin(0);
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setColumnWidthConstraints(
            {QTextLength(QTextLength::PercentageLength, 100 - 100 * pictureWidth / m_textWidth),
             QTextLength(QTextLength::PercentageLength, 100 * pictureWidth / m_textWidth)});
        QTextTable *t = m_cursor.insertTable(1, 2, tf);
        QTextCursor left = t->cellAt(0, 0).firstCursorPosition();
        for (const Entry &e : card.entries)
            if (!e.line)
                fields.push_back(&e);
        bool fresh = true;
        fieldRows(left, fresh, fields, m_textWidth - pictureWidth - px(6), labelWidth, 1);
        QTextCursor right = t->cellAt(0, 1).firstCursorPosition();
        QTextBlockFormat againstTheEdge;
        againstTheEdge.setAlignment(Qt::AlignRight);
        right.setBlockFormat(againstTheEdge);
        pictureInto(right, card.picturePath, card.pictureBox);
        m_cursor.movePosition(QTextCursor::End);
        m_reuseBlock = true;
        for (const Entry &e : card.entries)
            if (e.line)
                emitLine(m_cursor, m_reuseBlock, e);
        return;
    }
    // Fields in a row of the grid until a line breaks it; lines in the order written.
    for (size_t i = 0; i < card.entries.size();) {
        if (card.entries[i].line) {
            emitLine(m_cursor, m_reuseBlock, card.entries[i]);
            ++i;
            continue;
        }
        fields.clear();
        while (i < card.entries.size() && !card.entries[i].line)
            fields.push_back(&card.entries[i++]);
        fieldRows(m_cursor, m_reuseBlock, fields, m_textWidth, labelWidth, card.fieldColumns);
        lastLabel.clear();
    }
}

QTextTable *ReportDocument::insertRowTable(QTextCursor &c, const TableLayout &layout, const QStringList &cells,
                                           RowKind kind, bool caption) const
{
    const int n = int(layout.percent.size());
    QTextTableFormat tf;
    tf.setBorderCollapse(true);
    tf.setBorder(0);
    tf.setCellSpacing(0);
    tf.setCellPadding(0);
    tf.setMargin(0);
    tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    for (double p : layout.percent)
        widths << QTextLength(QTextLength::PercentageLength, p);
    tf.setColumnWidthConstraints(widths);
    QTextTable *t = c.insertTable(1, n, tf);
    if (kind == RowKind::Group && n > 1)
        t->mergeCells(0, 0, 1, n);

    QTextTableCellFormat cell;
    cell.setLeftPadding(px(3));
    cell.setRightPadding(px(3));
    cell.setTopPadding(px(caption ? 3 : 1.5));
    cell.setBottomPadding(px(caption ? 3 : 1.5));
    QTextCharFormat chars = fmt(0, false);
    auto border = [&](bool top, qreal width, const QColor &color) {
        if (top) {
            cell.setTopBorder(px(width));
            cell.setTopBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cell.setTopBorderBrush(color);
        } else {
            cell.setBottomBorder(px(width));
            cell.setBottomBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cell.setBottomBorderBrush(color);
        }
    };
    if (caption) {
        chars = fmt(-0.5, true);
        cell.setBackground(kBand);
        border(false, 1, kAccent);
    } else {
        switch (kind) {
        case RowKind::Data:
            border(false, 0.5, kRule);
            break;
        case RowKind::Group:
            chars = fmt(1, true, false, kAccent);
            cell.setTopPadding(px(6));
            border(false, 0.5, kRule);
            break;
        case RowKind::Subtotal:
            chars = fmt(0, true, true);
            border(false, 0.5, kRule);
            break;
        case RowKind::Total:
            chars = fmt(0, true);
            cell.setBackground(kBand);
            border(true, 1, kAccent);
            border(false, 1, kAccent);
            break;
        }
    }
    const int filled = kind == RowKind::Group ? 1 : n;
    for (int i = 0; i < filled; ++i) {
        QTextTableCell tc = t->cellAt(0, i);
        QTextCursor cc = tc.firstCursorPosition();
        QTextBlockFormat align;
        align.setAlignment(i < int(layout.align.size()) ? layout.align[size_t(i)] : Qt::AlignLeft);
        cc.setBlockFormat(align);
        cc.insertText(i < cells.size() ? cells[i] : QString(), chars);
        // Last: the cell's look is kept where its first block keeps its character format.
        tc.setFormat(cell);
    }
    return t;
}

void ReportDocument::beginTable(const TableLayout &layout, const QStringList &captions)
{
    startUnit(true);
    prepareForTable();
    QTextTable *t = insertRowTable(m_cursor, layout, captions, RowKind::Data, true);
    noteUnit(t->firstPosition());
    m_captions.push_back({layout, captions, m_units.size() - 1});
    m_cursor.movePosition(QTextCursor::End);
    m_reuseBlock = true;
    m_currentCaption = int(m_captions.size()) - 1;
}

void ReportDocument::tableRow(const QStringList &cells, RowKind kind)
{
    startUnit(false, m_currentCaption);
    prepareForTable();
    QTextTable *t = insertRowTable(m_cursor, m_captions[size_t(m_currentCaption)].layout, cells, kind, false);
    noteUnit(t->firstPosition());
    m_cursor.movePosition(QTextCursor::End);
    m_reuseBlock = true;
}

void ReportDocument::endTable()
{
    m_currentCaption = -1;
    // What follows a table keeps its distance: a block's top margin is not honoured right after a frame.
    QTextCursor before(m_cursor);
    before.movePosition(QTextCursor::PreviousCharacter);
    if (QTextTable *t = before.currentTable()) {
        QTextTableFormat f = t->format();
        f.setBottomMargin(px(6));
        t->setFormat(f);
    }
}

} // namespace tf::report

namespace tf::report {

namespace {

std::atomic<bool> g_cardsDirect{true};

// What the document does with a card's title block: the room above it.
constexpr qreal kCardTopMargin = 7;

} // namespace

void ReportDocument::setCardsDrawnDirectly(bool on)
{
    g_cardsDirect = on;
}

std::optional<CardLayout> ReportDocument::directLayout(const Card &card, bool drawn) const
{
    if (!g_cardsDirect || m_measuringCards)
        return std::nullopt;
    const CardMetrics &metrics = cardMetrics();
    if (!metrics.usable)
        return std::nullopt;
    if (!m_cardFonts)
        m_cardFonts.reset(
            new CardFonts{fmt(0.5, true).font(), fmt(-1, true, false, kMuted).font(), fmt(0, false).font()});
    // Taller than half a page, a card may have to be broken between its lines: the document knows them.
    return CardLayout::make(
        card, metrics, *m_cardFonts, m_textWidth, px(card.labelWidth), bodyHeight() / 2,
        [this](const QString &v) { return valueWidth(v); }, drawn);
}

std::optional<qreal> ReportDocument::directCardHeight(const Card &card) const
{
    const std::optional<CardLayout> layout = directLayout(card, false);
    return layout ? std::optional<qreal>(layout->height()) : std::nullopt;
}

qreal ReportDocument::cardStep(qreal height) const
{
    // The document keeps lengths in 64ths of a pixel.
    auto fixed = [](qreal v) { return qRound(v * 64) / 64.0; };
    return fixed(height - cardMetrics().placeholderExtra) + fixed(px(kCardTopMargin));
}

bool ReportDocument::directCard(const Card &card)
{
    std::optional<CardLayout> layout = directLayout(card, !m_measureOnly);
    if (!layout)
        return false;
    const CardMetrics &metrics = cardMetrics();
    startUnit(false);
    QTextBlockFormat f;
    f.setTopMargin(px(kCardTopMargin));
    f.setLineHeight(layout->height() - metrics.placeholderExtra, QTextBlockFormat::FixedHeight);
    const QTextBlock b = newBlock(f, fmt(0, false));
    m_cards.emplace_back(b.position(), std::move(*layout));
    return true;
}

const CardMetrics &ReportDocument::cardMetrics() const
{
    if (m_cardMetrics)
        return *m_cardMetrics;
    static QMutex lock;
    static std::map<QString, std::unique_ptr<CardMetrics>> known;
    QMutexLocker hold(&lock);
    auto &m = known[m_fontKey + QLatin1Char('/') + QString::number(m_pxPerPoint) + QLatin1Char('/') +
                    QString::number(m_textWidth) + QLatin1Char('/') + QString::number(m_page.margins.left())];
    if (!m)
        m = std::make_unique<CardMetrics>(measureCards());
    m_cardMetrics = m.get();
    return *m;
}

// Lays two sample cards out in a document, and two empty blocks of a fixed
// height, and takes the card's measures from them. The measures are used
// only where they add up to what the document gives for the sample.
CardMetrics ReportDocument::measureCards() const
{
    CardMetrics m;
    ReportDocument d(m_page, m_font, m_header);
    Card sample;
    sample.title = QStringLiteral("Ag");
    sample.labelWidth = 60;
    sample.fieldColumns = 3;
    const QString wrapping = QStringLiteral("A remark that runs over more than one line of the page, ").repeated(4);
    sample.entries = {{QStringLiteral("Fish caught"), QStringLiteral("3"), false},
                      {QStringLiteral("Remarks"), QStringLiteral("Short"), true},
                      {QStringLiteral("Also caught"), wrapping, true},
                      {QStringLiteral("Also caught"), QStringLiteral("Short"), true}};
    d.m_measuringCards = true; // the sample goes through the document
    d.card(sample);
    d.card(sample);
    const qreal fixed = 100;
    QTextBlockFormat holder;
    holder.setTopMargin(px(kCardTopMargin));
    holder.setLineHeight(fixed, QTextBlockFormat::FixedHeight);
    d.startUnit(false);
    d.newBlock(holder, d.fmt(0, false));
    d.startUnit(false);
    d.newBlock(holder, d.fmt(0, false));
    d.paragraph(QStringLiteral("End"), Note::Plain);
    d.layOutPage();
    QAbstractTextDocumentLayout *layout = d.m_doc->documentLayout();
    std::vector<QTextBlock> blocks;
    for (QTextBlock b = d.m_doc->findBlock(d.m_units.front().key); b.isValid(); b = b.next())
        blocks.push_back(b);
    if (blocks.size() != 13)
        return m;
    for (size_t i : {5, 6, 8})
        if (!blocks[i].layout() || blocks[i].layout()->lineCount() < 1)
            return m;
    auto top = [&](size_t i) { return layout->blockBoundingRect(blocks[i]).top(); };
    auto baseline = [&](size_t i) {
        const QTextLayout *tl = blocks[i].layout();
        return tl->position().y() + tl->lineAt(0).y() + tl->lineAt(0).ascent() - top(i);
    };
    // The second card's: the first one's room above it is the page header's.
    const QTextLayout *title = blocks[5].layout();
    m.titleBaseline = baseline(5);
    m.band = title->boundingRect().translated(0, title->position().y() - top(5));
    m.left = title->position().x();
    m.firstRow = top(6) - top(5);
    m.row = top(7) - top(6);
    m.rowBaseline = baseline(6);
    m.gap = px(6);
    // Tops are under each block's top margin, so a step from one block to the next holds the next one's margin.
    m.placeholderExtra = top(11) - top(10) - fixed - px(kCardTopMargin);
    const QFont fonts[] = {fmt(0.5, true).font(), fmt(-1, true, false, kMuted).font(), fmt(0, false).font()};
    for (char16_t u = 0x20; u < m.drawable.size(); ++u) {
        const bool plain = (u < 0x7f || (u >= 0xa0 && u < 0x300 && u != 0xad) || (u >= 0x2010 && u < 0x2028) ||
                            (u >= 0x2030 && u < 0x205f));
        if (!plain)
            continue;
        bool all = true;
        for (const QFont &f : fonts)
            all = all && QFontMetricsF(f).inFontUcs4(u);
        m.drawable[u] = all;
        m.titleAdvance[u] = float(QFontMetricsF(fonts[0]).horizontalAdvance(QChar(u)));
    }
    // The sample laid out by arithmetic must measure what the document measured.
    m.usable = true;
    const CardFonts cardFonts{fonts[0], fonts[1], fonts[2]};
    const auto direct2 = CardLayout::make(sample, m, cardFonts, m_textWidth, px(sample.labelWidth), 1e9,
                                          [&d](const QString &v) { return d.valueWidth(v); });
    m.usable = direct2 && std::abs(direct2->height() + px(kCardTopMargin) - (top(10) - top(5))) < 0.01 &&
               std::abs(blocks[8].layout()->lineCount() * m.row - (top(9) - top(8))) < 0.01 &&
               blocks[8].layout()->lineCount() > 1 && m.row > 0 && std::abs(m.placeholderExtra) < 1;
    if (!m.usable)
        qWarning("Cards are laid out in the document: their measures differ (%g against %g).",
                 direct2 ? direct2->height() + px(kCardTopMargin) : -1.0, top(10) - top(5));
    return m;
}

void ReportDocument::draw(QPainter &painter, const QAbstractTextDocumentLayout::PaintContext &context) const
{
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), layout->documentSize());
    const qreal left = cardMetrics().left;
    // In reading order, the document's text between the cards: text copied from a PDF file reads as printed.
    QAbstractTextDocumentLayout::PaintContext part = context;
    qreal from = clip.top();
    for (const auto &[position, card] : m_cards) {
        const qreal top = layout->blockBoundingRect(m_doc->findBlock(position)).top();
        if (top < clip.top() - 0.5 || top >= clip.bottom() - 0.5)
            continue;
        if (top > from) {
            part.clip = QRectF(clip.left(), from, clip.width(), top - from);
            layout->draw(&painter, part);
        }
        card.paint(painter, left, top);
        from = top + card.height();
    }
    if (from < clip.bottom()) {
        part.clip = QRectF(clip.left(), from, clip.width(), clip.bottom() - from);
        layout->draw(&painter, part);
    }
}

bool ReportDocument::cardText(const QTextBlock &block, QString *text) const
{
    const auto it = std::lower_bound(m_cards.begin(), m_cards.end(), block.position(),
                                     [](const auto &card, int position) { return card.first < position; });
    if (it == m_cards.end() || it->first != block.position())
        return false;
    *text = it->second.text();
    return true;
}

} // namespace tf::report
