#include "TestFolder.h"
#include "data/LikePattern.h"

using namespace tf;

class TestLike : public QObject
{
    Q_OBJECT
private slots:
    void patterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("match");
        QTest::newRow("anywhere") << "*bass*"
                                  << "Caught a big BASS today" << true;
        QTest::newRow("case ignored") << "*Bass*"
                                      << "largemouth bass" << true;
        QTest::newRow("absent") << "*bass*"
                                << "walleye only" << false;
        QTest::newRow("empty text matches all") << "**"
                                                << "" << true;
        QTest::newRow("empty text matches any") << "**"
                                                << "anything" << true;
        QTest::newRow("question one char") << "b?ss"
                                           << "boss" << true;
        QTest::newRow("question needs one") << "b?ss"
                                            << "bss" << false;
        QTest::newRow("hash digit") << "Lure ##"
                                    << "Lure 42" << true;
        QTest::newRow("hash not letter") << "Lure ##"
                                         << "Lure 4x" << false;
        QTest::newRow("list") << "[bc]at"
                              << "Cat" << true;
        QTest::newRow("list miss") << "[bc]at"
                                   << "rat" << false;
        QTest::newRow("range") << "[a-f]*"
                               << "Dock" << true;
        QTest::newRow("negated") << "[!a-f]*"
                                 << "Dock" << false;
        QTest::newRow("negated hit") << "[!a-f]*"
                                     << "Rock" << true;
        QTest::newRow("literal star in list") << "*[*]*"
                                              << "5*" << true;
        QTest::newRow("percent literal") << "*50%*"
                                         << "only 50% clear" << true;
        QTest::newRow("percent not wildcard") << "*50%*"
                                              << "only 50 clear" << false;
        QTest::newRow("underscore literal") << "a_b"
                                            << "axb" << false;
        QTest::newRow("backslash literal") << "*c:\\pics*"
                                           << "C:\\Pics\\x.jpg" << true;
        QTest::newRow("non-latin folded") << "*ÅBORRE*"
                                          << "en stor åborre" << true;
        QTest::newRow("greek") << "*ΨΑΡΙ*"
                               << "ψάρι" << false; // accents are not folded away
        QTest::newRow("star backtracking") << "*a*b*c"
                                           << "aXbYaZbc" << true;
        QTest::newRow("anchored end") << "*bass"
                                      << "bass boat" << false;
        QTest::newRow("surrogate pair") << "*🐟*"
                                        << "fish 🐟 here" << true;
        QTest::newRow("surrogate one char") << "?"
                                            << "🐟" << true;
    }
    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, match);
        const auto p = LikePattern::compile(pattern);
        QVERIFY(p);
        QCOMPARE(p->matches(text), match);
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(p->matchesUtf8(utf8.constData(), utf8.size()), match);
    }

    void badPatterns()
    {
        QString error;
        QVERIFY(!LikePattern::compile(QStringLiteral("*[abc*"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!LikePattern::compile(QStringLiteral("[z-a]")));
    }

    // Many stars against a long text must not explode in time.
    void noExponentialBlowUp()
    {
        const auto p = LikePattern::compile(QString(QStringLiteral("*a")).repeated(30) + QStringLiteral("*b"));
        QVERIFY(p);
        QElapsedTimer t;
        t.start();
        QVERIFY(!p->matches(QString(5000, QLatin1Char('a'))));
        QVERIFY(t.elapsed() < 2000);
    }

    void criteria_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("bare") << "Notes LIKE '*bass*'"
                              << "Notes"
                              << "*bass*";
        QTest::newRow("bracketed") << "[Best Lure] LIKE '*spin*'"
                                   << "Best Lure"
                                   << "*spin*";
        QTest::newRow("lower like") << "Lake like '*x*'"
                                    << "Lake"
                                    << "*x*";
        QTest::newRow("doubled quote") << "Notes LIKE '*O''Neil*'"
                                       << "Notes"
                                       << "*O'Neil*";
        QTest::newRow("empty text") << "Notes LIKE '**'"
                                    << "Notes"
                                    << "**";
    }
    void criteria()
    {
        QFETCH(QString, criterion);
        QFETCH(QString, column);
        QFETCH(QString, pattern);
        const auto c = parseLikeCriterion(criterion);
        QVERIFY(c);
        QCOMPARE(c->column, column);
        QCOMPARE(c->pattern, pattern);
    }

    void badCriteria_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::newRow("lone quote") << "Notes LIKE '*O'Neil*'";
        QTest::newRow("unclosed") << "Notes LIKE '*bass";
        QTest::newRow("no like") << "Notes = 'x'";
        QTest::newRow("bracket open") << "[Best Lure LIKE '*x*'";
        QTest::newRow("injection") << "Notes LIKE '*' OR 1=1 OR '*'";
        QTest::newRow("empty") << "";
    }
    void badCriteria()
    {
        QFETCH(QString, criterion);
        QString error;
        QVERIFY(!parseLikeCriterion(criterion, &error));
        QVERIFY(!error.isEmpty());
    }
};

TF_CORE_TEST_MAIN(TestLike)
#include "tst_like.moc"
