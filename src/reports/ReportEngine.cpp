#include "reports/ReportEngine.h"

#include "platform/FileLocations.h"
#include "platform/Platform.h"
#include "reports/ReportDatabase.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportStream.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QSet>

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

// Where a section of cards or a table has got to, so the report can stop
// after any row and go on later.
struct SectionState
{
    bool begun = false;
    bool first = true;
    bool started = false; // the table's caption row is out
    Row last;
    QString key;
    qint64 inGroup = 0;
    qint64 count = 0;
    qreal labelWidth = 0;
    ReportDocument::TableLayout layout;
    QStringList captions;
    std::vector<Total> totals, groupTotals;
    bool anySum = false;
    int labelColumn = -1;
};

} // namespace

class Runner
{
public:
    explicit Runner(BuildOptions o) : m_o(std::move(o)) {}

    // Reads the definition, opens the database and checks every query; nothing is laid out yet.
    bool prepare()
    {
        if (!readDefinition() || !openDatabase() || !prepareSections())
            return false;
        m_pages = std::make_unique<StreamPages>(m_o.page, reportFont(), header());
        if (!m_pages->open(&m_error)) {
            m_error = QStringLiteral("The report %1 cannot be made: %2.").arg(quoted(m_def.title), m_error);
            return false;
        }
        m_doc = m_pages.get();
        if (!everyPageFits())
            return false;
        if (!m_def.subtitle.isEmpty())
            m_doc->subtitle(m_def.subtitle);
        return true;
    }

    // Makes pages until the deadline, or until that many pages are ready (-1:
    // to the end); false when it stopped, cancelled or on an error.
    bool step(const QDeadlineTimer &deadline, int pages = -1)
    {
        if (m_stopped)
            return false;
        while (m_section < m_def.sections.size()) {
            const Section &s = m_def.sections[m_section];
            Statement &st = m_statements[m_section];
            if (!m_state.begun) {
                m_state.begun = true;
                if (s.kind == SectionKind::Text) {
                    textSection(s);
                    nextSection();
                } else {
                    beginSection(s);
                }
                continue;
            }
            Row row;
            if (next(st, row)) {
                onRow(s, st, row);
                if (m_pages->pending() >= kChunk) {
                    if (!flush(false))
                        return false;
                    if (deadline.hasExpired() || (pages >= 0 && m_pages->pageCount() >= pages))
                        return true;
                }
                continue;
            }
            if (m_failed)
                return stop();
            endSection(s, st);
            nextSection();
        }
        if (!m_pages->complete()) {
            m_statements.clear();
            if (!flush(true))
                return false;
            report(100);
        }
        return true;
    }

    StreamPages &pages() { return *m_pages; }
    bool cancelled() const { return m_cancelled; }
    QString error() const { return m_error; }
    int percent() const { return m_pages && m_pages->complete() ? 100 : m_percent; }
    void setProgress(const ProgressFn &progress) { m_o.progress = progress; }

private:
    static constexpr size_t kChunk = 64; // units measured together

    bool stop()
    {
        m_stopped = true;
        return false;
    }

    bool flush(bool last)
    {
        if (m_pages->flush(last))
            return true;
        m_error = m_pages->error();
        return stop();
    }

