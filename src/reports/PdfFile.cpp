#include "reports/PdfFile.h"

#include <QBuffer>
#include <QDateTime>
#include <QGlyphRun>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QtEndian>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_set>

namespace tf::report {

namespace {

// Numbers as PDF writes them: up to three decimals, no exponent. Written by
// hand because a page holds thousands and the C library's formatting is slow.
void num(QByteArray &out, double v)
{
    if (!std::isfinite(v))
        v = 0;
    long long scaled = std::llround(v * 1000);
    // Made in a buffer and appended at once: appending a character at a time costs more than the digits.
    char text[32];
    int n = 0;
    if (scaled < 0) {
        text[n++] = '-';
        scaled = -scaled;
    }
    char digits[24];
    int d = 0;
    long long whole = scaled / 1000;
    do {
        digits[d++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    while (d > 0)
        text[n++] = digits[--d];
    int frac = int(scaled % 1000);
    if (frac) {
        text[n++] = '.';
        int div = 100;
        while (frac) {
            text[n++] = char('0' + frac / div);
            frac %= div;
            div /= 10;
        }
    }
    text[n++] = ' ';
    out.append(text, n);
}

void hex4(QByteArray &out, quint32 v)
{
    static const char kHex[] = "0123456789ABCDEF";
    const char text[4] = {kHex[(v >> 12) & 15], kHex[(v >> 8) & 15], kHex[(v >> 4) & 15], kHex[v & 15]};
    out.append(text, 4);
}

QByteArray numbers(std::initializer_list<double> values)
{
    QByteArray out;
    for (double v : values)
        num(out, v);
    out.chop(1);
    return out;
}

quint16 u16(const QByteArray &table, int at)
{
    return at + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + at) : 0;
}
qint16 s16(const QByteArray &table, int at)
{
    return qint16(u16(table, at));
}
quint32 u32(const QByteArray &table, int at)
{
    return at + 4 <= table.size() ? qFromBigEndian<quint32>(table.constData() + at) : 0;
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToBigEndian(v, b);
    out.append(b, 2);
}
void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

// Text set in these scripts is drawn glyph for glyph as the font maps it; any
// other script needs shaping, which Qt's layout does first.
bool needsShaping(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x250)
            continue;
        switch (c.script()) {
        case QChar::Script_Common:
        case QChar::Script_Latin:
        case QChar::Script_Greek:
        case QChar::Script_Cyrillic:
            continue;
        default:
            return true;
        }
    }
    return false;
}

QByteArray pdfName(const QString &text)
{
    QByteArray out;
    for (const QChar c : text)
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            out += char(c.unicode());
    return out.isEmpty() ? QByteArray("Font") : out;
}

// A text string: UTF-16 with its byte order mark, in hex, so any title is safe.
QByteArray pdfText(const QString &text)
{
    QByteArray out("<FEFF");
    for (const QChar c : text)
        hex4(out, c.unicode());
    return out + '>';
}

} // namespace

// ---------------------------------------------------------------- fonts

struct PdfFonts::Font
{
    QString key;
    bool embeddable = false;
    QByteArray head, hhea, maxp, hmtx, loca, glyf, cmap, cvt, fpgm, prep, os2;
    int glyphCount = 0;
    int unitsPerEm = 1000;
    int hMetrics = 0;
    bool longLoca = false;
    bool italic = false;
    QString family, style;
    std::vector<bool> used;
    std::vector<QString> text;

    int advance(int glyph) const
    {
        const int i = qMin(glyph, hMetrics - 1);
        return i < 0 ? 0 : u16(hmtx, 4 * i);
    }
    qint64 glyphStart(int glyph) const
    {
        return longLoca ? qint64(u32(loca, 4 * glyph)) : 2 * qint64(u16(loca, 2 * glyph));
    }
    int toThousand(int units) const { return qRound(units * 1000.0 / unitsPerEm); }
};

PdfFonts::PdfFonts() = default;
PdfFonts::~PdfFonts() = default;

