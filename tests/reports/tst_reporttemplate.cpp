// The template language of report definitions and the number rules reports add up with.

#include "TestFolder.h"
#include "reports/ReportTemplate.h"

using namespace tf::report;

class TestReportTemplate : public QObject
{
    Q_OBJECT
private slots:
    void render_data();
    void render();
    void syntaxErrors_data();
    void syntaxErrors();
    void unknownField();
    void numbers_data();
    void numbers();
    void wholeNumbers_data();
    void wholeNumbers();
    void months_data();
    void months();
    void cleaning_data();
    void cleaning();
};

// Columns A, B, D (a date) for every case.
void TestReportTemplate::render_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("hasValue");

    QTest::newRow("plain") << "{A} and {b}"
                           << "x"
                           << "y"
                           << ""
                           << "x and y" << true;
    QTest::newRow("optional kept") << "{A}[ ({B})]"
                                   << "Lake"
                                   << "Ramp"
                                   << ""
                                   << "Lake (Ramp)" << true;
    QTest::newRow("optional dropped") << "{A}[ ({B})]"
                                      << "Lake"
                                      << ""
                                      << ""
                                      << "Lake" << true;
    QTest::newRow("blank value counts as empty") << "{A}[, {B}]"
                                                 << "x"
                                                 << "   "
                                                 << ""
                                                 << "x" << true;
    QTest::newRow("separator dropped at start") << "{A}[, {B}]"
                                                << ""
                                                << "Light"
                                                << ""
                                                << "Light" << true;
    QTest::newRow("only the punctuation is dropped") << "[Rod: {A}][; Reel: {B}]"
                                                     << ""
                                                     << "oil"
                                                     << ""
                                                     << "Reel: oil" << true;
    QTest::newRow("bracket is not a separator") << "{A}[ ({B})]"
                                                << ""
                                                << "Ramp"
                                                << ""
                                                << "(Ramp)" << true;
    QTest::newRow("nothing at all") << "{A}[ - {B}]"
                                    << ""
                                    << ""
                                    << ""
                                    << "" << false;
    QTest::newRow("literal only") << "Total"
                                  << ""
                                  << ""
                                  << ""
                                  << "Total" << false;
    QTest::newRow("doubled characters") << "{{A}} [[{A}]]"
                                        << "x"
                                        << ""
                                        << ""
                                        << "{A} [x]" << true;
    QTest::newRow("nested") << "{A}[ on {B}[ ({D})]]"
                            << "Bass"
                            << "Jig"
                            << ""
                            << "Bass on Jig" << true;
    QTest::newRow("nested inner only") << "[x{A}[ ({D:date})]]"
                                       << ""
                                       << ""
                                       << "2025-06-14"
                                       << "x (Jun 14, 2025)" << true;
    QTest::newRow("long date") << "{D:long}"
                               << ""
                               << ""
                               << "2025-06-14"
                               << "Saturday, June 14, 2025" << true;
    QTest::newRow("date with time") << "{D:long}"
                                    << ""
                                    << ""
                                    << "2025-06-14 06:30:00"
                                    << "Saturday, June 14, 2025" << true;
    QTest::newRow("short date") << "{D:short}"
                                << ""
                                << ""
                                << "2025-06-14"
                                << "6/14/2025" << true;
    QTest::newRow("pattern") << "{D:MMMM yyyy}"
                             << ""
                             << ""
                             << "2026-01-05"
                             << "January 2026" << true;
    QTest::newRow("typed date left alone") << "{D:long}"
                                           << ""
                                           << ""
                                           << "5/2/2024"
                                           << "5/2/2024" << true;
    QTest::newRow("not quite a date") << "{D:long}"
                                      << ""
                                      << ""
                                      << "2024-02-30"
                                      << "2024-02-30" << true;
    QTest::newRow("initial") << "{A:initial}"
                             << "alice"
                             << ""
                             << ""
                             << "A" << true;
    QTest::newRow("initial of a number") << "{A:initial}"
                                         << "3 Rivers"
                                         << ""
                                         << ""
                                         << "#" << true;
    QTest::newRow("upper") << "{A:upper}"
                           << "bass"
                           << ""
                           << ""
                           << "BASS" << true;
    QTest::newRow("number") << "{A:number}"
                            << "$1250.5"
                            << ""
                            << ""
                            << "$1,250.5" << true;
    QTest::newRow("not a number") << "{A:number}"
                                  << "gift"
                                  << ""
                                  << ""
                                  << "gift" << true;
}

void TestReportTemplate::render()
{
    QFETCH(QString, text);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, d);
    Template t;
    QString error;
    QVERIFY2(t.parse(text, &error), qPrintable(error));
    QString unknown;
    QVERIFY2(t.bind({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("D")}, &unknown), qPrintable(unknown));
    bool any = false;
    const QString out = t.render({a, b, d}, &any);
    QTEST(out, "expected");
    QTEST(any, "hasValue");
}

