// Reading report definition files: what a good one gives, and the line and
// words of every mistake a user editing one by hand is likely to make.

#include "TestFolder.h"
#include "reports/ReportDefinition.h"

using namespace tf::report;

class TestReportDefinition : public QObject
{
    Q_OBJECT
private slots:
    void readsEverything();
    void errors_data();
    void errors();
    void lengths_data();
    void lengths();
};

void TestReportDefinition::readsEverything()
{
    const QString text = QStringLiteral("\xEF\xBB\xBF# a comment\r\n"
                                        "[report]\r\n"
                                        "title = Fishing Log\r\n"
                                        "Font Size = 9.5\n"
                                        "\n"
                                        "[table]\n"
                                        "query = trips\n"
                                        "column = Date | {Date:long} | 30%\n"
                                        "column = Lake | {Lake}\n"
                                        "column = Fish | {Total Fish} | 1 in | right | sum whole\n"
                                        "group = {Lake}\n"
                                        "\n"
                                        "[query trips]\n"
                                        "sql = SELECT *\n"
                                        "  -- the newest first\n"
                                        "      FROM Log\n"
                                        "sort = Lake, \"Total Fish\" descending, [Date] desc\n"
                                        "[cards]\n"
                                        "query = TRIPS\n"
                                        "title = {Date}\n"
                                        "field columns = 3\n"
                                        "label width = 2.54 cm\n"
                                        "picture = {Picture}\n"
                                        "picture size = 3 in x 2in\n"
                                        "field = Lake | {Lake}\n"
                                        "line = {Notes}\n"
                                        "[text]\n"
                                        "text = one\n"
                                        "  two\n")
                             .replace(QStringLiteral("\xEF\xBB\xBF"), QString(QChar(0xFEFF)));
    ParseError e;
    const auto d = parseDefinition(text, &e);
    QVERIFY2(d, qPrintable(QStringLiteral("line %1: %2").arg(e.line).arg(e.message)));
    QCOMPARE(d->title, QStringLiteral("Fishing Log"));
    QCOMPARE(d->fontSize, 9.5);
    QCOMPARE(d->queries.size(), size_t(1));
    const Query &q = d->queries[0];
    QCOMPARE(q.sql, QStringLiteral("SELECT *\n-- the newest first\nFROM Log"));
    QCOMPARE(q.sqlLine, 14);
    QCOMPARE(q.sort.size(), size_t(3));
    QCOMPARE(q.sort[1].column, QStringLiteral("Total Fish"));
    QVERIFY(q.sort[1].descending && q.sort[2].descending && !q.sort[0].descending);
    QCOMPARE(q.sort[2].column, QStringLiteral("Date"));

    QCOMPARE(d->sections.size(), size_t(3));
    const Section &table = d->sections[0];
    QCOMPARE(table.kind, SectionKind::Table);
    QCOMPARE(table.columns.size(), size_t(3));
    QCOMPARE(table.columns[0].percent, 30.0);
    QCOMPARE(table.columns[1].percent, 70.0); // the width left over
    QCOMPARE(table.columns[2].points, 72.0);
    QCOMPARE(table.columns[2].align, Align::Right);
    QCOMPARE(table.columns[2].sum, Sum::WholeNumbers);
    QCOMPARE(table.columns[0].value.line, 8);
    QVERIFY(table.group.isSet());

    const Section &cards = d->sections[1];
    QCOMPARE(cards.kind, SectionKind::Cards);
    QCOMPARE(cards.fieldColumns, 3);
    QVERIFY(qAbs(cards.labelWidth - 72.0) < 1e-9);
    QCOMPARE(cards.pictureSize, QSizeF(216, 144));
    QCOMPARE(cards.entries.size(), size_t(2));
    QCOMPARE(cards.entries[0].label, QStringLiteral("Lake"));
    QVERIFY(cards.entries[1].label.isEmpty());
    QCOMPARE(cards.entries[1].kind, CardEntry::Kind::Line);

    QCOMPARE(d->sections[2].paragraphs, QStringList{QStringLiteral("one two")});
}