int PdfFonts::faceIndex(const QRawFont &face)
{
    const QString key = face.familyName() + QLatin1Char('|') + face.styleName() + QLatin1Char('|') +
                        QString::number(face.weight()) + QLatin1Char('|') + QString::number(int(face.style()));
    QMutexLocker lock(&m_lock);
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i]->key == key)
            return m_fonts[i]->embeddable ? int(i) : -1;
    auto f = std::make_unique<Font>();
    f->key = key;
    f->family = face.familyName();
    f->style = face.styleName();
    f->italic = face.style() != QFont::StyleNormal;
    f->head = face.fontTable("head");
    f->hhea = face.fontTable("hhea");
    f->maxp = face.fontTable("maxp");
    f->hmtx = face.fontTable("hmtx");
    f->loca = face.fontTable("loca");
    f->glyf = face.fontTable("glyf");
    f->cmap = face.fontTable("cmap");
    f->cvt = face.fontTable("cvt ");
    f->fpgm = face.fontTable("fpgm");
    f->prep = face.fontTable("prep");
    f->os2 = face.fontTable("OS/2");
    f->glyphCount = u16(f->maxp, 4);
    f->unitsPerEm = qMax(16, int(u16(f->head, 18)));
    f->hMetrics = u16(f->hhea, 34);
    f->longLoca = s16(f->head, 50) == 1;
    const int locaSize = (f->glyphCount + 1) * (f->longLoca ? 4 : 2);
    // Only TrueType outlines whose tables hang together are embedded; other
    // fonts are drawn as outlines.
    f->embeddable = f->head.size() >= 54 && f->hhea.size() >= 36 && f->glyphCount > 0 && f->hMetrics > 0 &&
                    f->hmtx.size() >= 4 * f->hMetrics && f->loca.size() >= locaSize && !f->glyf.isEmpty() &&
                    f->glyphStart(f->glyphCount) <= f->glyf.size();
    if (f->embeddable) {
        f->used.assign(size_t(f->glyphCount), false);
        f->text.resize(size_t(f->glyphCount));
        f->used[0] = true; // the glyph for missing characters is always there
    } else {
        f->glyf.clear();
    }
    m_fonts.push_back(std::move(f));
    return m_fonts.back()->embeddable ? int(m_fonts.size()) - 1 : -1;
}

void PdfFonts::use(int face, const std::vector<std::pair<quint32, QString>> &glyphs)
{
    QMutexLocker lock(&m_lock);
    Font &f = *m_fonts[size_t(face)];
    for (const auto &[glyph, text] : glyphs) {
        if (glyph >= quint32(f.glyphCount))
            continue;
        f.used[glyph] = true;
        if (f.text[glyph].isEmpty())
            f.text[glyph] = text;
    }
}

size_t PdfFonts::count() const
{
    QMutexLocker lock(&m_lock);
    return m_fonts.size();
}

QByteArray PdfFonts::baseName(int face) const
{
    QMutexLocker lock(&m_lock);
    const Font &f = *m_fonts[size_t(face)];
    // A subset is named with a tag of six capitals of its own.
    QByteArray tag("TFAAAA");
    for (int i = 5, n = face; i >= 2 && n > 0; --i, n /= 26)
        tag[i] = char('A' + n % 26);
    return tag + '+' + pdfName(f.family) + '-' + pdfName(f.style);
}

