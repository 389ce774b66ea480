#pragma once

// A report definition file (*.rpt) read into plain records. The format is our
// own and meant to be edited by hand (help page "reports.html"):
//
//   # comment
//   [report]                 title, subtitle, font, font size
//   [query NAME]             sql (one SELECT), sort
//   [table] / [cards] / [text]   the parts printed, in the order written
//   keyword = value          an indented line continues the value above
//
// Parsing checks everything that can be checked without the database; the
// field names in templates are checked against the queries when they are
// prepared. Every error carries the line it was found on.

#include "reports/ReportTemplate.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tf::report {

struct SortKey
{
    QString column;
    bool descending = false;
};

struct Query
{
    QString name;
    QString sql;
    std::vector<SortKey> sort;
    int line = 0;     // of "[query NAME]"
    int sqlLine = 0;  // of "sql ="
    int sortLine = 0; // of "sort =", 0 without one
};

// A template with the line it was written on, so a wrong field name can be reported there.
struct LineTemplate
{
    Template value;
    int line = 0;
    bool isSet() const { return line > 0; }
};

enum class Align { Left, Right, Center };
enum class Sum { None, Numbers, WholeNumbers };

struct Column
{
    QString caption;
    LineTemplate value;
    double percent = 0; // share of the table's width; 0 until shared out
    double points = 0;  // a fixed width instead, when given in in, cm, mm or pt
    Align align = Align::Left;
    Sum sum = Sum::None;
    int line = 0;
};

// A label and its value on a card. Fields are short and set side by side in a
// grid; lines run across the card and wrap under their value.
struct CardEntry
{
    enum class Kind { Field, Line } kind = Kind::Field;
    QString label;
    LineTemplate value;
};

enum class SectionKind { Table, Cards, Text };

struct Section
{
    SectionKind kind = SectionKind::Text;
    int line = 0; // of the "[table]" / "[cards]" / "[text]" line
    QString queryName;
    int queryLine = 0;
    QString heading;
    QString empty; // printed when the query returns no row
    LineTemplate count;
    LineTemplate group;
    LineTemplate groupHeading;
    LineTemplate groupFooter;
    // table
    std::vector<Column> columns;
    QString totalLabel;
    LineTemplate groupTotal;
    // cards
    LineTemplate title;
    std::vector<CardEntry> entries;
    LineTemplate picture;
    QSizeF pictureSize;    // points
    double labelWidth = 0; // points; 0 = as wide as the longest label
    int fieldColumns = 1;
    // text
    QStringList paragraphs;
};

struct Definition
{
    QString title;
    int titleLine = 0;
    QString subtitle;
    QString fontFamily;
    double fontSize = 10;
    std::vector<Query> queries;
    std::vector<Section> sections;

    const Query *query(const QString &name) const;
};

struct ParseError
{
    int line = 0; // 0 when the error is about the file as a whole
    QString message;
};

// Reads a definition from its text; nullopt with the error otherwise.
std::optional<Definition> parseDefinition(const QString &text, ParseError *error);

// "2.5 in", "6 cm", "60mm", "72 pt" in points; nullopt for anything else.
std::optional<double> parseLength(const QString &text);

} // namespace tf::report
