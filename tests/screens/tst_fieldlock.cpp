// Locked fields: a window's style rules for ":read-only" give a text box the
// locked look as soon as it is locked, and take it away as soon as it is
// unlocked, so a box waiting for typing never looks like a value (or back).

#include "TestMain.h"
#include "screens/FieldLock.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

using namespace tf;

class TestFieldLock : public QObject
{
    Q_OBJECT
private slots:
    void lockedLookFollowsLocking_data();
    void lockedLookFollowsLocking();
};

void TestFieldLock::lockedLookFollowsLocking_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("line") << "line";
    QTest::newRow("plain text") << "plain";
    QTest::newRow("rich text") << "rich";
}

void TestFieldLock::lockedLookFollowsLocking()
{
    QFETCH(QString, kind);
    const QColor lockedColour(1, 2, 3);
    QWidget window;
    window.setStyleSheet(
        QStringLiteral("QLineEdit:read-only, QPlainTextEdit:read-only, QTextEdit:read-only { color: rgb(1, 2, 3); }"));
    QWidget *field = nullptr;
    if (kind == QLatin1String("line"))
        field = new QLineEdit(&window);
    else if (kind == QLatin1String("plain"))
        field = new QPlainTextEdit(&window);
    else
        field = new QTextEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(field->palette().color(QPalette::Text) != lockedColour);

    FieldLock::setLocked(field, true);
    QCOMPARE(field->palette().color(QPalette::Text), lockedColour);
    FieldLock::setLocked(field, false);
    QVERIFY(field->palette().color(QPalette::Text) != lockedColour);
    FieldLock::setLocked(field, true);
    QCOMPARE(field->palette().color(QPalette::Text), lockedColour);
}

TF_TEST_MAIN(TestFieldLock)
#include "tst_fieldlock.moc"