QByteArray PdfFonts::fontProgram(int face) const
{
    QMutexLocker lock(&m_lock);
    const Font &f = *m_fonts[size_t(face)];
    // The glyphs used, with the parts composite glyphs are made of. Glyph
    // numbers stay as they are (the text names glyphs by number); unused
    // glyphs are left empty.
    std::vector<bool> keep = f.used;
    std::vector<int> todo;
    for (int g = 0; g < f.glyphCount; ++g)
        if (keep[size_t(g)])
            todo.push_back(g);
    while (!todo.empty()) {
        const int g = todo.back();
        todo.pop_back();
        const qint64 start = f.glyphStart(g), end = f.glyphStart(g + 1);
        if (end - start < 10 || s16(f.glyf, int(start)) >= 0)
            continue;
        qint64 at = start + 10;
        for (;;) {
            const quint16 flags = u16(f.glyf, int(at));
            const quint16 part = u16(f.glyf, int(at + 2));
            if (part < f.glyphCount && !keep[part]) {
                keep[part] = true;
                todo.push_back(part);
            }
            at += 4 + ((flags & 0x1) ? 4 : 2);
            if (flags & 0x8)
                at += 2;
            else if (flags & 0x40)
                at += 4;
            else if (flags & 0x80)
                at += 8;
            if (!(flags & 0x20) || at >= end)
                break;
        }
    }
    QByteArray glyf, loca;
    for (int g = 0; g < f.glyphCount; ++g) {
        put32(loca, quint32(glyf.size()));
        if (!keep[size_t(g)])
            continue;
        const qint64 start = f.glyphStart(g), end = f.glyphStart(g + 1);
        if (end > start)
            glyf.append(f.glyf.constData() + start, int(end - start));
        while (glyf.size() % 4)
            glyf.append('\0');
    }
    put32(loca, quint32(glyf.size()));
    QByteArray head = f.head;
    qToBigEndian<quint32>(0, head.data() + 8); // the whole-file checksum: not kept up
    qToBigEndian<qint16>(1, head.data() + 50); // long offsets in loca

    const std::vector<std::pair<const char *, const QByteArray *>> tables = {
        {"OS/2", &f.os2},  {"cmap", &f.cmap}, {"cvt ", &f.cvt}, {"fpgm", &f.fpgm}, {"glyf", &glyf},  {"head", &head},
        {"hhea", &f.hhea}, {"hmtx", &f.hmtx}, {"loca", &loca},  {"maxp", &f.maxp}, {"prep", &f.prep}};
    int count = 0;
    for (const auto &t : tables)
        count += t.second->isEmpty() ? 0 : 1;
    int power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    QByteArray out;
    put32(out, 0x00010000);
    put16(out, quint16(count));
    put16(out, quint16(power * 16));
    put16(out, quint16(log2));
    put16(out, quint16(count * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * count);
    QByteArray data;
    for (const auto &[tag, table] : tables) {
        if (table->isEmpty())
            continue;
        QByteArray padded = *table;
        while (padded.size() % 4)
            padded.append('\0');
        quint32 sum = 0;
        for (int i = 0; i < padded.size(); i += 4)
            sum += u32(padded, i);
        out.append(tag, 4);
        put32(out, sum);
        put32(out, offset + quint32(data.size()));
        put32(out, quint32(table->size()));
        data += padded;
    }
    return out + data;
}

QByteArray PdfFonts::widths(int face) const
{
    QMutexLocker lock(&m_lock);
    const Font &f = *m_fonts[size_t(face)];
    QByteArray out("[");
    int g = 0;
    while (g < f.glyphCount) {
        if (!f.used[size_t(g)]) {
            ++g;
            continue;
        }
        out += QByteArray::number(g) + " [";
        while (g < f.glyphCount && f.used[size_t(g)])
            out += QByteArray::number(f.toThousand(f.advance(g++))) + ' ';
        out.chop(1);
        out += "] ";
    }
    out += ']';
    return out;
}

QByteArray PdfFonts::toUnicode(int face) const
{
    QMutexLocker lock(&m_lock);
    const Font &f = *m_fonts[size_t(face)];
    std::vector<int> mapped;
    for (int g = 0; g < f.glyphCount; ++g)
        if (f.used[size_t(g)] && !f.text[size_t(g)].isEmpty())
            mapped.push_back(g);
    QByteArray out("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                   "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                   "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                   "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    for (size_t i = 0; i < mapped.size(); i += 100) {
        const size_t n = qMin<size_t>(100, mapped.size() - i);
        out += QByteArray::number(qulonglong(n)) + " beginbfchar\n";
        for (size_t k = i; k < i + n; ++k) {
            out += '<';
            hex4(out, quint32(mapped[k]));
            out += "> <";
            for (const QChar c : f.text[size_t(mapped[k])])
                hex4(out, c.unicode());
            out += ">\n";
        }
        out += "endbfchar\n";
    }
    out += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return out;
}

QByteArray PdfFonts::descriptor(int face, int fontFileObject) const
{
    const QByteArray name = baseName(face);
    QMutexLocker lock(&m_lock);
    const Font &f = *m_fonts[size_t(face)];
    const int ascent = f.toThousand(s16(f.hhea, 4));
    const int descent = f.toThousand(s16(f.hhea, 6));
    const int capHeight = f.os2.size() >= 90 ? f.toThousand(s16(f.os2, 88)) : ascent;
    return "<< /Type /FontDescriptor /FontName /" + name + " /Flags " + QByteArray::number(f.italic ? 96 : 32) +
           " /FontBBox [" + QByteArray::number(f.toThousand(s16(f.head, 36))) + ' ' +
           QByteArray::number(f.toThousand(s16(f.head, 38))) + ' ' + QByteArray::number(f.toThousand(s16(f.head, 40))) +
           ' ' + QByteArray::number(f.toThousand(s16(f.head, 42))) + "] /ItalicAngle " + (f.italic ? "-12" : "0") +
           " /Ascent " + QByteArray::number(ascent) + " /Descent " + QByteArray::number(descent) + " /CapHeight " +
           QByteArray::number(capHeight) + " /StemV 80 /FontFile2 " + QByteArray::number(fontFileObject) + " 0 R >>";
}

// ---------------------------------------------------------------- painting

class PdfPaintEngine : public QPaintEngine
{
public:
    explicit PdfPaintEngine(PdfPage &page)
        : QPaintEngine(QPaintEngine::AllFeatures &
                       ~(QPaintEngine::PorterDuff | QPaintEngine::LinearGradientFill |
                         QPaintEngine::RadialGradientFill | QPaintEngine::ConicalGradientFill)),
          m_page(page), m_out(page.m_content)
    {
    }

    bool begin(QPaintDevice *) override
    {
        // The page's own space has its origin at the top left, y downwards, as QPainter's.
        m_out.clear();
        m_out.reserve(64 * 1024); // a page of text; growing it step by step copies it again and again
        m_out += "1 0 0 -1 0 ";
        num(m_out, m_page.m_size.height());
        m_out += "cm\nq\n";
        return true;
    }

    bool end() override
    {
        m_out += "Q\n";
        for (auto &[face, glyphs] : m_used) {
            m_page.m_fonts.use(face, glyphs);
            m_page.m_faces.push_back(face);
        }
        m_used.clear();
        return true;
    }

    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags flags = state.state();
        if (flags & DirtyTransform)
            m_matrix = state.transform();
        if (flags & DirtyPen)
            m_pen = state.pen();
        if (flags & DirtyBrush)
            m_brush = state.brush();
        if (flags & DirtyClipEnabled) {
            m_clipOn = state.isClipEnabled();
            m_clipDirty = true;
        }
        if (flags & DirtyClipPath)
            clipTo(state.clipPath(), state.clipOperation());
        if (flags & DirtyClipRegion) {
            QPainterPath path;
            path.addRegion(state.clipRegion());
            clipTo(path, state.clipOperation());
        }
    }

    void drawPath(const QPainterPath &path) override { paint(path, true, true); }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (count < 2)
            return;
        QPainterPath path(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        paint(path, mode != PolylineMode, true);
    }

    void drawRects(const QRectF *rects, int count) override
    {
        QPainterPath path;
        for (int i = 0; i < count; ++i)
            path.addRect(rects[i]);
        paint(path, true, true);
    }

    void drawLines(const QLineF *lines, int count) override
    {
        QPainterPath path;
        for (int i = 0; i < count; ++i) {
            path.moveTo(lines[i].p1());
            path.lineTo(lines[i].p2());
        }
        paint(path, false, true);
    }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags) override
    {
        QImage picture = sr.toAlignedRect() == image.rect() ? image : image.copy(sr.toAlignedRect());
        if (picture.isNull() || r.isEmpty())
            return;
        if (picture.hasAlphaChannel()) {
            QImage flat(picture.size(), QImage::Format_RGB32);
            flat.fill(Qt::white);
            QPainter p(&flat);
            p.drawImage(0, 0, picture);
            p.end();
            picture = flat;
        }
        PdfPage::Picture pic;
        pic.gray = picture.allGray();
        picture = picture.convertToFormat(pic.gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        QBuffer buffer(&pic.data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        if (!writer.write(picture))
            return;
        pic.width = picture.width();
        pic.height = picture.height();
        const QRectF d = m_matrix.mapRect(r);
        syncClip();
        m_out += "q ";
        m_out += numbers({d.width(), 0, 0, -d.height(), d.left(), d.bottom()});
        m_out += " cm /Im" + QByteArray::number(qulonglong(m_page.m_pictures.size())) + " Do Q\n";
        m_page.m_pictures.push_back(std::move(pic));
    }

    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        const QString text = item.text();
        if (text.isEmpty() || m_pen.style() == Qt::NoPen || m_pen.color().alpha() == 0)
            return;
        const Face &face = faceFor(item.font());
        if (face.index >= 0 && !(item.renderFlags() & QTextItem::RightToLeft) && !needsShaping(text) &&
            drawDirect(p, text, face, item.width()))
            return;
        drawLaidOut(p, item);
    }

    // Text set by its font's design advances alone, its baseline starting at `p`, in `ink`, the
    // painter's transform `matrix` (which the painter hands over only when it draws itself).
    bool drawPlain(const QPointF &p, const QString &text, const QFont &font, const QColor &ink,
                   const QTransform &matrix)
    {
        if (text.isEmpty() || ink.alpha() == 0)
            return true;
        const Face &face = faceFor(font);
        if (face.index < 0 || needsShaping(text))
            return false;
        const QTransform before = m_matrix;
        const QPen pen = m_pen;
        m_matrix = matrix;
        m_pen = QPen(ink);
        const bool drawn = drawDirect(p, text, face, -1);
        m_matrix = before;
        m_pen = pen;
        return drawn;
    }

private:
    struct Face
    {
        QRawFont raw;
        int index = -1;
    };

    // The common case, and the fast one: the text's own font has every
    // character, one glyph each, set at its design advances. False when the
    // text needs more than that. `width`: what the layout made of it (negative: none laid it out).
    bool drawDirect(const QPointF &p, const QString &text, const Face &face, qreal width)
    {
        const QList<quint32> glyphs = face.raw.glyphIndexesForString(text);
        QList<quint32> drawn;
        drawn.reserve(glyphs.size());
        std::vector<std::pair<quint32, QString>> fresh;
        std::unordered_set<quint32> &seen = m_seen[face.index];
        int at = 0;
        for (const quint32 g : glyphs) {
            const int length = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
            const int start = at;
            at += length;
            if (g == 0) {
                const QChar::Category kind = text.at(start).category();
                if (kind == QChar::Other_Control || kind == QChar::Other_Format || kind == QChar::Separator_Line ||
                    kind == QChar::Separator_Paragraph)
                    continue;
                return false; // set in another font
            }
            drawn.push_back(g);
            if (!seen.count(g))
                fresh.emplace_back(g, text.mid(start, length));
        }
        if (drawn.isEmpty())
            return true;
        // The layout placed the glyphs by their design advances; a run that
        // was set otherwise (stretched, spaced) is laid out again.
        if (width >= 0) {
            qreal advances = 0;
            for (const QPointF &a : face.raw.advancesForGlyphIndexes(drawn, QRawFont::UseDesignMetrics))
                advances += a.x();
            if (qAbs(advances - width) > 0.5 + width / 200)
                return false;
        }
        markUsed(face.index, std::move(fresh));
        syncClip();
        setFill(m_pen.color());
        beginText(face, p);
        m_out += '<';
        for (const quint32 g : drawn)
            hex4(m_out, g);
        m_out += "> Tj ET\n";
        return true;
    }

    // Text the font alone cannot set: characters from fallback fonts, scripts
    // that need shaping, right-to-left runs. Qt lays it out (choosing the
    // fallback fonts and shaping), and each run of glyphs is embedded in the
    // font it came from; only glyphs of fonts that cannot be embedded are drawn
    // as outlines.
    void drawLaidOut(const QPointF &p, const QTextItem &item)
    {
        // The item's font is already resolved for the resolution the text was laid out at.
        QTextLayout layout(item.text(), item.font());
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        if (item.renderFlags() & QTextItem::RightToLeft)
            option.setTextDirection(Qt::RightToLeft);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (!line.isValid())
            return;
        // Set otherwise than Qt would set it alone (stretched, spaced): keep the look as outlines.
        if (qAbs(line.naturalTextWidth() - item.width()) > 0.5 + item.width() / 200) {
            outlines(p, item);
            return;
        }
        const QPointF origin = p - QPointF(0, line.ascent());
        syncClip();
        for (const QGlyphRun &run : line.glyphRuns()) {
            const Face &face = rawFace(run.rawFont());
            if (face.index < 0) {
                QPainterPath path;
                const QList<quint32> glyphs = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                for (qsizetype i = 0; i < glyphs.size(); ++i)
                    path.addPath(face.raw.pathForGlyph(glyphs[i]).translated(origin + positions[i]));
                fillText(path);
                continue;
            }
            glyphRun(origin, run, face, item.text());
        }
    }

    // A run of glyphs of one embedded font, at the places the layout gave them:
    // pieces set at the design advances go in one string, a new piece begins
    // where a glyph is placed otherwise (kerning, marks above and below).
    void glyphRun(const QPointF &origin, const QGlyphRun &run, const Face &face, const QString &text)
    {
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        if (glyphs.isEmpty() || positions.size() != glyphs.size())
            return;
        const QList<QPointF> advances = face.raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        std::vector<std::pair<quint32, QString>> fresh;
        std::unordered_set<quint32> &seen = m_seen[face.index];
        const std::map<quint32, QString> texts = glyphTexts(face.raw, text, glyphs);
        for (const quint32 g : glyphs) {
            if (seen.count(g))
                continue;
            const auto t = texts.find(g);
            fresh.emplace_back(g, t == texts.end() ? QString() : t->second);
        }
        markUsed(face.index, std::move(fresh));
        setFill(m_pen.color());
        qsizetype i = 0;
        while (i < glyphs.size()) {
            beginText(face, origin + positions[i]);
            m_out += '<';
            hex4(m_out, glyphs[i]);
            QPointF next = positions[i] + advances.value(i);
            ++i;
            while (i < glyphs.size() && qAbs(positions[i].x() - next.x()) < 0.01 &&
                   qAbs(positions[i].y() - next.y()) < 0.01) {
                hex4(m_out, glyphs[i]);
                next += advances.value(i);
                ++i;
            }
            m_out += "> Tj ET\n";
        }
    }

    // The characters each glyph stands for, where a character of the text maps
    // to it in the font's own table (a shaped form or a ligature has none), so
    // the text can be copied out of the file.
    static std::map<quint32, QString> glyphTexts(const QRawFont &raw, const QString &text, const QList<quint32> &glyphs)
    {
        std::map<quint32, QString> texts;
        const std::unordered_set<quint32> wanted(glyphs.begin(), glyphs.end());
        const QList<quint32> mapped = raw.glyphIndexesForString(text);
        int at = 0;
        for (const quint32 g : mapped) {
            if (at >= text.size())
                break;
            const int length = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
            if (g != 0 && wanted.count(g))
                texts.emplace(g, text.mid(at, length));
            at += length;
        }
        return texts;
    }

    void markUsed(int face, std::vector<std::pair<quint32, QString>> fresh)
    {
        std::unordered_set<quint32> &seen = m_seen[face];
        std::vector<std::pair<quint32, QString>> &used = m_used[face];
        for (auto &g : fresh)
            if (seen.insert(g.first).second)
                used.push_back(std::move(g));
    }

    // Opens a text object in a face at a point on the baseline.
    void beginText(const Face &face, const QPointF &at)
    {
        const qreal s = face.raw.pixelSize();
        const QPointF o = m_matrix.map(at);
        // Runs of one face at one size follow each other: its font and scale are written once and copied.
        const TextHead head{face.index, s * m_matrix.m11(), s * m_matrix.m12(), -s * m_matrix.m21(),
                            -s * m_matrix.m22()};
        if (!(head == m_lastHead) || m_lastHeadText.isEmpty()) {
            m_lastHead = head;
            m_lastHeadText = "BT /F" + QByteArray::number(face.index) + " 1 Tf ";
            for (const qreal v : {head.a, head.b, head.c, head.d})
                num(m_lastHeadText, v);
        }
        m_out += m_lastHeadText;
        num(m_out, o.x());
        num(m_out, o.y());
        m_out += "Tm ";
    }

    // The face of a run the layout set, perhaps a fallback font.
    const Face &rawFace(const QRawFont &raw)
    {
        for (const Face &face : m_rawFaces)
            if (face.raw == raw)
                return face;
        Face face;
        face.raw = raw;
        face.index = raw.isValid() ? m_page.m_fonts.faceIndex(raw) : -1;
        m_rawFaces.push_back(face);
        return m_rawFaces.back();
    }

    const Face &faceFor(const QFont &font)
    {
        // A page has a handful of fonts: comparing them costs less than naming them.
        for (const auto &[known, face] : m_faces)
            if (known == font)
                return face;
        Face face;
        face.raw = QRawFont::fromFont(font);
        face.index = face.raw.isValid() ? m_page.m_fonts.faceIndex(face.raw) : -1;
        m_faces.emplace_back(font, face);
        return m_faces.back().second;
    }

    void outlines(const QPointF &p, const QTextItem &item)
    {
        QPainterPath path;
        path.addText(p, item.font(), item.text());
        fillText(path);
    }

    void fillText(const QPainterPath &path)
    {
        const QBrush brush = m_brush;
        const QPen pen = m_pen;
        m_brush = QBrush(pen.color());
        m_pen = QPen(Qt::NoPen);
        paint(path, true, false);
        m_brush = brush;
        m_pen = pen;
    }

    void clipTo(const QPainterPath &path, Qt::ClipOperation op)
    {
        if (op == Qt::NoClip) {
            m_clips.clear();
            m_clipOn = false;
        } else {
            if (op == Qt::ReplaceClip)
                m_clips.clear();
            m_clips.push_back(m_matrix.map(path));
            m_clipOn = true;
        }
        m_clipDirty = true;
    }

    // A clip is undone only by restoring the saved state, which forgets the colours too.
    void syncClip()
    {
        if (!m_clipDirty)
            return;
        m_clipDirty = false;
        m_out += "Q q\n";
        m_fill = m_stroke = QColor();
        m_lineWidth = -1;
        if (!m_clipOn)
            return;
        for (const QPainterPath &clip : m_clips) {
            pathOps(clip, QTransform());
            m_out += clip.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n";
        }
    }

    void setFill(const QColor &c)
    {
        if (c == m_fill)
            return;
        m_fill = c;
        num(m_out, c.redF());
        num(m_out, c.greenF());
        num(m_out, c.blueF());
        m_out += "rg\n";
    }

    void setStroke(const QPen &pen)
    {
        const QColor c = pen.color();
        if (c != m_stroke) {
            m_stroke = c;
            num(m_out, c.redF());
            num(m_out, c.greenF());
            num(m_out, c.blueF());
            m_out += "RG\n";
        }
        const qreal scale = std::sqrt(qAbs(m_matrix.determinant()));
        const qreal width = pen.isCosmetic() ? pen.widthF() : pen.widthF() * scale;
        if (width != m_lineWidth) {
            m_lineWidth = width;
            num(m_out, width);
            m_out += "w\n";
        }
    }

    void pathOps(const QPainterPath &path, const QTransform &m)
    {
        QPointF start;
        QPointF last;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element &e = path.elementAt(i);
            const QPointF pt = m.map(QPointF(e.x, e.y));
            switch (e.type) {
            case QPainterPath::MoveToElement:
                if (i > 0 && last == start)
                    m_out += "h ";
                num(m_out, pt.x());
                num(m_out, pt.y());
                m_out += "m ";
                start = last = pt;
                break;
            case QPainterPath::LineToElement:
                num(m_out, pt.x());
                num(m_out, pt.y());
                m_out += "l ";
                last = pt;
                break;
            case QPainterPath::CurveToElement: {
                const QPointF c2 = m.map(QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y));
                const QPointF end = m.map(QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y));
                num(m_out, pt.x());
                num(m_out, pt.y());
                num(m_out, c2.x());
                num(m_out, c2.y());
                num(m_out, end.x());
                num(m_out, end.y());
                m_out += "c ";
                last = end;
                i += 2;
                break;
            }
            case QPainterPath::CurveToDataElement:
                break;
            }
        }
        if (path.elementCount() > 1 && last == start)
            m_out += "h ";
    }

    void paint(const QPainterPath &path, bool mayFill, bool mayStroke)
    {
        const bool fill = mayFill && m_brush.style() != Qt::NoBrush && m_brush.color().alpha() > 0;
        const bool stroke = mayStroke && m_pen.style() != Qt::NoPen && m_pen.color().alpha() > 0;
        if ((!fill && !stroke) || path.isEmpty())
            return;
        syncClip();
        if (fill)
            setFill(m_brush.color());
        if (stroke)
            setStroke(m_pen);
        pathOps(path, m_matrix);
        const bool oddEven = path.fillRule() == Qt::OddEvenFill;
        m_out += fill && stroke ? (oddEven ? "B*\n" : "B\n") : fill ? (oddEven ? "f*\n" : "f\n") : "S\n";
    }

    PdfPage &m_page;
    QByteArray &m_out;
    QTransform m_matrix;
    struct TextHead
    {
        int face = -1;
        qreal a = 0, b = 0, c = 0, d = 0;
        bool operator==(const TextHead &o) const
        {
            return face == o.face && a == o.a && b == o.b && c == o.c && d == o.d;
        }
    };
    TextHead m_lastHead;
    QByteArray m_lastHeadText;
    QPen m_pen;
    QBrush m_brush;
    std::vector<QPainterPath> m_clips;
    bool m_clipOn = false;
    bool m_clipDirty = false;
    QColor m_fill, m_stroke;
    qreal m_lineWidth = -1;
    std::deque<std::pair<QFont, Face>> m_faces;
    std::deque<Face> m_rawFaces;
    std::map<int, std::vector<std::pair<quint32, QString>>> m_used;
    std::map<int, std::unordered_set<quint32>> m_seen;
};

