#pragma once

// The fixture of a test of windows: every test function starts over a fresh
// program folder holding a new, empty diary file, with a driver on the fake
// platform, and ends with every window closed. A test adds set-up of its own
// in prepare(), run once the file is made.

#include "ScreenDriver.h"
#include "TestFolder.h"

#include <memory>

class QAbstractItemView;
class QComboBox;

namespace tf::test {

// A table of the texts controls show: name, text, tool tip (nullptr: not
// checked). checkText(window) checks the current row's control in window.
void textTable(std::initializer_list<std::array<const char *, 3>> rows);
void checkText(const QWidget *window);

class ScreenTest : public QObject
{
    Q_OBJECT
protected:
    virtual void prepare() {}
    virtual void finish() {} // once the windows are closed

    FakePlatform &fake() const { return m_scope->fake(); }
    ScreenDriver &ui() const { return *m_driver; }
    QString folder() const { return m_scope->folder(); }
    QString db() const { return m_db; }
    QString file(const QString &name) const { return m_scope->file(name); }

    // Opens the window of class W as the user would; it is then the driver's window.
    template <class W> W *open() { return ui().open<W>(); }
    // Closes the driver's window and opens the same one again.
    template <class W> W *reopen()
    {
        ui().close();
        return open<W>();
    }
    template <class T = QWidget> T *get(const QString &name) const { return ui().get<T>(name); }
    // Clicks the control (visible and enabled); false when it could not.
    bool click(const QString &name) const { return ui().click(name); }
    // Makes row the current row of the grid called name.
    bool chooseRow(const QString &name, int row) const;

    // The diary file, as another program would see it.
    bool sql(const QString &statement) const { return execSql(m_db, statement); }
    QVariant value(const QString &query) const { return querySingle(m_db, query); }
    int rows(const QString &table) const;

    const QList<RecordedMessage> &messages() const { return fake().messages; }
    QString lastMessage() const { return fake().lastMessageText(); }

    static void textTable(std::initializer_list<std::array<const char *, 3>> rows) { tf::test::textTable(rows); }
    void checkText() const { tf::test::checkText(ui().window()); }

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<FakePlatformScope> m_scope;
    std::unique_ptr<ScreenDriver> m_driver;
    QString m_db;
};

// What a control shows: a button's or label's text, a frame's title, a
// field's text, a list's current text, a window's title.
QString shownText(const QWidget *w);
// The items of a list, in order.
QStringList itemsOf(const QComboBox *list);
// The texts of one column of a grid, top to bottom.
QStringList gridColumn(const QAbstractItemView *grid, int column);
// The column headings of a grid.
QStringList gridHeadings(const QAbstractItemView *grid);
// Whether w or one of its children has the keyboard focus.
bool focusWithin(const QWidget *w);
// Makes a window active, as a click on it would, and waits until it is.
bool activate(QWidget *w);

} // namespace tf::test
