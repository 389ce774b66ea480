#include "reports/ReportDefinition.h"

#include <QRegularExpression>
#include <functional>
#include <map>

namespace tf::report {

namespace {

struct Setting
{
    QString key; // lower case, single blanks
    QString value;
    int line = 0;
};

struct Part
{
    QString kind; // lower case
    QString argument;
    int line = 0;
    std::vector<Setting> settings;
};

QString normalKey(const QString &key)
{
    return key.simplified().toLower();
}

QString quoted(const QString &s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Far beyond any title, caption or query a person writes, and small enough that
// laying one out never strains the text layout.
constexpr int kMaxLine = 4000;
constexpr int kMaxValue = 32000;

// Splits the raw text into parts and their settings, joining continued lines.
bool splitParts(const QString &text, std::vector<Part> &parts, ParseError *error)
{
    const QStringList lines =
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    Setting *last = nullptr;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString raw = lines[i];
        if (i == 0 && raw.startsWith(QChar(0xFEFF)))
            raw.remove(0, 1);
        raw.replace(QLatin1Char('\r'), QLatin1Char(' '));
        if (raw.size() > kMaxLine) {
            *error = {lineNo, QStringLiteral("the line has %1 characters; a line may have at most %2 (continue a long "
                                             "value on indented lines)")
                                  .arg(raw.size())
                                  .arg(kMaxLine)};
            return false;
        }
        const QString trimmed = raw.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const bool indented = raw[0] == u' ' || raw[0] == u'\t';
        if (indented && !trimmed.startsWith(u'[')) {
            if (!last) {
                *error = {lineNo, QStringLiteral("this indented line continues no setting")};
                return false;
            }
            last->value += (last->key == QLatin1String("sql") ? QStringLiteral("\n") : QStringLiteral(" ")) + trimmed;
            if (last->value.size() > kMaxValue) {
                *error = {last->line, QStringLiteral("the value of %1 runs on past %2 characters, more than a report "
                                                     "can print")
                                          .arg(quoted(last->key))
                                          .arg(kMaxValue)};
                return false;
            }
            continue;
        }
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']')) {
                *error = {lineNo, QStringLiteral("%1 must end with \"]\"").arg(quoted(trimmed))};
                return false;
            }
            const QString inside = trimmed.mid(1, trimmed.size() - 2).trimmed();
            const int blank = int(inside.indexOf(QRegularExpression(QStringLiteral("\\s"))));
            Part part;
            part.kind = (blank < 0 ? inside : inside.left(blank)).toLower();
            part.argument = blank < 0 ? QString() : inside.mid(blank).trimmed();
            part.line = lineNo;
            parts.push_back(std::move(part));
            last = nullptr;
            continue;
        }
        const int eq = int(trimmed.indexOf(u'='));
        if (eq <= 0) {
            *error = {lineNo,
                      QStringLiteral("%1 is not a setting of the form \"keyword = value\"").arg(quoted(trimmed))};
            return false;
        }
        if (parts.empty()) {
            *error = {lineNo, QStringLiteral("a setting before the first part; the file must begin with [report]")};
            return false;
        }
        parts.back().settings.push_back({normalKey(trimmed.left(eq)), trimmed.mid(eq + 1).trimmed(), lineNo});
        last = &parts.back().settings.back();
    }
    return true;
}

// Reads one part's settings against the keywords it accepts.
class PartReader
{
public:
    PartReader(const Part &part, ParseError *error) : m_part(part), m_error(error) {}

    // Single-valued keywords get their handler once; repeatable ones for each line.
    using Handler = std::function<bool(const Setting &)>;
    void once(const char *key, Handler h) { m_handlers[QLatin1String(key)] = {std::move(h), false}; }
    void many(const char *key, Handler h) { m_handlers[QLatin1String(key)] = {std::move(h), true}; }

    bool run()
    {
        std::map<QString, int> seen;
        for (const Setting &s : m_part.settings) {
            const auto it = m_handlers.find(s.key);
            if (it == m_handlers.end())
                return fail(s.line, QStringLiteral("%1 is not a setting of [%2]").arg(quoted(s.key), m_part.kind));
            if (!it->second.repeatable && seen[s.key]++ > 0)
                return fail(s.line, QStringLiteral("%1 is given twice in [%2]").arg(quoted(s.key), m_part.kind));
            if (!it->second.handler(s))
                return false;
        }
        return true;
    }

