#include "reports/ReportEngine.h"

#include "platform/Platform.h"
#include "reports/ReportDatabase.h"
#include "reports/ReportDefinition.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QSet>
#include <QTextDocument>

namespace tf::report {

namespace {

constexpr qint64 kMaxDefinitionSize = 1024 * 1024;
constexpr qint64 kCountBudgetMs = 50;

QString quoted(const QString &s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// A column's running total: the values that count and the ones that could not.
struct Total
{
    double sum = 0;
    int decimals = 0;
    QSet<QString> currencies;
    int skipped = 0;
    QStringList examples;

    void add(const QString &text, Sum kind)
    {
        if (text.trimmed().isEmpty())
            return;
        if (kind == Sum::WholeNumbers) {
            if (const auto n = parseWholeNumber(text)) {
                sum += double(*n);
                return;
            }
        } else if (const auto n = parseNumber(text)) {
            sum += n->value;
            decimals = qMax(decimals, qMin(n->decimals, 4));
            if (!n->currency.isEmpty())
                currencies.insert(n->currency);
            return;
        }
        ++skipped;
        if (examples.size() < 4 && !examples.contains(text))
            examples << text;
    }
    QString text() const
    {
        const QString currency = currencies.size() == 1 ? *currencies.begin() : QString();
        return currency + QLocale().toString(sum, 'f', decimals);
    }
};

class Runner
{
public:
    explicit Runner(const BuildOptions &o) : m_o(o) {}

    BuildResult run()
    {
        if (!readDefinition() || !openDatabase() || !prepareSections())
            return fail();
        ReportDocument doc(m_o.page, reportFont(), header());
        m_doc = &doc;
        if (!everyPageFits())
            return fail();
        if (!m_def.subtitle.isEmpty())
            doc.subtitle(m_def.subtitle);
        for (size_t i = 0; i < m_def.sections.size(); ++i) {
            const Section &s = m_def.sections[i];
            const bool ok = s.kind == SectionKind::Text    ? textSection(s)
                            : s.kind == SectionKind::Table ? tableSection(s, m_statements[i])
                                                           : cardSection(s, m_statements[i]);
            if (!ok)
                return fail();
        }
        m_statements.clear();
        const bool paged = doc.paginate([this](int percent) { return report(50 + percent / 2); });
        if (!paged) {
            if (doc.error().isEmpty())
                m_cancelled = true;
            m_error = doc.error();
            return fail();
        }
        BuildResult r;
        r.pages = doc.pageCount();
        r.document = doc.takeDocument();
        return r;
    }

private:
    BuildResult fail()
    {
        BuildResult r;
        r.cancelled = m_cancelled;
        r.error = m_cancelled ? QString() : m_error;
        return r;
    }

    bool report(int percent)
    {
        m_percent = percent;
        if (m_o.progress && !m_o.progress(percent)) {
            m_cancelled = true;
            return false;
        }
        return true;
    }

    QString shownPath() const { return QDir::toNativeSeparators(m_o.definitionPath); }

    bool definitionError(int line, const QString &message)
    {
        m_error = QStringLiteral("The report definition %1 cannot be used.\n").arg(quoted(shownPath())) +
                  (line > 0 ? QStringLiteral("Line %1: %2.").arg(line).arg(message) : message + QLatin1Char('.'));
        return false;
    }

    bool readDefinition()
    {
        QFile f(m_o.definitionPath);
        if (!QFileInfo(m_o.definitionPath).isFile()) {
            m_error = QStringLiteral("The report definition %1 was not found.").arg(quoted(shownPath()));
            return false;
        }
        if (f.size() > kMaxDefinitionSize)
            return definitionError(0, QStringLiteral("The file is too large to be a report definition"));
        if (!f.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("The report definition %1 cannot be read: %2.")
                          .arg(quoted(shownPath()), f.errorString());
            return false;
        }
        ParseError e;
        auto d = parseDefinition(QString::fromUtf8(f.readAll()), &e);
        if (!d)
            return definitionError(e.line, e.message);
        m_def = std::move(*d);
        return true;
    }

    bool openDatabase()
    {
        QString e;
        if (!m_db.open(m_o.databasePath, &e)) {
            m_error = QStringLiteral("The report %1 cannot read the database %2:\n%3.")
                          .arg(quoted(m_def.title), quoted(QDir::toNativeSeparators(m_o.databasePath)), e);
            return false;
        }
        m_db.setInterrupt([this] {
            if (m_counting.isValid() && m_counting.elapsed() > kCountBudgetMs)
                return false; // the count is only for the progress bar: not worth a long wait
            return report(m_percent);
        });
        return true;
    }

    bool prepareQuery(const Query &q, Statement &out)
    {
        QString e;
        if (!m_db.prepare(q.sql, out, &e))
            return definitionError(q.sqlLine, QStringLiteral("the query %1 cannot be used: %2").arg(quoted(q.name), e));
        if (q.sort.empty())
            return true;
        QStringList columns;
        std::vector<bool> descending;
        for (const SortKey &k : q.sort) {
            const auto match = std::find_if(out.columns().begin(), out.columns().end(), [&](const QString &c) {
                return c.compare(k.column, Qt::CaseInsensitive) == 0;
            });
            if (match == out.columns().end())
                return definitionError(
                    q.sortLine,
                    QStringLiteral("the query %1 has no column %2 to sort by").arg(quoted(q.name), quoted(k.column)));
            columns << *match;
            descending.push_back(k.descending);
        }
        Statement sorted;
        if (!m_db.prepare(sortedSql(out.sql(), columns, descending), sorted, &e))
            return definitionError(q.sortLine,
                                   QStringLiteral("the query %1 cannot be sorted: %2").arg(quoted(q.name), e));
        out = std::move(sorted);
        return true;
    }

    bool bind(LineTemplate &t, const QStringList &columns, const QString &queryName)
    {
        QString unknown;
        if (t.isSet() && !t.value.bind(columns, &unknown))
            return definitionError(
                t.line, QStringLiteral("the query %1 has no column %2").arg(quoted(queryName), quoted(unknown)));
        return true;
    }

    // The title stands at the top of every page and a table's captions at the
    // top of every page it runs onto: refused when they would crowd out the rows.
    bool everyPageFits()
    {
        if (!m_doc->headerFits())
            return definitionError(m_def.titleLine,
                                   QStringLiteral("the title is too long to stand at the top of every page"));
        for (const Section &s : m_def.sections) {
            if (s.kind != SectionKind::Table)
                continue;
            const ReportDocument::TableLayout layout = tableLayout(s);
            QStringList captions;
            const Column *longest = &s.columns.front();
            for (const Column &c : s.columns) {
                captions << c.caption;
                if (c.caption.size() > longest->caption.size())
                    longest = &c;
            }
            if (!m_doc->captionsFit(layout, captions))
                return definitionError(longest->line, QStringLiteral("the column captions are too long to stand at "
                                                                     "the top of every page of the table"));
        }
        return true;
    }

    ReportDocument::TableLayout tableLayout(const Section &s) const
    {
        ReportDocument::TableLayout layout;
        for (const Column &c : s.columns) {
            layout.percent.push_back(c.points > 0 ? m_doc->percentOf(c.points) : c.percent);
            layout.align.push_back(c.align == Align::Right    ? Qt::AlignRight
                                   : c.align == Align::Center ? Qt::AlignHCenter
                                                              : Qt::AlignLeft);
        }
        return layout;
    }

    // Every query is prepared and every field checked before anything is printed.
    bool prepareSections()
    {
        m_statements.resize(m_def.sections.size());
        for (size_t i = 0; i < m_def.sections.size(); ++i) {
            Section &s = m_def.sections[i];
            if (s.kind == SectionKind::Text)
                continue;
            const Query &q = *m_def.query(s.queryName);
            if (!prepareQuery(q, m_statements[i]))
                return false;
            const QStringList columns = m_statements[i].columns();
            const QStringList withCount = QStringList(columns) << QStringLiteral("count");
            bool ok = bind(s.group, columns, q.name) && bind(s.groupHeading, columns, q.name) &&
                      bind(s.title, columns, q.name) && bind(s.picture, columns, q.name) &&
                      bind(s.groupFooter, withCount, q.name) && bind(s.groupTotal, withCount, q.name) &&
                      bind(s.count, withCount, q.name);
            for (Column &c : s.columns)
                ok = ok && bind(c.value, columns, q.name);
            for (CardEntry &e : s.entries)
                ok = ok && bind(e.value, columns, q.name);
            if (!ok)
                return false;
            m_totalRows += countRows(m_statements[i]);
        }
        return true;
    }

    // The rows a query will give, for the progress bar; 0 when counting them
    // would take about as long as reading them (a query that adds up a whole log).
    qint64 countRows(const Statement &st)
    {
        Statement count;
        QString e;
        Row row;
        m_counting.start();
        const bool counted = m_db.prepare(countSql(st.sql()), count, &e) && count.next(row) && !row.empty();
        m_counting.invalidate();
        return counted ? row[0].toLongLong() : 0;
    }

    QFont reportFont() const
    {
        QFont f = m_def.fontFamily.isEmpty() ? QGuiApplication::font() : QFont(m_def.fontFamily);
        f.setPointSizeF(m_def.fontSize);
        return f;
    }

    PageHeader header()
    {
        PageHeader h;
        h.title = m_def.title;
        h.printed = QStringLiteral("Printed ") + QLocale().toString(m_o.printedAt.date(), QLocale::LongFormat);
        Statement owner;
        QString e;
        Row row;
        if (m_db.prepare(QStringLiteral("SELECT Name FROM Register ORDER BY rowid LIMIT 1"), owner, &e) &&
            owner.next(row) && !row.empty())
            h.owner = row[0];
        return h;
    }

    // Advances to the next row; false at the end, or on an error (then m_failed).
    bool next(Statement &st, Row &row)
    {
        if (st.next(row)) {
            if ((++m_rowsDone & 63) == 0 &&
                !report(m_totalRows ? int(qMin<qint64>(50, 50 * m_rowsDone / m_totalRows)) : 0))
                m_failed = true;
            return !m_failed;
        }
        if (!st.error().isEmpty()) {
            m_failed = true;
            if (!m_cancelled)
                m_error = QStringLiteral("The report %1 stopped while reading the database:\n%2.")
                              .arg(quoted(m_def.title), st.error());
        }
        return false;
    }

    static QString rendered(const LineTemplate &t, const Row &row, const QString &fallback = {})
    {
        if (!t.isSet())
            return fallback;
        const QString s = t.value.render(row).trimmed();
        return s.isEmpty() ? fallback : s;
    }

    // A row for a template that may also use {count}, which follows the query's columns.
    static Row withCount(Row row, qint64 count, const Statement &st)
    {
        row.resize(size_t(st.columns().size()));
        row.push_back(QString::number(count));
        return row;
    }

    bool textSection(const Section &s)
    {
        if (!s.heading.isEmpty())
            m_doc->heading(s.heading);
        for (const QString &p : s.paragraphs)
            m_doc->paragraph(p, ReportDocument::Note::Plain);
        return true;
    }

    // Rows grouped by the group template: calls onGroup(first row) when a group
    // starts and onEnd(last row, rows in group) when it ends.
    template <class OnRow, class OnGroup, class OnGroupEnd>
    bool eachRow(const Section &s, Statement &st, qint64 &count, OnRow onRow, OnGroup onGroup, OnGroupEnd onGroupEnd)
    {
        Row row, last;
        QString key;
        qint64 inGroup = 0;
        bool first = true;
        while (next(st, row)) {
            if (s.group.isSet()) {
                const QString k = s.group.value.render(row).trimmed();
                if (first || k.compare(key, Qt::CaseInsensitive) != 0) {
                    if (!first)
                        onGroupEnd(last, inGroup);
                    key = k;
                    inGroup = 0;
                    onGroup(row, k);
                }
            }
            onRow(row);
            ++count;
            ++inGroup;
            first = false;
            last = std::move(row);
            row = Row();
        }
        if (m_failed)
            return false;
        if (s.group.isSet() && !first)
            onGroupEnd(last, inGroup);
        return true;
    }

    QString groupTitle(const Section &s, const Row &row, const QString &key) const
    {
        return rendered(s.groupHeading, row, key.isEmpty() ? QStringLiteral("(none)") : key);
    }

    bool cardSection(const Section &s, Statement &st)
    {
        if (!s.heading.isEmpty())
            m_doc->heading(s.heading);
        QStringList labels;
        for (const CardEntry &e : s.entries)
            labels << e.label;
        const qreal labelWidth = s.labelWidth > 0 ? s.labelWidth : m_doc->labelWidthFor(labels);
        qint64 count = 0;
        const bool ok = eachRow(
            s, st, count,
            [&](const Row &row) {
                ReportDocument::Card card;
                card.title = rendered(s.title, row);
                card.labelWidth = labelWidth;
                card.fieldColumns = s.fieldColumns;
                for (const CardEntry &e : s.entries) {
                    bool any = false;
                    const QString v = e.value.value.render(row, &any).trimmed();
                    if (any || e.value.value.fieldNames().isEmpty())
                        card.entries.push_back({e.label, v, e.kind == CardEntry::Kind::Line});
                }
                if (s.picture.isSet()) {
                    card.withPicture = true;
                    card.picturePath = s.picture.value.render(row).trimmed();
                    card.pictureBox = s.pictureSize.isValid() ? s.pictureSize : QSizeF(216, 162);
                }
                m_doc->card(card);
            },
            [&](const Row &row, const QString &key) { m_doc->groupHeading(groupTitle(s, row, key)); },
            [&](const Row &last, qint64 n) {
                if (s.groupFooter.isSet())
                    m_doc->paragraph(rendered(s.groupFooter, withCount(last, n, st)), ReportDocument::Note::Count);
            });
        if (!ok)
            return false;
        if (count == 0)
            m_doc->paragraph(s.empty.isEmpty() ? QStringLiteral("There is nothing to list.") : s.empty,
                             ReportDocument::Note::Empty);
        else if (s.count.isSet())
            m_doc->paragraph(rendered(s.count, withCount({}, count, st)), ReportDocument::Note::Count);
        return true;
    }

    bool tableSection(const Section &s, Statement &st)
    {
        if (!s.heading.isEmpty())
            m_doc->heading(s.heading);
        const ReportDocument::TableLayout layout = tableLayout(s);
        QStringList captions;
        bool anySum = false;
        int labelColumn = -1;
        for (size_t i = 0; i < s.columns.size(); ++i) {
            const Column &c = s.columns[i];
            captions << c.caption;
            anySum = anySum || c.sum != Sum::None;
            if (labelColumn < 0 && c.sum == Sum::None)
                labelColumn = int(i);
        }
        std::vector<Total> totals(s.columns.size()), groupTotals(s.columns.size());
        auto sumRow = [&](const std::vector<Total> &t, const QString &label) {
            QStringList cells;
            for (size_t i = 0; i < s.columns.size(); ++i)
                cells << (s.columns[i].sum != Sum::None ? t[i].text() : int(i) == labelColumn ? label : QString());
            return cells;
        };
        bool started = false;
        qint64 count = 0;
        const bool ok = eachRow(
            s, st, count,
            [&](const Row &row) {
                if (!started) {
                    m_doc->beginTable(layout, captions);
                    started = true;
                }
                QStringList cells;
                for (size_t i = 0; i < s.columns.size(); ++i) {
                    cells << s.columns[i].value.value.render(row).trimmed();
                    if (s.columns[i].sum != Sum::None) {
                        totals[i].add(cells.last(), s.columns[i].sum);
                        groupTotals[i].add(cells.last(), s.columns[i].sum);
                    }
                }
                m_doc->tableRow(cells);
            },
            [&](const Row &row, const QString &key) {
                if (!started) {
                    m_doc->beginTable(layout, captions);
                    started = true;
                }
                groupTotals.assign(s.columns.size(), Total());
                m_doc->tableRow({groupTitle(s, row, key)}, ReportDocument::RowKind::Group);
            },
            [&](const Row &last, qint64 n) {
                if (s.groupTotal.isSet())
                    m_doc->tableRow(sumRow(groupTotals, rendered(s.groupTotal, withCount(last, n, st))),
                                    ReportDocument::RowKind::Subtotal);
            });
        if (!ok)
            return false;
        if (count == 0) {
            m_doc->paragraph(s.empty.isEmpty() ? QStringLiteral("There is nothing to list.") : s.empty,
                             ReportDocument::Note::Empty);
            return true;
        }
        if (anySum)
            m_doc->tableRow(sumRow(totals, s.totalLabel.isEmpty() ? QStringLiteral("Total") : s.totalLabel),
                            ReportDocument::RowKind::Total);
        m_doc->endTable();
        for (size_t i = 0; i < s.columns.size(); ++i) {
            const Total &t = totals[i];
            if (t.skipped == 0)
                continue;
            QStringList shown;
            for (const QString &e : t.examples)
                shown << quoted(e);
            const QString what =
                s.columns[i].sum == Sum::WholeNumbers ? QStringLiteral("whole numbers") : QStringLiteral("numbers");
            m_doc->paragraph(
                QStringLiteral("Not in the total of %1: %2 %3 not %4 (%5%6).")
                    .arg(quoted(s.columns[i].caption))
                    .arg(t.skipped)
                    .arg(t.skipped == 1 ? QStringLiteral("entry that is") : QStringLiteral("entries that are"), what,
                         shown.join(QStringLiteral(", ")),
                         t.skipped > shown.size() ? QStringLiteral(", ...") : QString()),
                ReportDocument::Note::Remark);
        }
        if (s.count.isSet())
            m_doc->paragraph(rendered(s.count, withCount({}, count, st)), ReportDocument::Note::Count);
        return true;
    }

    const BuildOptions &m_o;
    Definition m_def;
    ReadOnlyDatabase m_db;
    std::vector<Statement> m_statements;
    ReportDocument *m_doc = nullptr;
    QString m_error;
    bool m_cancelled = false;
    bool m_failed = false;
    int m_percent = 0;
    qint64 m_totalRows = 0;
    QElapsedTimer m_counting;
    qint64 m_rowsDone = 0;
};

} // namespace

BuildResult buildReport(const BuildOptions &options)
{
    Runner runner(options);
    return runner.run();
}

QString reportPath(const QString &fileName)
{
    // Only a name in the program folder, whichever separator the caller wrote.
    QString name = fileName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return programFile(QFileInfo(name).fileName());
}

} // namespace tf::report