void TestReportTemplate::syntaxErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("open brace") << "{Date"
                                << "not closed by \"}\"";
    QTest::newRow("brace in brace") << "{Da{te}"
                                    << "not closed by \"}\"";
    QTest::newRow("close brace") << "Date}"
                                 << "has no \"{\"";
    QTest::newRow("open bracket") << "[{Date}"
                                  << "not closed by \"]\"";
    QTest::newRow("close bracket") << "{Date}]"
                                   << "has no \"[\"";
    QTest::newRow("empty field") << "{ }"
                                 << "names no field";
    QTest::newRow("format only") << "{:long}"
                                 << "names no field";
}

void TestReportTemplate::syntaxErrors()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    Template t;
    QString error;
    QVERIFY(!t.parse(text, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
}

void TestReportTemplate::unknownField()
{
    Template t;
    QString error;
    QVERIFY(t.parse(QStringLiteral("{Lake}[ {Ramp name}]"), &error));
    QCOMPARE(t.fieldNames(), QStringList({QStringLiteral("Lake"), QStringLiteral("Ramp name")}));
    QString unknown;
    QVERIFY(!t.bind({QStringLiteral("LAKE"), QStringLiteral("Ramp")}, &unknown));
    QCOMPARE(unknown, QStringLiteral("Ramp name"));
}

void TestReportTemplate::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("currency");
    QTest::newRow("whole") << "125" << true << 125.0 << 0 << "";
    QTest::newRow("decimals") << " 125.50 " << true << 125.5 << 2 << "";
    QTest::newRow("grouped") << "$1,250.50" << true << 1250.5 << 2 << "$";
    QTest::newRow("symbol after") << "40 €" << true << 40.0 << 0 << "€";
    QTest::newRow("symbol then blank") << "$ 40" << true << 40.0 << 0 << "$";
    QTest::newRow("negative") << "-3.5" << true << -3.5 << 1 << "";
    QTest::newRow("negative after symbol") << "$-5" << true << -5.0 << 0 << "$";
    QTest::newRow("fraction only") << ".5" << true << 0.5 << 1 << "";
    QTest::newRow("words") << "about 40" << false << 0.0 << 0 << "";
    QTest::newRow("decimal comma") << "40,5" << false << 0.0 << 0 << "";
    QTest::newRow("bad grouping") << "12,3456" << false << 0.0 << 0 << "";
    QTest::newRow("fraction") << "2/3" << false << 0.0 << 0 << "";
    QTest::newRow("two points") << "1.2.3" << false << 0.0 << 0 << "";
    QTest::newRow("double sign") << "--5" << false << 0.0 << 0 << "";
    QTest::newRow("symbol alone") << "$" << false << 0.0 << 0 << "";
    QTest::newRow("empty") << "" << false << 0.0 << 0 << "";
    QTest::newRow("exponent") << "1e3" << false << 0.0 << 0 << "";
}

void TestReportTemplate::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    const auto n = parseNumber(text);
    QCOMPARE(n.has_value(), isNumber);
    if (!n)
        return;
    QTEST(n->value, "value");
    QTEST(n->decimals, "decimals");
    QTEST(n->currency, "currency");
}

void TestReportTemplate::wholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected"); // -1: not a whole number
    QTest::newRow("digits") << "12" << qint64(12);
    QTest::newRow("blanks") << " 7 " << qint64(7);
    QTest::newRow("zero") << "0" << qint64(0);
    QTest::newRow("point zero") << "12.0" << qint64(-1);
    QTest::newRow("fraction") << "2/3" << qint64(-1);
    QTest::newRow("negative") << "-1" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("other digits") << QString::fromUtf8("１２") << qint64(-1);
    QTest::newRow("too long") << "1234567890123456789012" << qint64(-1);
}

void TestReportTemplate::wholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    const auto n = parseWholeNumber(text);
    QCOMPARE(n.value_or(-1), expected);
}

void TestReportTemplate::months_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // 0: none
    QTest::newRow("name") << "January" << 1;
    QTest::newRow("any case and blanks") << " deCember " << 12;
    QTest::newRow("three letters") << "Sep" << 9;
    QTest::newRow("four letters") << "Sept" << 0;
    QTest::newRow("number") << "7" << 7;
    QTest::newRow("out of range") << "13" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestReportTemplate::months()
{
    QFETCH(QString, text);
    QTEST(monthNumber(text).value_or(0), "expected");
}

void TestReportTemplate::cleaning_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString ls(QChar::LineSeparator);
    QTest::newRow("windows lines") << "a\r\nb\rc\nd"
                                   << "a" + ls + "b" + ls + "c" + ls + "d";
    QTest::newRow("tab") << "a\tb"
                         << "a b";
    QTest::newRow("controls") << QStringLiteral("a\x01\x1f"
                                                "b\x7f")
                              << "ab";
    QTest::newRow("trailing break") << "note\r\n"
                                    << "note";
    QTest::newRow("paragraph separator") << "a" + QString(QChar::ParagraphSeparator) + "b"
                                         << "a" + ls + "b";
    QTest::newRow("unchanged") << "plain text"
                               << "plain text";
}

void TestReportTemplate::cleaning()
{
    QFETCH(QString, text);
    QTEST(cleanValue(text), "expected");
}

TF_CORE_TEST_MAIN(TestReportTemplate)
#include "tst_reporttemplate.moc"
