#include "data/LikePattern.h"

#include <QChar>
#include <unordered_map>

namespace tf {

namespace {

constexpr size_t kNone = SIZE_MAX;

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

// Text seen as folded code points: plain ASCII folds on the fly, anything else
// was folded into a buffer first.
struct AsciiText
{
    const char *s;
    size_t n;
    size_t size() const { return n; }
    char32_t operator[](size_t i) const
    {
        const char c = s[i];
        return char32_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
};

struct Ucs4Text
{
    const char32_t *s;
    size_t n;
    size_t size() const { return n; }
    char32_t operator[](size_t i) const { return s[i]; }
};

using Segment = LikePattern::Segment;

// The bit masks of a segment for the characters of one text: ASCII from the
// segment's table, any other character worked out once per text.
class Masks
{
public:
    explicit Masks(const Segment &seg) : m_seg(seg) {}
    const std::uint64_t *of(char32_t c, std::uint64_t &work)
    {
        if (c < 128)
            return &m_seg.mask[size_t(c) * size_t(m_seg.words)];
        auto [it, added] = m_other.try_emplace(c);
        if (added) {
            it->second.assign(size_t(m_seg.words), 0);
            for (size_t i = 0; i < m_seg.atoms.size(); ++i)
                if (m_seg.atoms[i].accepts(c))
                    it->second[i / 64] |= std::uint64_t(1) << (i % 64);
            work += m_seg.atoms.size();
        }
        return it->second.data();
    }

private:
    const Segment &m_seg;
    std::unordered_map<char32_t, std::vector<std::uint64_t>> m_other;
};

template <typename Text> bool matchAt(const Segment &seg, const Text &text, size_t at, std::uint64_t &work)
{
    for (size_t i = 0; i < seg.atoms.size(); ++i) {
        ++work;
        if (!seg.atoms[i].accepts(text[at + i]))
            return false;
    }
    return true;
}

// Leftmost start of the segment within text[lo, hi), by shift-and: bit i of the
// state says the last i + 1 characters match the first i + 1 atoms.
template <typename Text>
size_t findShiftAnd(const Segment &seg, const Text &text, size_t lo, size_t hi, std::uint64_t &work)
{
    const size_t m = seg.atoms.size();
    const size_t words = size_t(seg.words);
    const std::uint64_t top = std::uint64_t(1) << ((m - 1) % 64);
    Masks masks(seg);
    if (words == 1) {
        std::uint64_t state = 0;
        for (size_t i = lo; i < hi; ++i) {
            ++work;
            state = ((state << 1) | 1) & *masks.of(text[i], work);
            if (state & top)
                return i + 1 - m;
        }
        return kNone;
    }
    std::vector<std::uint64_t> state(words, 0);
    for (size_t i = lo; i < hi; ++i) {
        work += words;
        const std::uint64_t *mask = masks.of(text[i], work);
        std::uint64_t carry = 1;
        for (size_t w = 0; w < words; ++w) {
            const std::uint64_t out = state[w] >> 63;
            state[w] = ((state[w] << 1) | carry) & mask[w];
            carry = out;
        }
        if (state[words - 1] & top)
            return i + 1 - m;
    }
    return kNone;
}

// Leftmost start of a long plain word within text[lo, hi), by its prefix
// function: each character is passed once, each fall-back pays for an advance.
template <typename Text>
size_t findPlain(const Segment &seg, const Text &text, size_t lo, size_t hi, std::uint64_t &work)
{
    const size_t m = seg.atoms.size();
    size_t j = 0;
    for (size_t i = lo; i < hi; ++i) {
        ++work;
        const char32_t c = text[i];
        while (j > 0 && seg.atoms[j].ch != c) {
            ++work;
            j = size_t(seg.prefix[j - 1]);
        }
        if (seg.atoms[j].ch == c)
            ++j;
        if (j == m)
            return i + 1 - m;
    }
    return kNone;
}

template <typename Text> size_t find(const Segment &seg, const Text &text, size_t lo, size_t hi, std::uint64_t &work)
{
    if (seg.atoms.size() > hi - lo)
        return kNone;
    if (seg.words > 1 && seg.plain)
        return findPlain(seg, text, lo, hi, work);
    return findShiftAnd(seg, text, lo, hi, work);
}

void prepare(Segment &seg)
{
    const size_t m = seg.atoms.size();
    seg.words = int((m + 63) / 64);
    if (seg.words > 1 && seg.plain) {
        seg.prefix.assign(m, 0);
        for (size_t i = 1, k = 0; i < m; ++i) {
            while (k > 0 && seg.atoms[i].ch != seg.atoms[k].ch)
                k = size_t(seg.prefix[k - 1]);
            if (seg.atoms[i].ch == seg.atoms[k].ch)
                ++k;
            seg.prefix[i] = int(k);
        }
        return;
    }
    seg.mask.assign(128 * size_t(seg.words), 0);
    for (size_t i = 0; i < m; ++i) {
        const LikePattern::Atom &a = seg.atoms[i];
        if (a.kind == LikePattern::Atom::Literal) {
            if (a.ch < 128)
                seg.mask[size_t(a.ch) * size_t(seg.words) + i / 64] |= std::uint64_t(1) << (i % 64);
            continue;
        }
        for (char32_t c = 0; c < 128; ++c)
            if (a.accepts(c))
                seg.mask[size_t(c) * size_t(seg.words) + i / 64] |= std::uint64_t(1) << (i % 64);
    }
}

} // namespace

bool LikePattern::Atom::accepts(char32_t c) const
{
    switch (kind) {
    case Literal:
        return ch == c;
    case AnyOne:
        return true;
    case Digit:
        return c >= U'0' && c <= U'9';
    case Set:
        for (const auto &[lo, hi] : ranges)
            if (c >= lo && c <= hi)
                return !negated;
        return negated;
    }
    return false;
}

std::optional<LikePattern> LikePattern::compile(const QString &pattern, QString *error)
{
    LikePattern p;
    const std::u32string s = toUcs4Folded(pattern);
    Segment current;
    bool atomSeen = false;
    bool lastWasStar = false;
    auto endSegment = [&] {
        if (current.atoms.empty())
            return;
        prepare(current);
        p.m_segments.push_back(std::move(current));
        current = Segment();
    };
    for (size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        Atom a;
        if (c == U'*') {
            endSegment();
            p.m_hasStar = true;
            if (!atomSeen)
                p.m_leadingStar = true;
            lastWasStar = true;
            continue;
        }
        if (c == U'?') {
            a.kind = Atom::AnyOne;
        } else if (c == U'#') {
            a.kind = Atom::Digit;
        } else if (c == U'[') {
            const size_t close = s.find(U']', i + 1);
            if (close == std::u32string::npos) {
                if (error)
                    *error = QStringLiteral("Invalid pattern string: \"[\" without \"]\".");
                return std::nullopt;
            }
            a.kind = Atom::Set;
            size_t j = i + 1;
            if (j < close && s[j] == U'!') {
                a.negated = true;
                ++j;
            }
            if (j == close && !a.negated) {
                // "[]" matches the empty run: nothing to add.
                i = close;
                continue;
            }
            while (j < close) {
                const char32_t lo = s[j];
                if (j + 2 < close && s[j + 1] == U'-') {
                    const char32_t hi = s[j + 2];
                    if (hi < lo) {
                        if (error)
                            *error = QStringLiteral("Invalid pattern string: a range runs backwards.");
                        return std::nullopt;
                    }
                    a.ranges.emplace_back(lo, hi);
                    j += 3;
                } else {
                    a.ranges.emplace_back(lo, lo);
                    ++j;
                }
            }
            i = close;
        } else {
            a.ch = c;
        }
        if (a.kind != Atom::Literal)
            current.plain = false;
        current.atoms.push_back(std::move(a));
        atomSeen = true;
        lastWasStar = false;
    }
    endSegment();
    p.m_trailingStar = lastWasStar;
    return p;
}

template <typename Text> bool LikePattern::matchText(const Text &text, std::uint64_t &work) const
{
    const size_t n = text.size();
    if (!m_hasStar) {
        if (m_segments.empty())
            return n == 0;
        const Segment &only = m_segments.front();
        return only.atoms.size() == n && matchAt(only, text, 0, work);
    }
    // The text left for the segments between the anchored ones: [lo, hi).
    size_t lo = 0, hi = n;
    size_t first = 0, last = m_segments.size();
    if (!m_leadingStar) {
        const Segment &head = m_segments.front();
        if (head.atoms.size() > n || !matchAt(head, text, 0, work))
            return false;
        lo = head.atoms.size();
        ++first;
    }
    if (!m_trailingStar) {
        const Segment &tail = m_segments.back();
        if (tail.atoms.size() > hi - lo || !matchAt(tail, text, n - tail.atoms.size(), work))
            return false;
        hi = n - tail.atoms.size();
        --last;
    }
    // The leftmost place of each middle segment leaves the most room for the rest.
    for (size_t k = first; k < last; ++k) {
        const size_t at = find(m_segments[k], text, lo, hi, work);
        if (at == kNone)
            return false;
        lo = at + m_segments[k].atoms.size();
    }
    return true;
}

bool LikePattern::matches(QStringView text, std::uint64_t *work) const
{
    std::uint64_t steps = 0;
    const std::u32string folded = toUcs4Folded(text);
    const bool result = matchText(Ucs4Text{folded.data(), folded.size()}, steps);
    if (work)
        *work += steps + std::uint64_t(text.size());
    return result;
}

bool LikePattern::matches(QStringView text) const
{
    return matches(text, nullptr);
}

bool LikePattern::matchesUtf8(const char *text, qsizetype length) const
{
    for (qsizetype i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return matches(QString::fromUtf8(text, length));
    std::uint64_t steps = 0;
    return matchText(AsciiText{text, size_t(length)}, steps);
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
