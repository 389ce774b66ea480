#include "ScreenTest.h"

#include "data/Schema.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tf::test {

void ScreenTest::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    m_db = m_scope->file(kDatabaseFileName);
    makeDatabase(m_db);
    m_driver = std::make_unique<ScreenDriver>(m_scope->fake());
    prepare();
}

void ScreenTest::cleanup()
{
    m_driver.reset(); // closes and releases every window
    finish();
    m_scope.reset();
}

bool ScreenTest::chooseRow(const QString &name, int row) const
{
    return ScreenDriver::chooseRow(get<QAbstractItemView>(name), row);
}

int ScreenTest::rows(const QString &table) const
{
    return value(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table))).toInt();
}

void textTable(std::initializer_list<std::array<const char *, 3>> rows)
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    for (const auto &[name, text, tip] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text)
                            << (tip ? QString::fromLatin1(tip) : QString());
}

void checkText(const QWidget *window)
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    const QWidget *w = window ? window->findChild<QWidget *>(name) : nullptr;
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(shownText(w), text);
    if (!toolTip.isNull()) // no tip given: the row checks the text alone
        QCOMPARE(w->toolTip(), toolTip);
}

QString shownText(const QWidget *w)
{
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *c = qobject_cast<const QComboBox *>(w))
        return c->currentText();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    if (auto *p = qobject_cast<const QPlainTextEdit *>(w))
        return p->toPlainText();
    return w && w->isWindow() ? w->windowTitle() : QString();
}

QStringList itemsOf(const QComboBox *list)
{
    QStringList r;
    for (int i = 0; i < list->count(); ++i)
        r << list->itemText(i);
    return r;
}

QStringList gridColumn(const QAbstractItemView *grid, int column)
{
    QStringList r;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        r << grid->model()->index(row, column).data().toString();
    return r;
}

QStringList gridHeadings(const QAbstractItemView *grid)
{
    QStringList r;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        r << grid->model()->headerData(c, Qt::Horizontal).toString();
    return r;
}

bool focusWithin(const QWidget *w)
{
    const QWidget *f = QApplication::focusWidget();
    return f && (f == w || w->isAncestorOf(f));
}

bool activate(QWidget *w)
{
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

} // namespace tf::test
