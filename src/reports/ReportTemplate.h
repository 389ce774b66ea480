#pragma once

// The small text language of report definitions: "{Field}" and "{Field:format}"
// print a column of the current row, "[...]" is printed only when a field inside
// it has a value (and without the separator that opens it when nothing stands
// before it, so "{Wind}[, {Speed}]" never starts with a comma), and everything
// else is printed as written; a doubled brace or bracket stands for itself.
// Also the number rules the reports share (which texts count as numbers when
// they are added up).

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tf::report {

// One row of a query: the column values as text, in column order (null is "").
using Row = std::vector<QString>;

class Template
{
public:
    // Parses the text; false with a message on an unmatched brace or bracket.
    bool parse(const QString &text, QString *error);
    bool isEmpty() const { return m_pieces.empty(); }
    // Every field name used, in the order written (may repeat).
    QStringList fieldNames() const;
    // Turns field names into column positions (names ignore letter case); false
    // with the unknown name when a field is not among the columns.
    bool bind(const QStringList &columns, QString *unknownField);
    // The text for one row. hasValue tells whether any field printed a value.
    QString render(const Row &row, bool *hasValue = nullptr) const;

private:
    enum class Format { Plain, Long, Date, Short, Upper, Lower, Initial, Number, Pattern };
    struct Piece
    {
        enum class Kind { Literal, Field, Optional } kind = Kind::Literal;
        QString text; // literal text, or the field name
        int column = -1;
        Format format = Format::Plain;
        QString pattern; // for Format::Pattern
        std::vector<Piece> children;
    };
    static bool parsePieces(const QString &text, int &pos, bool nested, std::vector<Piece> &out, QString *error);
    static void collectNames(const std::vector<Piece> &pieces, QStringList &names);
    static bool bindPieces(std::vector<Piece> &pieces, const QStringList &columns, QString *unknown);
    static void renderPieces(const std::vector<Piece> &pieces, const Row &row, QString &out, bool &any);
    static QString formatValue(const QString &value, const Piece &piece);

    std::vector<Piece> m_pieces;
};

// A value as it goes into a report: line breaks of any kind become line breaks
// inside the paragraph, tabs become blanks, other control characters are dropped.
QString cleanValue(const QString &value);

// A date as the database stores it ("2026-12-08", maybe followed by a time);
// invalid for anything else.
QDate parseStoredDate(const QString &value);

struct ParsedNumber
{
    double value = 0;
    int decimals = 0;
    QString currency; // "$", "€", ... when the text carried one
};
// A number as people type prices: "125", "125.50", "1,250.00", "$ 40", "40 €",
// "-3.5". Anything else ("about 40", "40,5", "2/3") is not a number.
std::optional<ParsedNumber> parseNumber(const QString &text);
// Digits only (blanks around are ignored): "12" is whole, "12.0", "2/3", "-1" are not.
std::optional<qint64> parseWholeNumber(const QString &text);
// 1 to 12 for an English month name or its first three letters, or "1" to "12".
std::optional<int> monthNumber(const QString &text);

} // namespace tf::report