PdfPage::PdfPage(PdfFonts &fonts, const QSizeF &points)
    : m_size(points), m_fonts(fonts), m_engine(std::make_unique<PdfPaintEngine>(*this))
{
}

PdfPage::~PdfPage() = default;

bool drawPlainText(QPainter &painter, const QPointF &baseline, const QString &text, const QFont &font)
{
    auto *engine = dynamic_cast<PdfPaintEngine *>(painter.paintEngine());
    return engine && engine->drawPlain(baseline, text, font, painter.pen().color(), painter.combinedTransform());
}

QPaintEngine *PdfPage::paintEngine() const
{
    return m_engine.get();
}

int PdfPage::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return qCeil(m_size.width());
    case PdmHeight:
        return qCeil(m_size.height());
    case PdmWidthMM:
        return qRound(m_size.width() * 25.4 / 72);
    case PdmHeightMM:
        return qRound(m_size.height() * 25.4 / 72);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 72;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}

// ---------------------------------------------------------------- the file

QString writeFailure(const QFileDevice &file, int code)
{
    const bool known = file.error() != QFileDevice::UnspecifiedError && !file.errorString().isEmpty() &&
                       file.errorString() != QLatin1String("Unknown error");
    if (!known && (code == ENOSPC || code == EFBIG || code == EDQUOT || code == EIO))
        return QString::fromLocal8Bit(std::strerror(code));
    return file.errorString();
}

