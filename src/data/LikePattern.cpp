#include "data/LikePattern.h"

#include <QChar>

namespace tf {

namespace {

char32_t fold(char32_t c)
{
    return QChar::toCaseFolded(c);
}

std::u32string toUcs4Folded(QStringView text)
{
    std::u32string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        out.push_back(fold(c));
    }
    return out;
}

} // namespace

std::optional<LikePattern> LikePattern::compile(const QString &pattern, QString *error)
{
    LikePattern p;
    const std::u32string s = toUcs4Folded(pattern);
    for (size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        Element e{Element::Literal, 0, {}, false};
        if (c == U'*') {
            if (!p.m_elements.empty() && p.m_elements.back().kind == Element::AnyRun)
                continue; // "**" is "*"; keeps matching linear-ish
            e.kind = Element::AnyRun;
        } else if (c == U'?') {
            e.kind = Element::AnyOne;
        } else if (c == U'#') {
            e.kind = Element::Digit;
        } else if (c == U'[') {
            const size_t close = s.find(U']', i + 1);
            if (close == std::u32string::npos) {
                if (error)
                    *error = QStringLiteral("Invalid pattern string: \"[\" without \"]\".");
                return std::nullopt;
            }
            e.kind = Element::Set;
            size_t j = i + 1;
            if (j < close && s[j] == U'!') {
                e.negated = true;
                ++j;
            }
            if (j == close && !e.negated) {
                // "[]" matches the empty run: nothing to add.
                i = close;
                continue;
            }
            while (j < close) {
                char32_t lo = s[j];
                if (j + 2 < close && s[j + 1] == U'-') {
                    char32_t hi = s[j + 2];
                    if (hi < lo) {
                        if (error)
                            *error = QStringLiteral("Invalid pattern string: a range runs backwards.");
                        return std::nullopt;
                    }
                    e.ranges.emplace_back(lo, hi);
                    j += 3;
                } else {
                    e.ranges.emplace_back(lo, lo);
                    ++j;
                }
            }
            i = close;
        } else {
            e.ch = c;
        }
        p.m_elements.push_back(std::move(e));
    }
    return p;
}

bool LikePattern::matchOne(const Element &e, char32_t c) const
{
    switch (e.kind) {
    case Element::Literal:
        return e.ch == c;
    case Element::AnyOne:
        return true;
    case Element::Digit:
        return c >= U'0' && c <= U'9';
    case Element::Set: {
        bool in = false;
        for (const auto &[lo, hi] : e.ranges)
            if (c >= lo && c <= hi) {
                in = true;
                break;
            }
        return in != e.negated;
    }
    case Element::AnyRun:
        break;
    }
    return false;
}

namespace {

// Text seen one code point at a time, folded on the fly.
struct Utf16Text
{
    QStringView s;
    size_t size() const { return size_t(s.size()); }
    // The folded code point at i and how many units it takes.
    std::pair<char32_t, size_t> at(size_t i) const
    {
        const char16_t u = s[qsizetype(i)].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < size() && QChar::isLowSurrogate(s[qsizetype(i + 1)].unicode()))
            return {fold(QChar::surrogateToUcs4(u, s[qsizetype(i + 1)].unicode())), 2};
        return {fold(u), 1};
    }
};

struct AsciiText
{
    const char *s;
    size_t n;
    size_t size() const { return n; }
    std::pair<char32_t, size_t> at(size_t i) const
    {
        const char c = s[i];
        return {char32_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c), 1};
    }
};

} // namespace

template <typename Text> bool LikePattern::matchText(const Text &text) const
{
    // Greedy matching with one backtrack point per "*": linear in practice and
    // never exponential, whatever the user types.
    size_t t = 0, p = 0;
    size_t starP = SIZE_MAX, starT = 0;
    const size_t n = m_elements.size();
    while (t < text.size()) {
        if (p < n && m_elements[p].kind == Element::AnyRun) {
            starP = p++;
            starT = t;
            continue;
        }
        const auto [c, width] = text.at(t);
        if (p < n && matchOne(m_elements[p], c)) {
            ++p;
            t += width;
        } else if (starP != SIZE_MAX) {
            p = starP + 1;
            starT += text.at(starT).second;
            t = starT;
        } else {
            return false;
        }
    }
    while (p < n && m_elements[p].kind == Element::AnyRun)
        ++p;
    return p == n;
}

bool LikePattern::matches(QStringView text) const
{
    return matchText(Utf16Text{text});
}

bool LikePattern::matchesUtf8(const char *text, qsizetype length) const
{
    for (qsizetype i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return matches(QString::fromUtf8(text, length));
    return matchText(AsciiText{text, size_t(length)});
}

std::optional<LikeCriterion> parseLikeCriterion(const QString &criterion, QString *error)
{
    auto bad = [&](const QString &why) -> std::optional<LikeCriterion> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString s = criterion.trimmed();
    LikeCriterion c;
    qsizetype i = 0;
    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        if (close < 0)
            return bad(QStringLiteral("Syntax error in criterion: missing \"]\"."));
        c.column = s.mid(1, close - 1);
        i = close + 1;
    } else {
        while (i < s.size() && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('_')))
            ++i;
        c.column = s.left(i);
    }
    if (c.column.isEmpty())
        return bad(QStringLiteral("Syntax error in criterion: no column."));
    const QString rest = s.mid(i).trimmed();
    if (!rest.startsWith(QLatin1String("LIKE"), Qt::CaseInsensitive))
        return bad(QStringLiteral("Syntax error in criterion: LIKE expected."));
    const QString literal = rest.mid(4).trimmed();
    if (literal.size() < 2 || !literal.startsWith(QLatin1Char('\'')) || !literal.endsWith(QLatin1Char('\'')))
        return bad(QStringLiteral("Syntax error in criterion: quoted pattern expected."));
    const QString body = literal.mid(1, literal.size() - 2);
    QString pattern;
    for (qsizetype k = 0; k < body.size(); ++k) {
        if (body[k] == QLatin1Char('\'')) {
            if (k + 1 < body.size() && body[k + 1] == QLatin1Char('\'')) {
                pattern += QLatin1Char('\'');
                ++k;
                continue;
            }
            return bad(QStringLiteral("Syntax error (missing operator) in criterion."));
        }
        pattern += body[k];
    }
    c.pattern = pattern;
    return c;
}

} // namespace tf
