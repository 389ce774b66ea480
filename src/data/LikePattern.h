#pragma once

// The LIKE rules of the record sources' find criteria: "*" any run of
// characters, "?" any one character, "#" any one digit, "[list]" one character
// of the list (ranges such as "a-f" allowed), "[!list]" one character not in it.
// Letter case is ignored. A null value never matches.
//
// Matching costs about one step per character of the text, whatever the text
// and the pattern: the pattern is cut at its stars into segments of
// one-character atoms; the first segment must match at the start, the last at
// the end, and each one between is found by a leftmost search (bit-parallel, or
// a prefix-function search for a long plain word), which is all a star needs.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace tf {

class LikePattern
{
public:
    // Returns nothing (and an error text) for a pattern that cannot be read,
    // such as an unclosed "[".
    static std::optional<LikePattern> compile(const QString &pattern, QString *error = nullptr);

    bool matches(QStringView text) const;
    // The same on UTF-8 text, without building a string when it is plain ASCII.
    bool matchesUtf8(const char *text, qsizetype length) const;

    // The same, adding to *work the steps the match took (characters looked at,
    // atoms compared, words shifted): the measure the cost bound is stated in.
    bool matches(QStringView text, std::uint64_t *work) const;

    struct Atom
    {
        enum Kind : std::uint8_t { Literal, AnyOne, Digit, Set } kind = Literal;
        bool negated = false;
        char32_t ch = 0;                                   // Literal, case-folded
        std::vector<std::pair<char32_t, char32_t>> ranges; // Set, case-folded
        bool accepts(char32_t c) const;
    };
    // Atoms between two stars (or the pattern's ends), with what the search needs.
    struct Segment
    {
        std::vector<Atom> atoms;
        bool plain = true;               // literals only
        int words = 0;                   // 64-bit words of the bit-parallel state
        std::vector<std::uint64_t> mask; // per ASCII character, `words` words each
        std::vector<int> prefix;         // prefix function, for long plain words
    };

private:
    template <typename Text> bool matchText(const Text &text, std::uint64_t &work) const;

    std::vector<Segment> m_segments;
    bool m_hasStar = false;
    bool m_leadingStar = false;
    bool m_trailingStar = false;
};

// A parsed find criterion: column name and pattern of `Column LIKE 'pattern'`
// or `[Column Name] LIKE 'pattern'` (a quote inside the pattern is doubled).
struct LikeCriterion
{
    QString column;
    QString pattern;
};
std::optional<LikeCriterion> parseLikeCriterion(const QString &criterion, QString *error = nullptr);

} // namespace tf