PdfFile::PdfFile(const QString &path) : m_file(path)
{
    m_offsets.push_back(0);
}

PdfFile::~PdfFile() = default;

bool PdfFile::open()
{
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    reserve(); // 1: the catalogue
    reserve(); // 2: the page tree
    return !m_failed;
}

int PdfFile::reserve()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size()) - 1;
}

void PdfFile::write(const QByteArray &bytes)
{
    if (m_failed)
        return;
    errno = 0;
    if (m_file.write(bytes) != bytes.size()) {
        m_failed = true;
        m_error = writeFailure(m_file, errno);
    }
}

void PdfFile::beginObject(int number)
{
    m_offsets[size_t(number)] = m_file.pos();
    write(QByteArray::number(number) + " 0 obj\n");
}

void PdfFile::writeStream(int number, const QByteArray &dictionary, const QByteArray &data, int level)
{
    // qCompress puts the length in four bytes before the zlib stream.
    const bool compress = level > 0;
    const QByteArray bytes = compress ? qCompress(data, level).mid(4) : data;
    beginObject(number);
    write("<< " + dictionary + " /Length " + QByteArray::number(bytes.size()) +
          (compress ? " /Filter /FlateDecode" : "") + " >>\nstream\n");
    write(bytes);
    write("\nendstream\nendobj\n");
}