    void nextSection()
    {
        ++m_section;
        m_state = SectionState();
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
        if (!m_doc->measure().headerFits())
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
            if (!m_doc->measure().captionsFit(layout, captions))
                return definitionError(longest->line, QStringLiteral("the column captions are too long to stand at "
                                                                     "the top of every page of the table"));
        }
        return true;
    }

    ReportDocument::TableLayout tableLayout(const Section &s) const
    {
        ReportDocument::TableLayout layout;
        for (const Column &c : s.columns) {
            layout.percent.push_back(c.points > 0 ? m_doc->measure().percentOf(c.points) : c.percent);
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
            if ((++m_rowsDone & 7) == 0 &&
                !report(m_totalRows ? int(qMin<qint64>(99, 100 * m_rowsDone / m_totalRows)) : 0))
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

    void textSection(const Section &s)
    {
        if (!s.heading.isEmpty())
            m_doc->heading(s.heading);
        for (const QString &p : s.paragraphs)
            m_doc->paragraph(p, ReportDocument::Note::Plain);
    }

    QString groupTitle(const Section &s, const Row &row, const QString &key) const
    {
        return rendered(s.groupHeading, row, key.isEmpty() ? QStringLiteral("(none)") : key);
    }

    void beginSection(const Section &s)
    {
        SectionState &t = m_state;
        if (!s.heading.isEmpty())
            m_doc->heading(s.heading);
        if (s.kind == SectionKind::Cards) {
            QStringList labels;
            for (const CardEntry &e : s.entries)
                labels << e.label;
            t.labelWidth = s.labelWidth > 0 ? s.labelWidth : m_doc->measure().labelWidthFor(labels);
            return;
        }
        t.layout = tableLayout(s);
        for (size_t i = 0; i < s.columns.size(); ++i) {
            const Column &c = s.columns[i];
            t.captions << c.caption;
            t.anySum = t.anySum || c.sum != Sum::None;
            if (t.labelColumn < 0 && c.sum == Sum::None)
                t.labelColumn = int(i);
        }
        t.totals.assign(s.columns.size(), Total());
        t.groupTotals.assign(s.columns.size(), Total());
    }

    QStringList sumRow(const Section &s, const std::vector<Total> &totals, const QString &label) const
    {
        QStringList cells;
        for (size_t i = 0; i < s.columns.size(); ++i)
            cells << (s.columns[i].sum != Sum::None   ? totals[i].text()
                      : int(i) == m_state.labelColumn ? label
                                                      : QString());
        return cells;
    }

    void startTable()
    {
        if (!m_state.started) {
            m_doc->beginTable(m_state.layout, m_state.captions);
            m_state.started = true;
        }
    }

    // Rows grouped by the group template: a heading where a group starts, its footer where it ends.
    void groupEnd(const Section &s, const Statement &st)
    {
        SectionState &t = m_state;
        if (s.kind == SectionKind::Cards) {
            if (s.groupFooter.isSet())
                m_doc->paragraph(rendered(s.groupFooter, withCount(t.last, t.inGroup, st)),
                                 ReportDocument::Note::Count);
        } else if (s.groupTotal.isSet()) {
            m_doc->tableRow(sumRow(s, t.groupTotals, rendered(s.groupTotal, withCount(t.last, t.inGroup, st))),
                            ReportDocument::RowKind::Subtotal);
        }
    }

    void onRow(const Section &s, const Statement &st, Row &row)
    {
        SectionState &t = m_state;
        const bool table = s.kind == SectionKind::Table;
        if (s.group.isSet()) {
            const QString k = s.group.value.render(row).trimmed();
            if (t.first || k.compare(t.key, Qt::CaseInsensitive) != 0) {
                if (!t.first)
                    groupEnd(s, st);
                t.key = k;
                t.inGroup = 0;
                if (table) {
                    startTable();
                    t.groupTotals.assign(s.columns.size(), Total());
                    m_doc->tableRow({groupTitle(s, row, k)}, ReportDocument::RowKind::Group);
                } else {
                    m_doc->groupHeading(groupTitle(s, row, k));
                }
            }
        }
        if (table)
            tableRow(s, row);
        else
            cardRow(s, row);
        ++t.count;
        ++t.inGroup;
        t.first = false;
        t.last = std::move(row);
    }

    void cardRow(const Section &s, const Row &row)
    {
        ReportDocument::Card card;
        card.title = rendered(s.title, row);
        card.labelWidth = m_state.labelWidth;
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
    }

    void tableRow(const Section &s, const Row &row)
    {
        SectionState &t = m_state;
        startTable();
        QStringList cells;
        for (size_t i = 0; i < s.columns.size(); ++i) {
            cells << s.columns[i].value.value.render(row).trimmed();
            if (s.columns[i].sum != Sum::None) {
                t.totals[i].add(cells.last(), s.columns[i].sum);
                t.groupTotals[i].add(cells.last(), s.columns[i].sum);
            }
        }
        m_doc->tableRow(cells);
    }

    void endSection(const Section &s, const Statement &st)
    {
        SectionState &t = m_state;
        if (s.group.isSet() && !t.first)
            groupEnd(s, st);
        const QString empty = s.empty.isEmpty() ? QStringLiteral("There is nothing to list.") : s.empty;
        if (s.kind == SectionKind::Cards) {
            if (t.count == 0)
                m_doc->paragraph(empty, ReportDocument::Note::Empty);
            else if (s.count.isSet())
                m_doc->paragraph(rendered(s.count, withCount({}, t.count, st)), ReportDocument::Note::Count);
            return;
        }
        if (t.count == 0) {
            m_doc->paragraph(empty, ReportDocument::Note::Empty);
            return;
        }
        if (t.anySum)
            m_doc->tableRow(sumRow(s, t.totals, s.totalLabel.isEmpty() ? QStringLiteral("Total") : s.totalLabel),
                            ReportDocument::RowKind::Total);
        m_doc->endTable();
        for (size_t i = 0; i < s.columns.size(); ++i) {
            const Total &total = t.totals[i];
            if (total.skipped == 0)
                continue;
            QStringList shown;
            for (const QString &e : total.examples)
                shown << quoted(e);
            const QString what =
                s.columns[i].sum == Sum::WholeNumbers ? QStringLiteral("whole numbers") : QStringLiteral("numbers");
            m_doc->paragraph(
                QStringLiteral("Not in the total of %1: %2 %3 not %4 (%5%6).")
                    .arg(quoted(s.columns[i].caption))
                    .arg(total.skipped)
                    .arg(total.skipped == 1 ? QStringLiteral("entry that is") : QStringLiteral("entries that are"),
                         what, shown.join(QStringLiteral(", ")),
                         total.skipped > shown.size() ? QStringLiteral(", ...") : QString()),
                ReportDocument::Note::Remark);
        }
        if (s.count.isSet())
            m_doc->paragraph(rendered(s.count, withCount({}, t.count, st)), ReportDocument::Note::Count);
    }

    BuildOptions m_o;
    Definition m_def;
    ReadOnlyDatabase m_db;
    std::vector<Statement> m_statements;
    std::unique_ptr<StreamPages> m_pages;
    StreamPages *m_doc = nullptr;
    size_t m_section = 0;
    SectionState m_state;
    bool m_stopped = false;
    QString m_error;
    bool m_cancelled = false;
    bool m_failed = false;
    int m_percent = 0;
    qint64 m_totalRows = 0;
    QElapsedTimer m_counting;
    qint64 m_rowsDone = 0;
};

Report::Report(std::unique_ptr<Runner> runner) : m_runner(std::move(runner)) {}
Report::~Report() = default;

int Report::pageCount() const
{
    return m_runner->pages().pageCount();
}

bool Report::complete() const
{
    return m_runner->pages().complete();
}

bool Report::paginateMore(int milliseconds, const ProgressFn &progress)
{
    m_runner->setProgress(progress);
    const bool ok = m_runner->step(QDeadlineTimer(milliseconds));
    m_runner->setProgress({});
    return ok;
}

int Report::percentDone() const
{
    return m_runner->percent();
}

QString Report::error() const
{
    return m_runner->cancelled() ? QString() : m_runner->error();
}

QSizeF Report::pageSize() const
{
    return m_runner->pages().pageSize();
}

void Report::paintPage(int index, QPainter &painter) const
{
    m_runner->pages().paintPage(index, painter);
}

QString Report::title() const
{
    return m_runner->pages().title();
}

QString Report::pageText(int index) const
{
    return m_runner->pages().pageText(index);
}

const StreamPages &Report::pages() const
{
    return m_runner->pages();
}

bool Report::paginate(const ProgressFn &progress, int pages)
{
    m_runner->setProgress(progress);
    bool ok = true;
    while (ok && !complete() && (pages < 0 || pageCount() < pages))
        ok = m_runner->step(QDeadlineTimer(QDeadlineTimer::Forever), pages);
    m_runner->setProgress({});
    return ok;
}

bool Report::cancelled() const
{
    return m_runner->cancelled();
}

std::unique_ptr<Report> openReport(const BuildOptions &options, QString *error, bool *cancelled)
{
    auto runner = std::make_unique<Runner>(options);
    const bool ok = runner->prepare();
    runner->setProgress({}); // the caller's progress was for getting ready
    if (cancelled)
        *cancelled = runner->cancelled();
    if (!ok) {
        *error = runner->cancelled() ? QString() : runner->error();
        return nullptr;
    }
    return std::unique_ptr<Report>(new Report(std::move(runner)));
}

BuildResult buildReport(const BuildOptions &options)
{
    BuildResult r;
    r.report = openReport(options, &r.error, &r.cancelled);
    if (!r.report)
        return r;
    if (!r.report->paginate(options.progress)) {
        r.cancelled = r.report->cancelled();
        r.error = r.report->error();
        r.report.reset();
        return r;
    }
    r.pages = r.report->pageCount();
    return r;
}

QString reportPath(const QString &fileName)
{
    return filePath(FileRole::Report, fileName);
}

} // namespace tf::report
