#pragma once

// A report's body as a stream: every piece the engine makes (a card, a table
// row, a heading) is written to a scratch file and measured in a small
// document a stretch at a time, and the page breaks are chosen as the
// measures come in. A page is made when it is wanted, from its own pieces read
// back from the file, so memory stays the same however long the report, and
// the first page can be shown while later ones are still being counted.

#include "platform/Platform.h"
#include "reports/ReportDocument.h"

#include <QFile>
#include <QMutex>
#include <QTemporaryFile>
#include <QThreadPool>
#include <deque>
#include <future>
#include <memory>
#include <vector>

namespace tf::report {

class StreamPages : public ReportPages
{
public:
    StreamPages(const PageSetup &page, const QFont &font, const PageHeader &header);
    ~StreamPages() override;
    // The scratch file; false (and why) when it cannot be made.
    bool open(QString *error);

    // ---- the body, in reading order (as ReportDocument takes it)
    void subtitle(const QString &text);
    void heading(const QString &text);
    void groupHeading(const QString &text);
    void paragraph(const QString &text, ReportDocument::Note kind);
    void card(const ReportDocument::Card &card);
    void beginTable(const ReportDocument::TableLayout &layout, const QStringList &captions);
    void tableRow(const QStringList &cells, ReportDocument::RowKind kind = ReportDocument::RowKind::Data);
    void endTable();
    // Measures what has come since the last call and chooses its page breaks;
    // `last`: the body is complete, so the last page is closed too.
    bool flush(bool last);
    // Pieces not yet sent to be measured; the engine flushes when there are enough.
    size_t pending() const { return m_unsent; }
    // Measures without a body (widths, whether the header and captions fit).
    const ReportDocument &measure() const { return *m_reference; }
    QString error() const override { return m_error; }
    QString title() const override { return m_header.title; }

    // ---- pages
    int pageCount() const override; // the pages complete so far
    bool complete() const override { return m_complete; }
    QSizeF pageSize() const override; // points
    void paintPage(int index, QPainter &painter) const override;
    QString pageText(int index) const override;
    // The page as a document of its own, laid out (for tests: pictures, formats).
    std::unique_ptr<ReportDocument> pageDocument(int index, qreal *firstUnitTop = nullptr) const;

private:
    enum class Op : quint8 { Subtitle, Heading, GroupHeading, Paragraph, Card, BeginTable, TableRow, EndTable };
    struct Unit
    {
        qint64 start = 0, end = 0; // in the scratch file
        bool keepWithNext = false;
        int repeat = -1; // the table whose captions repeat when a page breaks before this unit
        int table = -1;  // the table it stands in (before it: for a caption row, none)
        int opens = -1;  // the table whose caption row it is
    };
    struct PendingUnit
    {
        Unit unit;
        ReportDocument::UnitShape shape;
        bool measured = false;
    };
    struct Page
    {
        qint64 start = 0, end = -1; // the pieces to read back
        qreal offset = 0;           // how far into its first unit the page begins (pixels)
        qreal used = 0;             // the height its body takes (pixels)
        int repeat = -1;
        int table = -1;
    };
    struct Table
    {
        ReportDocument::TableLayout layout;
        QStringList captions;
        qreal captionHeight = 0;
    };

    struct Measured
    {
        std::vector<ReportDocument::UnitShape> shapes;
        qreal header = 0;
    };
    std::unique_ptr<ReportDocument> newDocument() const;
    Table table(int index) const;
    void begin(Op op, bool keepWithNext, int repeat);
    void done();
    QByteArray read(qint64 from, qint64 to) const;
    void replay(ReportDocument &doc, qint64 from, qint64 to) const;
    bool cardsAlone(const ReportDocument &doc, qint64 from, qint64 to, size_t units,
                    std::vector<ReportDocument::UnitShape> &shapes) const;
    void place(size_t u);
    void split(const Unit &unit, const ReportDocument::UnitShape &shape);
    // used: how much of the page the body fills (-1: all it has taken so far).
    void newPage(const Unit &unit, qreal offset, int repeat, qreal used = -1);

    PageSetup m_setup;
    QFont m_font;
    PageHeader m_header;
    std::unique_ptr<ReportDocument> m_reference;
    QTemporaryFile m_file;
    mutable QFile m_reader;
    mutable QMutex m_readLock; // pages are painted on several threads at once
    QDataStream m_out;
    std::vector<Table> m_tables;
    mutable QMutex m_tablesLock; // stretches are measured on other threads as tables are added
    int m_table = -1;
    std::deque<PendingUnit> m_pending;
    std::vector<Page> m_pages;
    qreal m_headerHeight = -1;
    qreal m_avail = 0;
    qreal m_used = 0;
    qreal m_pxPerPoint = 1;
    bool m_complete = false;
    bool m_anyUnit = false;
    QString m_error;
    qint64 m_stretchFrom = -1; // where the units not yet sent to be measured begin
    int m_stretchTable = -1;   // the table they begin inside
    size_t m_unsent = 0;       // how many units that stretch holds
    int m_stretches = 0;       // sent to be measured so far
    std::deque<std::future<Measured>> m_measuring;
    // Last, so its threads are waited for before anything they read goes away.
    QThreadPool m_pool;
};

} // namespace tf::report