bool PdfFile::addPage(const PdfPage &page)
{
    const int content = reserve();
    writeStream(content, {}, page.m_content, 1); // the fastest: pages are many, and text packs well even so
    QByteArray resources("/ProcSet [/PDF /Text /ImageB /ImageC]");
    if (!page.m_faces.empty()) {
        m_fontObjects.resize(m_fonts.count(), 0);
        resources += " /Font <<";
        for (const int face : page.m_faces) {
            int &object = m_fontObjects[size_t(face)];
            if (!object)
                object = reserve();
            resources += " /F" + QByteArray::number(face) + ' ' + QByteArray::number(object) + " 0 R";
        }
        resources += " >>";
    }
    if (!page.m_pictures.empty()) {
        resources += " /XObject <<";
        for (size_t i = 0; i < page.m_pictures.size(); ++i) {
            const PdfPage::Picture &pic = page.m_pictures[i];
            const int object = reserve();
            writeStream(object,
                        "/Type /XObject /Subtype /Image /Width " + QByteArray::number(pic.width) + " /Height " +
                            QByteArray::number(pic.height) + " /ColorSpace " +
                            (pic.gray ? "/DeviceGray" : "/DeviceRGB") + " /BitsPerComponent 8 /Filter /DCTDecode",
                        pic.data, 0);
            resources += " /Im" + QByteArray::number(qulonglong(i)) + ' ' + QByteArray::number(object) + " 0 R";
        }
        resources += " >>";
    }
    const int object = reserve();
    beginObject(object);
    write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + numbers({page.m_size.width(), page.m_size.height()}) +
          "] /Contents " + QByteArray::number(content) + " 0 R /Resources << " + resources + " >> >>\nendobj\n");
    m_pages.push_back(object);
    return !m_failed;
}

