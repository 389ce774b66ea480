#pragma once

// The editing cycle every record screen shares: a grid of the table's rows,
// fields that show the current row, New, Edit, Save, Cancel, Delete and Print,
// and the three states browse, adding and editing. A screen owns one
// RecordCycle per table it keeps, fills in a ScreenParams record with its
// controls and texts, declares its fields (ScreenKit.h binds them), and
// connects nothing else: the cycle owns its data source, wires the buttons,
// fills the lookup lists at open, keeps the grid and the data source in step,
// switches the layout, recounts when the window becomes the program's active
// window, says once when its database cannot be used, and asks before closing
// the window throws away a pending row that holds typing. While a row is
// pending, Ctrl+S saves it and Escape cancels it (asking first the same way).
//
// What a screen adds to the cycle goes through CycleHooks; a command the cycle
// does not know (sort, e-mail, picture) is the screen's own button and handler.

#include "data/DataSource.h"
#include "data/FieldBinding.h"
#include "data/GridModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QAbstractButton;
class QAbstractItemView;
class QComboBox;
class QLabel;
class QShortcut;
class QWidget;

namespace tf {

enum class CycleState { Browse, Adding, Editing };

// How fields refuse typing in browse state.
enum class ReadOnlyMeans {
    PanelSwap,      // a panel of labels in browse state, a panel of input fields while adding or editing
    LockTextBoxes,  // every text box of the window locked (and every list, with lockLists)
    LockNamedFields // the fields listed in lockedFields locked
};

// What Delete does once the row is gone.
enum class AfterDelete {
    RequeryThenFirst,    // requery, recount, first row (one on if that leaves it before the first)
    FirstWithoutRequery, // recount, first row (one on if before the first)
    NextElsePrevious     // recount, the next row, or back one past the end
};

struct ScreenParams
{
    QWidget *window = nullptr;
    QString recordSource; // table name or SQL text opened at load
    QString title;        // what the data is called in messages: "The fishing log"

    // Save refuses an empty required field (as displayed; blanks count as filled).
    QWidget *requiredField = nullptr; // none: nothing is required
    QString requiredMessage;

    QWidget *focusOnNew = nullptr;
    std::function<void()> defaultsOfNew; // puts the new row's defaults into the fields
    QWidget *focusOnEdit = nullptr;
    QWidget *focusAfterSave = nullptr; // back in browse state after Save or Cancel, ready for the next change

    // Count caption: the row count as a plain integer, then countText.
    QLabel *countLabel = nullptr; // none: no count caption
    QString countText;

    QString recordNoun; // "Log": "This Log can not be deleted."
    // What follows "Are you sure you want to delete ", closing mark included.
    std::function<QString()> deleteSubject;
    QString deleteTitle = QStringLiteral("Delete Information");
    QString reportFile; // "log.rpt", in the program folder

    // Commands; a null one is a command the screen lacks or runs itself.
    QAbstractButton *newButton = nullptr;
    QAbstractButton *editButton = nullptr;
    QAbstractButton *deleteButton = nullptr;
    QAbstractButton *printButton = nullptr;
    QAbstractButton *saveButton = nullptr;
    QAbstractButton *cancelButton = nullptr;
    QWidget *menuBar = nullptr; // shown in browse state only
    QWidget *saveBar = nullptr; // shown while adding or editing only
    QWidget *exitButton = nullptr;
    QWidget *minimizeButton = nullptr;
    // Takes New, Edit, Delete and Print (cmdNew, ...) from a menu bar and Save
    // and Cancel (cmdSave, cmdCancel) from a save bar, by their names, each
    // ended by `suffix` in a window with several lists (cmdNewrod).
    void useBars(QWidget *menu, QWidget *save, const char *suffix = "");
    // Bars and buttons besides the grid, Exit and Minimize that are off while adding or editing.
    QList<QWidget *> offWhileEditing;

    QAbstractItemView *grid = nullptr;
    QList<GridColumn> gridColumns;
    bool gridAcceptsTyping = false; // typing into a cell in browse state writes that row