    bool fail(int line, const QString &message)
    {
        *m_error = {line, message};
        return false;
    }

private:
    struct Entry
    {
        Handler handler;
        bool repeatable = false;
    };
    const Part &m_part;
    ParseError *m_error;
    std::map<QString, Entry> m_handlers;
};

bool parseTemplate(const Setting &s, const QString &text, LineTemplate &out, ParseError *error)
{
    QString message;
    if (!out.value.parse(text, &message)) {
        *error = {s.line, QStringLiteral("in %1: %2").arg(quoted(text), message)};
        return false;
    }
    out.line = s.line;
    return true;
}

bool parseColumn(const Setting &s, Section &section, ParseError *error)
{
    const QStringList parts = s.value.split(u'|');
    if (parts.size() < 2 || parts[1].trimmed().isEmpty()) {
        *error = {s.line, QStringLiteral("a column is written \"caption | {Field} | width | options\"")};
        return false;
    }
    Column c;
    c.caption = parts[0].trimmed();
    c.line = s.line;
    if (!parseTemplate(s, parts[1].trimmed(), c.value, error))
        return false;
    if (parts.size() > 2) {
        const QString width = parts[2].trimmed();
        if (width.endsWith(u'%')) {
            bool ok = false;
            c.percent = width.chopped(1).trimmed().toDouble(&ok);
            if (!ok || c.percent <= 0 || c.percent > 100) {
                *error = {s.line, QStringLiteral("%1 is not a column width").arg(quoted(width))};
                return false;
            }
        } else if (!width.isEmpty()) {
            const auto points = parseLength(width);
            if (!points || *points <= 0) {
                *error = {s.line,
                          QStringLiteral("%1 is not a column width (such as 20% or 1.5 in)").arg(quoted(width))};
                return false;
            }
            c.points = *points;
        }
    }
    for (int i = 3; i < parts.size(); ++i) {
        const QString option = parts[i].simplified().toLower();
        if (option == QLatin1String("left"))
            c.align = Align::Left;
        else if (option == QLatin1String("right"))
            c.align = Align::Right;
        else if (option == QLatin1String("center"))
            c.align = Align::Center;
        else if (option == QLatin1String("sum"))
            c.sum = Sum::Numbers;
        else if (option == QLatin1String("sum whole"))
            c.sum = Sum::WholeNumbers;
        else if (!option.isEmpty()) {
            *error = {s.line, QStringLiteral("%1 is not a column option (left, right, center, sum, sum whole)")
                                  .arg(quoted(parts[i].trimmed()))};
            return false;
        }
    }
    section.columns.push_back(std::move(c));
    return true;
}

bool parseEntry(const Setting &s, CardEntry::Kind kind, Section &section, ParseError *error)
{
    CardEntry e;
    e.kind = kind;
    const int bar = int(s.value.indexOf(u'|'));
    const QString value = bar < 0 ? s.value : s.value.mid(bar + 1).trimmed();
    if (bar >= 0)
        e.label = s.value.left(bar).trimmed();
    if (value.isEmpty()) {
        *error = {s.line, QStringLiteral("a %1 is written \"label | {Field}\"").arg(s.key)};
        return false;
    }
    if (!parseTemplate(s, value, e.value, error))
        return false;
    section.entries.push_back(std::move(e));
    return true;
}

