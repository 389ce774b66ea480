#include "TestFolder.h"
#include "data/LikePattern.h"

#include <functional>

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

    // Long repetitive texts and patterns: the work stays proportional to the
    // text (and the pattern's words), never to their product.
    void costStaysLinear_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("match");
        QTest::addColumn<int>("perChar"); // allowed steps per character of text and pattern
        const QString as(100000, QLatin1Char('a'));
        const QString word = QString(9999, QLatin1Char('a')) + QLatin1Char('b');
        QTest::newRow("long word, absent") << "*" + word + "*" << as << false << 4;
        QTest::newRow("long word at the end") << "*" + word + "*" << as + "b" << true << 4;
        QTest::newRow("long word anchored") << word + "*" << as << false << 4;
        QTest::newRow("long word, end anchored") << "*" + word << as + "b" << true << 4;
        QTest::newRow("many stars") << QString("*a").repeated(30) + "*b" << as << false << 4;
        QTest::newRow("short word") << "*aab*" << as << false << 4;
        QTest::newRow("wildcards in a short word") << "*a?#a*" << as << false << 4;
        QTest::newRow("long word of wildcards") << "*" + QString(200, QLatin1Char('?')) + "b*" << as << false << 12;
        QTest::newRow("both ends anchored") << QString(5000, 'a') + "*" + QString(5000, 'a') << as << true << 4;
        QTest::newRow("non-latin long word")
            << "*" + QString(3000, QChar(0xE5)) + "b*" << QString(100000, QChar(0xC5)) << false << 4;
    }
    void costStaysLinear()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, match);
        QFETCH(int, perChar);
        const auto p = LikePattern::compile(pattern);
        QVERIFY(p);
        std::uint64_t work = 0;
        QCOMPARE(p->matches(text, &work), match);
        QVERIFY2(work <= std::uint64_t(perChar) * std::uint64_t(text.size() + pattern.size()),
                 qPrintable(QStringLiteral("%1 steps for %2 characters").arg(work).arg(text.size())));
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(p->matchesUtf8(utf8.constData(), utf8.size()), match);
    }

    // The segment search against plain backtracking over every split, on many
    // small patterns and texts: the same answer each time.
    void agreesWithBacktracking()
    {
        const QStringList atoms{"a", "b", "A", "1", "*", "?", "#", "[ab]", "[!a]", "[0-9]"};
        const QString letters = QStringLiteral("abAB1");
        // Pattern tokens as (kind, text); the reference matcher walks them directly.
        std::function<bool(const QStringList &, int, const QString &, int)> reference =
            [&](const QStringList &p, int i, const QString &t, int j) -> bool {
            if (i == p.size())
                return j == t.size();
            if (p[i] == "*")
                return reference(p, i + 1, t, j) || (j < t.size() && reference(p, i, t, j + 1));
            if (j == t.size())
                return false;
            const QChar c = t[j].toLower();
            bool ok;
            if (p[i] == "?")
                ok = true;
            else if (p[i] == "#")
                ok = c.isDigit();
            else if (p[i] == "[ab]")
                ok = c == 'a' || c == 'b';
            else if (p[i] == "[!a]")
                ok = c != 'a';
            else if (p[i] == "[0-9]")
                ok = c.isDigit();
            else
                ok = p[i].toLower()[0] == c;
            return ok && reference(p, i + 1, t, j + 1);
        };
        quint32 seed = 12345;
        auto next = [&](quint32 n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % n;
        };
        for (int round = 0; round < 4000; ++round) {
            QStringList tokens;
            const int length = int(next(7));
            for (int i = 0; i < length; ++i)
                tokens << atoms[int(next(quint32(atoms.size())))];
            QString text;
            const int textLength = int(next(9));
            for (int i = 0; i < textLength; ++i)
                text += letters[int(next(quint32(letters.size())))];
            const QString pattern = tokens.join(QString());
            const auto p = LikePattern::compile(pattern);
            QVERIFY(p);
            QVERIFY2(p->matches(text) == reference(tokens, 0, text, 0),
                     qPrintable(QStringLiteral("%1 on %2").arg(pattern, text)));
        }
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
