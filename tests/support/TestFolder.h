#pragma once

// Helpers for laying out program folders and database files in tests.

#include <QByteArray>
#include <QGuiApplication>
#include <QLocale>
#include <QString>
#include <QtTest>

namespace tf::test {

QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &bytes);
// Creates a fresh database file at path (every table, the Register row); fails the test otherwise.
void makeDatabase(const QString &path);
// Runs one SQL statement directly on a file (fixture set-up), returns false on error.
bool execSql(const QString &path, const QString &sql);
// First column of the first row of a query, or an invalid QVariant.
QVariant querySingle(const QString &path, const QString &sql);

// Flips one bit of the type byte of a page of a table that spans several pages,
// as a failing disk might: its root page, or the last leaf page. False when the
// table fits one page.
bool damageTablePage(const QString &table, const QString &path, bool leaf);

// Lowers by `rows` the key that divides two leaves in a table's root page, as a
// failing disk might: those rows stay on their leaf, but a lookup by key is led
// to the next leaf and finds nothing; a scan still sees them, and the table's
// indexes are untouched. False when the table fits one page or the key's
// encoding would change length.
bool misrouteTableKeys(const QString &table, const QString &path, int rows);

// Fixed locale for stable date and number texts.
inline void useTestLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

} // namespace tf::test

// QTEST_MAIN for tests of the core library: a GUI application (fonts, images)
// but no widgets, with the fixed test locale set first.
#define TF_CORE_TEST_MAIN(TestObject)                                                                                  \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        QGuiApplication app(argc, argv);                                                                               \
        tf::test::useTestLocale();                                                                                     \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