bool parseSort(const Setting &s, Query &q, ParseError *error)
{
    static const QRegularExpression direction(QStringLiteral("\\s+(ascending|asc|descending|desc)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (const QString &item : s.value.split(u',')) {
        QString name = item.trimmed();
        SortKey key;
        const auto m = direction.match(name);
        if (m.hasMatch()) {
            key.descending = m.captured(1).toLower().startsWith(QLatin1String("desc"));
            name.chop(m.capturedLength(0));
        }
        name = name.trimmed();
        if (name.size() >= 2 &&
            ((name.startsWith(u'"') && name.endsWith(u'"')) || (name.startsWith(u'[') && name.endsWith(u']'))))
            name = name.mid(1, name.size() - 2).trimmed();
        if (name.isEmpty()) {
            *error = {s.line, QStringLiteral("a sort is written \"Column, Column descending\"")};
            return false;
        }
        key.column = name;
        q.sort.push_back(key);
    }
    q.sortLine = s.line;
    return true;
}

bool readReport(const Part &part, Definition &d, ParseError *error)
{
    PartReader r(part, error);
    r.once("title", [&](const Setting &s) {
        d.title = s.value;
        d.titleLine = s.line;
        return true;
    });
    r.once("subtitle", [&](const Setting &s) {
        d.subtitle = s.value;
        return true;
    });
    r.once("font", [&](const Setting &s) {
        d.fontFamily = s.value;
        return true;
    });
    r.once("font size", [&](const Setting &s) {
        bool ok = false;
        d.fontSize = s.value.toDouble(&ok);
        if (!ok || d.fontSize < 6 || d.fontSize > 24)
            return r.fail(s.line, QStringLiteral("the font size must be a number from 6 to 24"));
        return true;
    });
    if (!r.run())
        return false;
    if (d.title.isEmpty())
        return r.fail(part.line, QStringLiteral("[report] needs a title (title = ...)"));
    return true;
}

bool readQuery(const Part &part, Definition &d, ParseError *error)
{
    Query q;
    q.name = part.argument;
    q.line = part.line;
    PartReader r(part, error);
    if (q.name.isEmpty())
        return r.fail(part.line, QStringLiteral("a query needs a name: [query NAME]"));
    if (d.query(q.name))
        return r.fail(part.line, QStringLiteral("there is already a query named %1").arg(quoted(q.name)));
    r.once("sql", [&](const Setting &s) {
        q.sql = s.value;
        q.sqlLine = s.line;
        return true;
    });
    r.once("sort", [&](const Setting &s) { return parseSort(s, q, error); });
    if (!r.run())
        return false;
    if (q.sql.trimmed().isEmpty())
        return r.fail(q.sqlLine ? q.sqlLine : part.line,
                      QStringLiteral("the query %1 needs its SQL (sql = SELECT ...)").arg(quoted(q.name)));
    d.queries.push_back(std::move(q));
    return true;
}

void sharedSectionKeys(PartReader &r, Section &sec, ParseError *error)
{
    r.once("query", [&sec](const Setting &s) {
        sec.queryName = s.value;
        sec.queryLine = s.line;
        return true;
    });
    r.once("heading", [&sec](const Setting &s) {
        sec.heading = s.value;
        return true;
    });
    r.once("empty", [&sec](const Setting &s) {
        sec.empty = s.value;
        return true;
    });
    r.once("count", [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.count, error); });
    r.once("group", [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.group, error); });
    r.once("group heading",
           [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.groupHeading, error); });
}

