#pragma once

// The LIKE rules of the record sources' find criteria: "*" any run of
// characters, "?" any one character, "#" any one digit, "[list]" one character
// of the list (ranges such as "a-f" allowed), "[!list]" one character not in it.
// Letter case is ignored. A null value never matches.

#include <QString>
#include <QStringView>
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

private:
    template <typename Text> bool matchText(const Text &text) const;
    struct Element
    {
        enum Kind { Literal, AnyRun, AnyOne, Digit, Set } kind;
        char32_t ch = 0;                                   // Literal, case-folded
        std::vector<std::pair<char32_t, char32_t>> ranges; // Set, case-folded
        bool negated = false;
    };
    bool matchOne(const Element &e, char32_t c) const;
    std::vector<Element> m_elements;
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
