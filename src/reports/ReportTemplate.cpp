#include "reports/ReportTemplate.h"

#include <QLocale>
#include <QRegularExpression>

namespace tf::report {

namespace {

// ", " or " - " opening an optional part: the punctuation and blanks, not words.
QString withoutLeadingSeparator(const QString &s)
{
    static const QString separators = QStringLiteral(",;:.-/|\u00b7\u2013\u2014");
    int i = 0;
    while (i < s.size() && (s[i].isSpace() || separators.contains(s[i])))
        ++i;
    return s.mid(i);
}

bool isBlank(const QString &s)
{
    for (QChar c : s)
        if (!c.isSpace())
            return false;
    return true;
}

} // namespace

bool Template::parse(const QString &text, QString *error)
{
    m_pieces.clear();
    int pos = 0;
    return parsePieces(text, pos, false, m_pieces, error);
}

bool Template::parsePieces(const QString &text, int &pos, bool nested, std::vector<Piece> &out, QString *error)
{
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty()) {
            Piece p;
            p.text = literal;
            out.push_back(std::move(p));
            literal.clear();
        }
    };
    const int n = int(text.size());
    while (pos < n) {
        const QChar c = text[pos];
        const QChar next = pos + 1 < n ? text[pos + 1] : QChar();
        // Doubled, a character stands for itself; inside brackets "]]" closes two of them.
        if ((c == u'{' || c == u'}' || c == u'[' || (c == u']' && !nested)) && next == c) {
            literal += c;
            pos += 2;
            continue;
        }
        if (c == u'{') {
            const int close = int(text.indexOf(u'}', pos + 1));
            const int reopen = int(text.indexOf(u'{', pos + 1));
            if (close < 0 || (reopen >= 0 && reopen < close)) {
                *error = QStringLiteral("a \"{\" is not closed by \"}\"");
                return false;
            }
            const QString inside = text.mid(pos + 1, close - pos - 1);
            Piece p;
            p.kind = Piece::Kind::Field;
            const int colon = int(inside.indexOf(u':'));
            p.text = (colon < 0 ? inside : inside.left(colon)).trimmed();
            if (p.text.isEmpty()) {
                *error = QStringLiteral("\"{%1}\" names no field").arg(inside);
                return false;
            }
            if (colon >= 0) {
                const QString f = inside.mid(colon + 1).trimmed();
                const QString key = f.toLower();
                if (key == QLatin1String("long"))
                    p.format = Format::Long;
                else if (key == QLatin1String("date"))
                    p.format = Format::Date;
                else if (key == QLatin1String("short"))
                    p.format = Format::Short;
                else if (key == QLatin1String("upper"))
                    p.format = Format::Upper;
                else if (key == QLatin1String("lower"))
                    p.format = Format::Lower;
                else if (key == QLatin1String("initial"))
                    p.format = Format::Initial;
                else if (key == QLatin1String("number"))
                    p.format = Format::Number;
                else if (!f.isEmpty()) {
                    p.format = Format::Pattern;
                    p.pattern = f;
                }
            }
            flush();
            out.push_back(std::move(p));
            pos = close + 1;
            continue;
        }
        if (c == u'}') {
            *error = QStringLiteral("a \"}\" has no \"{\" before it");
            return false;
        }
        if (c == u'[') {
            flush();
            Piece p;
            p.kind = Piece::Kind::Optional;
            ++pos;
            if (!parsePieces(text, pos, true, p.children, error))
                return false;
            out.push_back(std::move(p));
            continue;
        }
        if (c == u']') {
            if (!nested) {
                *error = QStringLiteral("a \"]\" has no \"[\" before it");
                return false;
            }
            flush();
            ++pos;
            return true;
        }
        literal += c;
        ++pos;
    }
    if (nested) {
        *error = QStringLiteral("a \"[\" is not closed by \"]\"");
        return false;
    }
    flush();
    return true;
}

QStringList Template::fieldNames() const
{
    QStringList names;
    collectNames(m_pieces, names);
    return names;
}

void Template::collectNames(const std::vector<Piece> &pieces, QStringList &names)
{
    for (const Piece &p : pieces) {
        if (p.kind == Piece::Kind::Field)
            names << p.text;
        else if (p.kind == Piece::Kind::Optional)
            collectNames(p.children, names);
    }
}

bool Template::bind(const QStringList &columns, QString *unknownField)
{
    return bindPieces(m_pieces, columns, unknownField);
}

bool Template::bindPieces(std::vector<Piece> &pieces, const QStringList &columns, QString *unknown)
{
    for (Piece &p : pieces) {
        if (p.kind == Piece::Kind::Field) {
            p.column = -1;
            for (int i = 0; i < columns.size(); ++i) {
                if (columns[i].compare(p.text, Qt::CaseInsensitive) == 0) {
                    p.column = i;
                    break;
                }
            }
            if (p.column < 0) {
                *unknown = p.text;
                return false;
            }
        } else if (p.kind == Piece::Kind::Optional && !bindPieces(p.children, columns, unknown)) {
            return false;
        }
    }
    return true;
}

QString Template::render(const Row &row, bool *hasValue) const
{
    QString out;
    bool any = false;
    renderPieces(m_pieces, row, out, any);
    if (hasValue)
        *hasValue = any;
    return out;
}

