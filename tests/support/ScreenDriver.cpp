#include "ScreenDriver.h"

#include "shell/WindowRegistry.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

namespace tf::test {

ScreenDriver::~ScreenDriver()
{
    WindowRegistry::closeAll();
    releaseClosed();
}

QWidget *ScreenDriver::open(const QString &windowName)
{
    m_window = WindowRegistry::open(windowName);
    if (m_window) {
        m_window->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(m_window);
        // Messages a window defers until it is on screen come up now.
        QCoreApplication::processEvents();
    }
    return m_window;
}

bool ScreenDriver::click(const QString &name) const
{
    return click(get<QWidget>(name));
}

bool ScreenDriver::click(QWidget *control) const
{
    if (!control || !control->isVisible() || !control->isEnabled())
        return false;
    QTest::mouseClick(control, Qt::LeftButton);
    return true;
}

void ScreenDriver::paste(QWidget *field, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->selectAll();
        line->insert(text);
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        combo->lineEdit()->selectAll();
        combo->lineEdit()->insert(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->selectAll();
        plain->insertPlainText(text);
    } else if (auto *rich = qobject_cast<QTextEdit *>(field)) {
        rich->selectAll();
        rich->insertPlainText(text);
    }
}

bool ScreenDriver::chooseRow(QAbstractItemView *grid, int row)
{
    if (!grid || !grid->model() || row >= grid->model()->rowCount())
        return false;
    const QModelIndex index = grid->model()->index(row, 0);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    return grid->currentIndex().row() == row;
}

void ScreenDriver::close()
{
    if (m_window)
        m_window->close();
    releaseClosed();
}

void ScreenDriver::releaseClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tf::test