bool PdfFile::finish(const QString &title)
{
    for (size_t face = 0; face < m_fontObjects.size(); ++face) {
        const int type0 = m_fontObjects[face];
        if (!type0)
            continue;
        const int f = int(face);
        const QByteArray name = m_fonts.baseName(f);
        const int cid = reserve(), descriptor = reserve(), file = reserve(), unicode = reserve();
        beginObject(type0);
        write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [" +
              QByteArray::number(cid) + " 0 R] /ToUnicode " + QByteArray::number(unicode) + " 0 R >>\nendobj\n");
        beginObject(cid);
        write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
              " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
              QByteArray::number(descriptor) + " 0 R /CIDToGIDMap /Identity /W " + m_fonts.widths(f) + " >>\nendobj\n");
        beginObject(descriptor);
        write(m_fonts.descriptor(f, file) + "\nendobj\n");
        const QByteArray program = m_fonts.fontProgram(f);
        writeStream(file, "/Length1 " + QByteArray::number(program.size()), program, 9);
        writeStream(unicode, {}, m_fonts.toUnicode(f), 9);
    }
    beginObject(2);
    QByteArray kids;
    for (const int p : m_pages)
        kids += QByteArray::number(p) + " 0 R ";
    write("<< /Type /Pages /Count " + QByteArray::number(qulonglong(m_pages.size())) + " /Kids [" + kids +
          "] >>\nendobj\n");
    beginObject(1);
    write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    const int info = reserve();
    beginObject(info);
    QByteArray infoText = "<< /Creator (Tallyfin) /Producer (Tallyfin) /CreationDate (D:" +
                          QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)";
    if (!title.isEmpty())
        infoText += " /Title " + pdfText(title);
    write(infoText + " >>\nendobj\n");
    const qint64 xref = m_file.pos();
    QByteArray table = "xref\n0 " + QByteArray::number(qulonglong(m_offsets.size())) + "\n0000000000 65535 f \n";
    for (size_t i = 1; i < m_offsets.size(); ++i) {
        const QByteArray offset = QByteArray::number(qMax<qint64>(0, m_offsets[i]));
        table += QByteArray(10 - offset.size(), '0') + offset + " 00000 n \n";
    }
    write(table);
    write("trailer\n<< /Size " + QByteArray::number(qulonglong(m_offsets.size())) + " /Root 1 0 R /Info " +
          QByteArray::number(info) + " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    if (m_failed) {
        m_file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!m_file.commit()) {
        m_failed = true;
        m_error = writeFailure(m_file, errno);
    }
    return !m_failed;
}

} // namespace tf::report