void TestReportDefinition::errors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");

    const QString head = QStringLiteral("[report]\ntitle = T\n[query q]\nsql = SELECT 1 AS a\n"); // 4 lines
    QTest::newRow("empty file") << "" << 0 << "must begin with [report]";
    QTest::newRow("comments only") << "# nothing\n\n" << 0 << "must begin with [report]";
    QTest::newRow("setting before a part") << "title = T\n[report]" << 1 << "before the first part";
    QTest::newRow("another part first") << "[text]\ntext = x\n[report]\ntitle = T" << 1 << "must begin with [report]";
    QTest::newRow("no title") << "[report]\nsubtitle = s\n[text]\ntext = x" << 1 << "needs a title";
    QTest::newRow("unknown keyword") << "[report]\ntitle = T\ncolour = red" << 3
                                     << "\"colour\" is not a setting of [report]";
    QTest::newRow("twice") << "[report]\ntitle = T\ntitle = U" << 3 << "\"title\" is given twice";
    QTest::newRow("report twice") << head + "[report]\ntitle = U\n[text]\ntext = x" << 5 << "[report] is given twice";
    QTest::newRow("no equals sign") << "[report]\ntitle Fishing Log" << 2 << "not a setting of the form";
    QTest::newRow("unclosed part") << "[report\ntitle = T" << 1 << "must end with \"]\"";
    QTest::newRow("unknown part") << head + "[tabel]\nquery = q" << 5 << "[tabel] is not a part";
    QTest::newRow("indented line continues nothing") << "[report]\n   title = T" << 2 << "continues no setting";
    QTest::newRow("query without name") << "[report]\ntitle = T\n[query]\nsql = SELECT 1" << 3 << "needs a name";
    QTest::newRow("query twice") << head + "[query Q]\nsql = SELECT 2" << 5 << "already a query named \"Q\"";
    QTest::newRow("query without sql") << "[report]\ntitle = T\n[query q]\nsort = a" << 3 << "needs its SQL";
    QTest::newRow("bad sort") << head + "sort = a,,b" << 5 << "a sort is written";
    QTest::newRow("no such query") << head + "[table]\nquery = r\ncolumn = A | {a}" << 6 << "no [query r]";
    QTest::newRow("section without query") << head + "[cards]\ntitle = {a}" << 5 << "[cards] needs a query";
    QTest::newRow("table without columns") << head + "[table]\nquery = q" << 5 << "at least one column";
    QTest::newRow("column without field") << head + "[table]\nquery = q\ncolumn = A" << 7 << "a column is written";
    QTest::newRow("widths over 100") << head + "[table]\nquery = q\ncolumn = A | {a} | 70%\ncolumn = B | {a} | 40%" << 5
                                     << "more than 100%";
    QTest::newRow("bad width") << head + "[table]\nquery = q\ncolumn = A | {a} | wide" << 7 << "not a column width";
    QTest::newRow("bad option") << head + "[table]\nquery = q\ncolumn = A | {a} | 10% | sideways" << 7
                                << "\"sideways\" is not a column option";
    QTest::newRow("template error") << head + "[table]\nquery = q\ncolumn = A | {a" << 7 << "not closed by \"}\"";
    QTest::newRow("card template error") << head + "[cards]\nquery = q\ntitle = [{a}" << 7 << "not closed by \"]\"";
    QTest::newRow("field columns") << head + "[cards]\nquery = q\nfield columns = 7" << 7 << "1, 2, 3 or 4";
    QTest::newRow("picture size") << head + "[cards]\nquery = q\npicture size = big" << 7 << "picture size";
    QTest::newRow("label width") << head + "[cards]\nquery = q\nlabel width = 3" << 7 << "not a width";
    QTest::newRow("empty card") << head + "[cards]\nquery = q" << 5 << "needs a title, a field or a line";
    QTest::newRow("font size") << "[report]\ntitle = T\nfont size = 100" << 3 << "from 6 to 24";
    QTest::newRow("named section") << head + "[table trips]\nquery = q" << 5 << "takes no name";
    QTest::newRow("empty text part") << head + "[text]" << 5 << "needs a heading or a text";
    QTest::newRow("nothing printed") << head << 0 << "prints nothing";
}

void TestReportDefinition::errors()
{
    QFETCH(QString, text);
    ParseError e;
    QVERIFY(!parseDefinition(text, &e));
    QTEST(e.line, "line");
    QFETCH(QString, message);
    QVERIFY2(e.message.contains(message), qPrintable(e.message));
}

void TestReportDefinition::lengths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("points"); // -1: not a length
    QTest::newRow("inches") << "1.5 in" << 108.0;
    QTest::newRow("centimetres") << "2.54cm" << 72.0;
    QTest::newRow("millimetres") << "25.4 MM" << 72.0;
    QTest::newRow("points") << "12 pt" << 12.0;
    QTest::newRow("no unit") << "12" << -1.0;
    QTest::newRow("unknown unit") << "3 ft" << -1.0;
    QTest::newRow("negative") << "-1 in" << -1.0;
}

void TestReportDefinition::lengths()
{
    QFETCH(QString, text);
    QFETCH(double, points);
    const auto p = parseLength(text);
    QCOMPARE(p.value_or(-1.0), points);
}

TF_CORE_TEST_MAIN(TestReportDefinition)
#include "tst_reportdefinition.moc"
