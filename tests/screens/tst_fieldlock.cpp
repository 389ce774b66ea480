// Locked fields: every kind of field takes the one locked look as soon as it
// is locked, whatever rules its window or the field itself has, and gets its
// own look back as soon as it is unlocked, so a box waiting for typing never
// looks like a value (or back).

#include "TestMain.h"
#include "data/DateField.h"
#include "screens/FieldLock.h"

#include <QComboBox>
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
    for (const char *kind : {"line", "plain", "rich", "list", "date"})
        QTest::newRow(kind) << kind;
}

void TestFieldLock::lockedLookFollowsLocking()
{
    QFETCH(QString, kind);
    QWidget window;
    // A window's rules for read-only boxes do not make a look of their own.
    window.setStyleSheet(QStringLiteral("QLineEdit:read-only, QPlainTextEdit:read-only { background: red; }"));
    QWidget *field = nullptr;
    if (kind == QLatin1String("line"))
        field = new QLineEdit(&window);
    else if (kind == QLatin1String("plain"))
        field = new QPlainTextEdit(&window);
    else if (kind == QLatin1String("rich"))
        field = new QTextEdit(&window);
    else if (kind == QLatin1String("list"))
        field = new QComboBox(&window);
    else
        field = new DateField(&window);
    field->setStyleSheet(QStringLiteral("* { background: rgb(1, 2, 3); }"));
    field->resize(160, 26);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto fill = [field] {
        const QImage shown = field->grab().toImage();
        return shown.pixelColor(3, shown.height() - 4);
    };
    // The field's own rules, as its style paints them.
    const QColor ownFill = fill();
    QCOMPARE(ownFill.red() < 8 && ownFill.green() < 8 && ownFill.blue() < 8, true);

    for (int round = 0; round < 2; ++round) {
        FieldLock::setLocked(field, true);
        QVERIFY(FieldLock::isLocked(field));
        QCOMPARE(fill(), FieldLock::kLockedFill);
        QCOMPARE(field->palette().color(QPalette::Text), FieldLock::kLockedText);
        FieldLock::setLocked(field, true); // locking twice keeps the field's own look to give back
        FieldLock::setLocked(field, false);
        QCOMPARE(fill(), ownFill);
    }
}

TF_TEST_MAIN(TestFieldLock)
#include "tst_fieldlock.moc"