void Template::renderPieces(const std::vector<Piece> &pieces, const Row &row, QString &out, bool &any)
{
    for (const Piece &p : pieces) {
        switch (p.kind) {
        case Piece::Kind::Literal:
            out += p.text;
            break;
        case Piece::Kind::Field: {
            const QString &raw = p.column >= 0 && size_t(p.column) < row.size() ? row[size_t(p.column)] : QString();
            if (!isBlank(raw)) {
                any = true;
                out += formatValue(raw, p);
            }
            break;
        }
        case Piece::Kind::Optional: {
            const qsizetype mark = out.size();
            // A separator that opens the part means nothing when nothing stands before it.
            const bool dropLead =
                isBlank(out) && !p.children.empty() && p.children.front().kind == Piece::Kind::Literal;
            bool inner = false;
            if (dropLead) {
                std::vector<Piece> parts = p.children;
                parts.front().text = withoutLeadingSeparator(parts.front().text);
                renderPieces(parts, row, out, inner);
            } else {
                renderPieces(p.children, row, out, inner);
            }
            if (inner)
                any = true;
            else
                out.truncate(mark);
            break;
        }
        }
    }
}

QString Template::formatValue(const QString &value, const Piece &piece)
{
    const QLocale locale;
    switch (piece.format) {
    case Format::Plain:
        return value;
    case Format::Upper:
        return locale.toUpper(value);
    case Format::Lower:
        return locale.toLower(value);
    case Format::Initial: {
        const QString t = value.trimmed();
        if (t.isEmpty())
            return t;
        return t[0].isLetter() ? locale.toUpper(t.left(1)) : QStringLiteral("#");
    }
    case Format::Number: {
        const auto n = parseNumber(value);
        if (!n)
            return value;
        return n->currency + locale.toString(n->value, 'f', n->decimals);
    }
    case Format::Long:
    case Format::Date:
    case Format::Short:
    case Format::Pattern:
        break;
    }
    const QDate d = parseStoredDate(value);
    if (!d.isValid())
        return value; // typed text, not a stored date: print it as it is
    switch (piece.format) {
    case Format::Long:
        return locale.toString(d, QLocale::LongFormat);
    case Format::Date:
        return locale.toString(d, QStringLiteral("MMM d, yyyy"));
    case Format::Short: {
        QString f = locale.dateFormat(QLocale::ShortFormat);
        if (!f.contains(QLatin1String("yyyy")))
            f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        return locale.toString(d, f);
    }
    default:
        return locale.toString(d, piece.pattern);
    }
}

QString cleanValue(const QString &value)
{
    bool plain = true;
    for (QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar(QChar::ParagraphSeparator)) {
            plain = false;
            break;
        }
    }
    if (plain) // the common case: nothing to change but maybe blanks around
        return value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace()) ? value : value.trimmed();
    QString out;
    out.reserve(value.size());
    const int n = int(value.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = value[i];
        if (c == u'\r') {
            if (i + 1 < n && value[i + 1] == u'\n')
                ++i;
            out += QChar(QChar::LineSeparator);
        } else if (c == u'\n' || c == QChar(QChar::ParagraphSeparator)) {
            out += QChar(QChar::LineSeparator);
        } else if (c == u'\t') {
            out += u' ';
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            continue;
        } else {
            out += c;
        }
    }
    return out.trimmed();
}

QDate parseStoredDate(const QString &value)
{
    if (value.size() < 10 || (value.size() > 10 && value[10] != u' ' && value[10] != u'T'))
        return {};
    return QDate::fromString(value.left(10), Qt::ISODate);
}

std::optional<ParsedNumber> parseNumber(const QString &text)
{
    static const QRegularExpression body(QStringLiteral("^(\\d{1,3}(?:,\\d{3})+|\\d*)(?:\\.(\\d+))?$"));
    static const QString symbols = QStringLiteral("$€£¥");
    QString t = text.trimmed();
    ParsedNumber n;
    bool negative = false;
    auto takeSign = [&] {
        if (!negative && t.startsWith(u'-')) {
            negative = true;
            t = t.mid(1).trimmed();
        }
    };
    takeSign();
    if (!t.isEmpty() && symbols.contains(t.front())) {
        n.currency = t.left(1);
        t = t.mid(1).trimmed();
        takeSign(); // "$-5"
    } else if (!t.isEmpty() && symbols.contains(t.back())) {
        n.currency = t.right(1);
        t.chop(1);
        t = t.trimmed();
    }
    const auto m = body.match(t);
    if (!m.hasMatch() || (m.capturedLength(1) == 0 && m.capturedLength(2) == 0))
        return std::nullopt;
    QString digits = m.captured(1);
    digits.remove(u',');
    const QString fraction = m.captured(2);
    const double v =
        QString(digits + QLatin1Char('.') + (fraction.isEmpty() ? QStringLiteral("0") : fraction)).toDouble();
    n.value = negative ? -v : v;
    n.decimals = int(fraction.size());
    return n;
}

std::optional<qint64> parseWholeNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 18)
        return std::nullopt;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return t.toLongLong();
}

std::optional<int> monthNumber(const QString &text)
{
    static const char *const names[] = {"january", "february", "march",     "april",   "may",      "june",
                                        "july",    "august",   "september", "october", "november", "december"};
    const QString t = text.trimmed().toLower();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int number = t.toInt(&ok);
    if (ok)
        return number >= 1 && number <= 12 ? std::optional<int>(number) : std::nullopt;
    for (int i = 0; i < 12; ++i) {
        const QLatin1String name(names[i]);
        if (t == name || (t.size() == 3 && name.startsWith(t)))
            return i + 1;
    }
    return std::nullopt;
}

} // namespace tf::report