    ReadOnlyMeans readOnly = ReadOnlyMeans::PanelSwap;
    QWidget *readOnlyPanel = nullptr; // PanelSwap
    QWidget *editPanel = nullptr;     // PanelSwap
    bool lockLists = false;           // LockTextBoxes: lists too
    QList<QWidget *> lockedFields;    // LockNamedFields
    QLabel *editModeLabel = nullptr;  // " Edit Mode ", shown only while adding or editing
};

struct CycleHooks
{
    // After the required-field check at Save; false keeps the row pending (it has said why).
    std::function<bool()> checkBeforeSave;
    // Extra elements switched with the layout.
    std::function<void(bool editing)> layoutChanged;
    // The fields have just shown another row.
    std::function<void()> rowShown;
    // Shows the count another way than countLabel (a window title, a colour).
    std::function<void(int count)> showCount;
    // Replaces the recount when the window becomes active.
    std::function<void()> activated;
    // Instead of recounting, coming back to the window reads the rows again,
    // keeping the row shown, for screens whose rows another window changes; the
    // first activation is the window coming up with what it has just read.
    bool rereadWhenActivated = false;
    AfterDelete afterDelete = AfterDelete::RequeryThenFirst;
};

class RecordCycle : public QObject
{
    Q_OBJECT
public:
    explicit RecordCycle(ScreenParams params, CycleHooks hooks = {});
    ~RecordCycle() override;

    // Binds a field (input widget or read-only label) to a column.
    void bind(QWidget *widget, const QString &field);
    // A list whose items are one column of a table, read when the cycle opens.
    void addLookup(QComboBox *list, const QString &table, const QString &column);
    // Opens the data source on the program's database with the record source,
    // fills the lookup lists and shows the first row in browse state. When the
    // data cannot be used the window says so once it is on screen, keeps only
    // what still works, and stays closable; false then.
    bool open();
    QString errorText() const { return m_source->errorText(); }
    // What is wrong with the data; empty when all is well.
    QString problem() const { return m_problem; }

    CycleState state() const;
    // Adding or editing with something typed: what Exit & Backup must ask about.
    bool hasTypedPendingRow() const;
    // "Discard the Membership you are typing?"
    QString discardQuestion() const;
    DataSource *source() const { return m_source.get(); }
    const FieldBinding &binding() const { return m_binding; }
    const CycleHooks &hooks() const { return m_hooks; }
    const ScreenParams &params() const { return m_params; }
    // The fields a screen declares after its cycle exists (required field,
    // focus fields, panels, the defaults of New) are filled in here before open().
    ScreenParams &configure() { return m_params; }

    // The commands.
    void newRecord();
    void editRecord();
    bool save();
    void cancel();
    // Escape: cancels a pending row, asking first when it holds typing.
    void cancelAsking();
    void deleteRecord();
    void print();
    void activate();
    // A sort button: another record source, requeried at once (first row current).
    bool sortBy(const QString &recordSource);
    // Shows the count of rows in the file now (countLabel or showCount).
    void recount();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setEditingLayout(bool editing);
    void setFieldsLocked(bool locked);
    void showCurrent();
    bool requiredFieldFilled(); // warns and focuses the field when it is empty
    bool startNew();            // add-new, defaults of New
    bool startEdit();
    bool writePending(); // fields into the pending row, then update; warns on failure
    void moveToLastModified();
    void discardPending();
    // Reads the rows again, keeping the row shown while it exists; nothing while
    // adding or editing, and a file another program holds keeps the rows there are.
    void reread();
    int rowCount() const; // the rows of the record source in the file now
    bool refuseLastRow(); // true (after the refusal) when only one row is left
    bool confirmDelete();
    bool mayDiscardTyping();
    void saveByKey(); // asks when the pending row holds typing; true when it may go
    void makeShortcuts();
    void warn(const QString &text);
    void focus(QWidget *w);
    void syncGrid(int row);
    QList<QWidget *> lockTargets() const;
    void reportProblem(const QString &text);
    QStringList missingColumns() const;
    // A grid that takes typing takes only days in its date columns.
    void acceptTypedDates();
    bool isBarButton(QObject *watched) const;
    void takeSnapshot();

    struct Lookup
    {
        QPointer<QComboBox> list;
        QString table;
        QString column;
    };

    // The data source goes last: the grid model and the binding watch it.
    std::unique_ptr<DataSource> m_source;
    ScreenParams m_params;
    CycleHooks m_hooks;
    FieldBinding m_binding;
    QList<Lookup> m_lookups;
    GridModel *m_model = nullptr;
    QPointer<QAbstractItemView> m_grid; // a window deletes its grid before the cycle
    QString m_problem;
    QList<QShortcut *> m_shortcuts; // on only while a row is pending
    QStringList m_snapshot;         // what the fields held when the pending row was started
    // A second click of a double click must not land on the bar that took the first one's place.
    quint64 m_lastRelease = 0;
    bool m_swappedSinceRelease = false;
    bool m_swallowRelease = false;
    bool m_syncing = false;
    bool m_shownOnce = false;
    bool m_activatedBefore = false;
};

} // namespace tf