bool readSection(const Part &part, Definition &d, ParseError *error)
{
    Section sec;
    sec.line = part.line;
    PartReader r(part, error);
    if (!part.argument.isEmpty())
        return r.fail(part.line, QStringLiteral("[%1] takes no name").arg(part.kind));
    if (part.kind == QLatin1String("text")) {
        sec.kind = SectionKind::Text;
        r.once("heading", [&sec](const Setting &s) {
            sec.heading = s.value;
            return true;
        });
        r.many("text", [&sec](const Setting &s) {
            sec.paragraphs << s.value;
            return true;
        });
        if (!r.run())
            return false;
        if (sec.paragraphs.isEmpty() && sec.heading.isEmpty())
            return r.fail(part.line, QStringLiteral("[text] needs a heading or a text"));
        d.sections.push_back(std::move(sec));
        return true;
    }
    sharedSectionKeys(r, sec, error);
    if (part.kind == QLatin1String("table")) {
        sec.kind = SectionKind::Table;
        r.many("column", [&sec, error](const Setting &s) { return parseColumn(s, sec, error); });
        r.once("total", [&sec](const Setting &s) {
            sec.totalLabel = s.value;
            return true;
        });
        r.once("group total",
               [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.groupTotal, error); });
    } else {
        sec.kind = SectionKind::Cards;
        r.once("title", [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.title, error); });
        r.many("field", [&sec, error](const Setting &s) { return parseEntry(s, CardEntry::Kind::Field, sec, error); });
        r.many("line", [&sec, error](const Setting &s) { return parseEntry(s, CardEntry::Kind::Line, sec, error); });
        r.once("picture", [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.picture, error); });
        r.once("picture size", [&sec, &r](const Setting &s) {
            const QStringList wh = s.value.split(QRegularExpression(QStringLiteral("\\s*[xX\u00d7]\\s*")));
            const auto w = wh.size() == 2 ? parseLength(wh[0]) : std::nullopt;
            const auto h = wh.size() == 2 ? parseLength(wh[1]) : std::nullopt;
            if (!w || !h || *w <= 0 || *h <= 0)
                return r.fail(s.line, QStringLiteral("a picture size is written \"3 in x 2 in\""));
            sec.pictureSize = QSizeF(*w, *h);
            return true;
        });
        r.once("label width", [&sec, &r](const Setting &s) {
            const auto w = parseLength(s.value);
            if (!w || *w <= 0)
                return r.fail(s.line, QStringLiteral("%1 is not a width (such as 1 in)").arg(quoted(s.value)));
            sec.labelWidth = *w;
            return true;
        });
        r.once("field columns", [&sec, &r](const Setting &s) {
            bool ok = false;
            sec.fieldColumns = s.value.toInt(&ok);
            if (!ok || sec.fieldColumns < 1 || sec.fieldColumns > 4)
                return r.fail(s.line, QStringLiteral("field columns must be 1, 2, 3 or 4"));
            return true;
        });
        r.once("group footer",
               [&sec, error](const Setting &s) { return parseTemplate(s, s.value, sec.groupFooter, error); });
    }
    if (!r.run())
        return false;
    if (sec.queryName.isEmpty())
        return r.fail(part.line, QStringLiteral("[%1] needs a query (query = NAME)").arg(part.kind));
    if (!d.query(sec.queryName))
        return r.fail(sec.queryLine, QStringLiteral("there is no [query %1]").arg(sec.queryName));
    if (sec.kind == SectionKind::Table) {
        if (sec.columns.empty())
            return r.fail(part.line, QStringLiteral("[table] needs at least one column"));
        double given = 0;
        int open = 0;
        for (const Column &c : sec.columns) {
            given += c.percent;
            open += (c.percent == 0 && c.points == 0) ? 1 : 0;
        }
        if (given > 100.0001)
            return r.fail(part.line, QStringLiteral("the column widths add up to more than 100%"));
        for (Column &c : sec.columns)
            if (c.percent == 0 && c.points == 0)
                c.percent = open ? qMax(100.0 - given, 5.0 * open) / open : 0;
    } else if (!sec.title.isSet() && sec.entries.empty()) {
        return r.fail(part.line, QStringLiteral("[cards] needs a title, a field or a line"));
    }
    d.sections.push_back(std::move(sec));
    return true;
}

} // namespace

const Query *Definition::query(const QString &name) const
{
    for (const Query &q : queries)
        if (q.name.compare(name, Qt::CaseInsensitive) == 0)
            return &q;
    return nullptr;
}

std::optional<double> parseLength(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([0-9]*\\.?[0-9]+)\\s*(in|cm|mm|pt)\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2).toLower();
    if (unit == QLatin1String("in"))
        return v * 72.0;
    if (unit == QLatin1String("cm"))
        return v * 72.0 / 2.54;
    if (unit == QLatin1String("mm"))
        return v * 72.0 / 25.4;
    return v;
}

std::optional<Definition> parseDefinition(const QString &text, ParseError *error)
{
    std::vector<Part> parts;
    if (!splitParts(text, parts, error))
        return std::nullopt;
    if (parts.empty() || parts.front().kind != QLatin1String("report")) {
        *error = {parts.empty() ? 0 : parts.front().line, QStringLiteral("the file must begin with [report]")};
        return std::nullopt;
    }
    Definition d;
    // Queries first, so a part may use a query written further down.
    for (const Part &part : parts)
        if (part.kind == QLatin1String("query") && !readQuery(part, d, error))
            return std::nullopt;
    for (const Part &part : parts) {
        bool ok = true;
        if (part.kind == QLatin1String("report")) {
            if (&part != &parts.front()) {
                *error = {part.line, QStringLiteral("[report] is given twice")};
                return std::nullopt;
            }
            ok = readReport(part, d, error);
        } else if (part.kind == QLatin1String("query")) {
            continue;
        } else if (part.kind == QLatin1String("table") || part.kind == QLatin1String("cards") ||
                   part.kind == QLatin1String("text")) {
            ok = readSection(part, d, error);
        } else {
            *error = {part.line, QStringLiteral("[%1] is not a part; the parts are [report], [query NAME], [table], "
                                                "[cards] and [text]")
                                     .arg(part.kind)};
            return std::nullopt;
        }
        if (!ok)
            return std::nullopt;
    }
    if (d.sections.empty()) {
        *error = {0, QStringLiteral("the report prints nothing: it needs a [table], [cards] or [text] part")};
        return std::nullopt;
    }
    return d;
}

} // namespace tf::report
