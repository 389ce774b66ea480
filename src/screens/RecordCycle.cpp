#include "screens/RecordCycle.h"

#include "data/LookupList.h"
#include "data/Schema.h"
#include "platform/Platform.h"
#include "screens/ActivationWatch.h"
#include "screens/FieldLock.h"
#include "screens/ScreenKit.h"
#include "shell/DatabaseNotice.h"
#include "shell/PendingRows.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyleHints>
#include <utility>

namespace tf {

namespace {
const char *const kBarButtonProperty = "tfCycleBarButton";
} // namespace

void ScreenParams::useBars(QWidget *menu, QWidget *save, const char *suffix)
{
    const auto button = [suffix](QWidget *bar, const char *name) {
        return bar ? bar->findChild<QAbstractButton *>(QLatin1String(name) + QLatin1String(suffix)) : nullptr;
    };
    menuBar = menu;
    saveBar = save;
    newButton = button(menu, "cmdNew");
    editButton = button(menu, "cmdEdit");
    deleteButton = button(menu, "cmdDelete");
    printButton = button(menu, "cmdPrint");
    saveButton = button(save, "cmdSave");
    cancelButton = button(save, "cmdCancel");
}

RecordCycle::RecordCycle(ScreenParams params, CycleHooks hooks)
    : QObject(params.window), m_source(std::make_unique<DataSource>()), m_params(std::move(params)),
      m_hooks(std::move(hooks)), m_binding(m_source.get())
{
    DataSource *source = m_source.get();
    const ScreenParams &p = m_params;
    if (p.newButton)
        connect(p.newButton, &QAbstractButton::clicked, this, &RecordCycle::newRecord);
    if (p.editButton)
        connect(p.editButton, &QAbstractButton::clicked, this, &RecordCycle::editRecord);
    if (p.saveButton)
        connect(p.saveButton, &QAbstractButton::clicked, this, &RecordCycle::save);
    if (p.cancelButton)
        connect(p.cancelButton, &QAbstractButton::clicked, this, &RecordCycle::cancel);
    if (p.deleteButton)
        connect(p.deleteButton, &QAbstractButton::clicked, this, &RecordCycle::deleteRecord);
    if (p.printButton)
        connect(p.printButton, &QAbstractButton::clicked, this, &RecordCycle::print);

    if (p.grid) {
        m_grid = p.grid;
        m_model = new GridModel(source, p.gridColumns, this);
        m_model->setEditable(p.gridAcceptsTyping);
        p.grid->setModel(m_model);
        p.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        p.grid->setSelectionMode(QAbstractItemView::SingleSelection);
        p.grid->setEditTriggers(p.gridAcceptsTyping
                                    ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                          QAbstractItemView::AnyKeyPressed
                                    : QAbstractItemView::NoEditTriggers);
        // Choosing a row in the grid makes it the current row.
        connect(p.grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current) {
                    if (!m_syncing && current.isValid() && current.row() != m_source->currentRow())
                        m_source->moveTo(current.row());
                });
    }

    connect(source, &DataSource::currentChanged, this, [this](int row) {
        syncGrid(row);
        showCurrent();
    });
    connect(source, &DataSource::rowsReset, this, [this] { showCurrent(); });
    connect(source, &DataSource::editModeChanged, this, [this] { showCurrent(); });
    // A row that cannot be read is never shown as empty values without a word;
    // the caption counts the rows that are left to show.
    connect(source, &DataSource::readFailed, this, [this](const QString &error) {
        recount();
        reportProblem(databaseProblemText(m_source->databasePath(), error));
    });

    for (QWidget *bar : {p.menuBar, p.saveBar})
        if (bar)
            for (QAbstractButton *b : bar->findChildren<QAbstractButton *>()) {
                b->setProperty(kBarButtonProperty, true);
                b->installEventFilter(this);
            }

    // Exit & Backup closes every window: it asks first when this one holds typing.
    PendingRows::add(this, [this]() -> QString {
        if (!hasTypedPendingRow())
            return {};
        const QString caption = windowCaption(windowName(m_params.window));
        return caption.isEmpty() ? m_params.window->windowTitle() : caption;
    });

    if (p.window) {
        p.window->installEventFilter(this);
        makeShortcuts();
        connect(&ActivationWatch::instance(), &ActivationWatch::activated, this, [this](QWidget *window) {
            if (window == m_params.window)
                activate();
        });
    }
}

RecordCycle::~RecordCycle()
{
    // The grid may outlive this cycle by a moment; it must not read a model whose source is gone.
    if (m_grid && m_model && m_grid->model() == m_model)
        m_grid->setModel(nullptr);
    delete m_model;
}

void RecordCycle::bind(QWidget *widget, const QString &field)
{
    m_binding.bind(widget, field);
}

void RecordCycle::addLookup(QComboBox *list, const QString &table, const QString &column)
{
    m_lookups.append({list, table, column});
}

bool RecordCycle::open()
{
    const QString what = m_params.title.isEmpty() ? QStringLiteral("The list") : m_params.title;
    if (!m_source->open(programDatabasePath(), m_params.recordSource)) {
        // Nothing here works without the rows; the window can still be closed.
        for (QWidget *w : m_params.offWhileEditing)
            w->setEnabled(false);
        for (QWidget *w : {m_params.menuBar, static_cast<QWidget *>(m_params.grid)})
            if (w)
                w->setEnabled(false);
        reportProblem(cannotOpenText(what, m_source->errorText()));
        return false;
    }
    QStringList problems;
    // A file whose table lacks a column this window shows would lose what is typed into it.
    if (const QStringList missing = missingColumns(); !missing.isEmpty())
        problems << QStringLiteral("The table %1 of the database lacks the column(s) %2; what is typed there "
                                   "cannot be saved.")
                        .arg(m_source->tableName(), missing.join(QStringLiteral(", ")));
    for (const Lookup &l : std::as_const(m_lookups)) {
        QString error;
        const auto items = readLookupList(programDatabasePath(), l.table, l.column, &error);
        if (!items) {
            problems << QStringLiteral("The list of %1 cannot be read: %2").arg(l.table, error);
            continue;
        }
        if (!l.list)
            continue;
        // Filling a list must not change the text the row shows in it.
        const QString shown = l.list->currentText();
        l.list->addItems(*items);
        l.list->setEditText(shown);
    }
    acceptTypedDates();
    setEditingLayout(false);
    syncGrid(m_source->currentRow());
    showCurrent();
    if (!problems.isEmpty()) {
        problems.prepend(QStringLiteral("Part of %1 cannot be read:").arg(what.toLower()));
        reportProblem(problems.join(QLatin1Char('\n')));
    }
    return problems.isEmpty();
}

void RecordCycle::acceptTypedDates()
{
    const TableDef *table = findTable(m_source->tableName());
    if (!m_grid || !m_params.gridAcceptsTyping || !table)
        return;
    const QString keeper = m_params.title.isEmpty() ? QStringLiteral("the list") : m_params.title.toLower();
    for (int i = 0; i < m_params.gridColumns.size(); ++i)
        if (table->dateColumns.contains(m_params.gridColumns[i].field, Qt::CaseInsensitive))
            kit::acceptTypedDates(m_grid, i, keeper);
}

QStringList RecordCycle::missingColumns() const
{
    QStringList missing;
    const QStringList fields = m_source->fieldNames();
    for (QWidget *w : m_binding.widgets()) {
        const QString column = m_binding.fieldOf(w);
        if (!fields.contains(column, Qt::CaseInsensitive) && !missing.contains(column))
            missing << column;
    }
    return missing;
}

void RecordCycle::reportProblem(const QString &text)
{
    m_problem = text;
    reportWhenShown(m_params.window, text);
}

void RecordCycle::makeShortcuts()
{
    // Off while browsing, so the several lists of one window never claim the same keys at once.
    const auto add = [this](const QKeySequence &keys, void (RecordCycle::*command)()) {
        auto *shortcut = new QShortcut(keys, m_params.window);
        shortcut->setEnabled(false);
        connect(shortcut, &QShortcut::activated, this, command);
        m_shortcuts << shortcut;
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_S), &RecordCycle::saveByKey);
    add(QKeySequence(Qt::Key_Escape), &RecordCycle::cancelAsking);
}

QString RecordCycle::discardQuestion() const
{
    const QString what = m_params.recordNoun.isEmpty() ? QStringLiteral("record") : m_params.recordNoun;
    return QStringLiteral("Discard the %1 you are typing?").arg(what);
}

bool RecordCycle::mayDiscardTyping()
{
    return !hasTypedPendingRow() || askBeforeLoss(m_params.window, discardQuestion());
}

bool RecordCycle::hasTypedPendingRow() const
{
    if (state() == CycleState::Browse)
        return false;
    // Compared with what the fields held when the row was started (defaults of New included).
    const QList<QWidget *> widgets = m_binding.widgets();
    for (int i = 0; i < widgets.size(); ++i)
        if (i >= m_snapshot.size() || FieldBinding::widgetValue(widgets[i]).toString() != m_snapshot[i])
            return true;
    return false;
}

CycleState RecordCycle::state() const
{
    switch (m_source->editMode()) {
    case DataSource::EditMode::Adding:
        return CycleState::Adding;
    case DataSource::EditMode::Editing:
        return CycleState::Editing;
    default:
        return CycleState::Browse;
    }
}

// ---- commands --------------------------------------------------------------

void RecordCycle::newRecord()
{
    if (state() != CycleState::Browse || !m_source->isOpen())
        return;
    setEditingLayout(true);
    if (!startNew()) {
        setEditingLayout(false);
        warn(m_source->errorText());
        return;
    }
    focus(m_params.focusOnNew);
}

void RecordCycle::editRecord()
{
    if (state() != CycleState::Browse || !m_source->isOpen())
        return;
    if (!m_source->hasCurrent()) {
        warn(QStringLiteral("There is no %1 to edit.").arg(m_params.recordNoun));
        return;
    }
    setEditingLayout(true);
    focus(m_params.focusOnEdit);
    if (!startEdit()) {
        setEditingLayout(false);
        warn(m_source->errorText());
    }
}

bool RecordCycle::save()
{
    if (state() == CycleState::Browse)
        return false;
    if (!requiredFieldFilled())
        return false;
    if (m_hooks.checkBeforeSave && !m_hooks.checkBeforeSave())
        return false;
    // The row is written before the layout goes back to browsing: a write that
    // fails leaves the user in the form with every entry still there.
    if (!writePending())
        return false;
    setEditingLayout(false);
    moveToLastModified();
    recount();
    focus(m_params.focusAfterSave);
    return true;
}

void RecordCycle::cancel()
{
    if (state() == CycleState::Browse)
        return;
    discardPending();
    focus(m_params.focusAfterSave);
}

void RecordCycle::saveByKey()
{
    // As a click on Save, so whatever else the screen does on Save happens too.
    if (m_params.saveButton)
        m_params.saveButton->click();
    else
        save();
}

void RecordCycle::cancelAsking()
{
    if (state() == CycleState::Browse || !mayDiscardTyping())
        return;
    if (m_params.cancelButton)
        m_params.cancelButton->click();
    else
        cancel();
}

void RecordCycle::deleteRecord()
{
    if (state() != CycleState::Browse || !m_source->isOpen())
        return;
    if (refuseLastRow())
        return;
    if (!m_source->hasCurrent()) {
        warn(QStringLiteral("There is no %1 to delete.").arg(m_params.recordNoun));
        return;
    }
    if (!confirmDelete())
        return;
    // The grid moves its own current row off the row being removed; the data
    // source must not follow it, or the row chosen below is one too far.
    m_syncing = true;
    const bool deleted = m_source->deleteCurrent();
    m_syncing = false;
    if (!deleted) {
        warn(m_source->errorText());
        return;
    }
    switch (m_hooks.afterDelete) {
    case AfterDelete::RequeryThenFirst:
        m_source->requery();
        [[fallthrough]];
    case AfterDelete::FirstWithoutRequery:
        recount();
        m_source->moveFirst();
        if (m_source->bof())
            m_source->moveNext();
        break;
    case AfterDelete::NextElsePrevious:
        recount();
        m_source->moveNext();
        if (m_source->eof())
            m_source->movePrevious();
        break;
    }
}

void RecordCycle::print()
{
    if (state() != CycleState::Browse || m_params.reportFile.isEmpty())
        return;
    platform().printReport(m_params.reportFile, m_params.window);
}

void RecordCycle::activate()
{
    const bool first = !std::exchange(m_activatedBefore, true);
    if (m_hooks.activated)
        m_hooks.activated();
    else if (!m_hooks.rereadWhenActivated)
        recount();
    else if (!first)
        reread();
}

void RecordCycle::reread()
{
    if (state() != CycleState::Browse || !m_source->isOpen())
        return;
    const auto shown = m_source->bookmark();
    if (m_source->requery() && shown)
        m_source->setBookmark(*shown);
}

bool RecordCycle::sortBy(const QString &recordSource)
{
    if (state() != CycleState::Browse || !m_source->isOpen())
        return false;
    if (!m_source->setRecordSource(recordSource) || !m_source->requery()) {
        warn(m_source->errorText());
        return false;
    }
    return true;
}

// ---- steps -------------------------------------------------------------------

void RecordCycle::setEditingLayout(bool editing)
{
    const ScreenParams &p = m_params;
    m_swappedSinceRelease = true;
    if (p.readOnly == ReadOnlyMeans::PanelSwap) {
        if (p.readOnlyPanel)
            p.readOnlyPanel->setVisible(!editing);
        if (p.editPanel)
            p.editPanel->setVisible(editing);
    } else {
        setFieldsLocked(!editing);
    }
    if (p.editModeLabel)
        p.editModeLabel->setVisible(editing);
    if (p.menuBar)
        p.menuBar->setVisible(!editing);
    if (p.saveBar)
        p.saveBar->setVisible(editing);
    for (QWidget *w : p.offWhileEditing)
        w->setEnabled(!editing);
    for (QWidget *w : {p.minimizeButton, p.exitButton, static_cast<QWidget *>(p.grid)})
        if (w)
            w->setEnabled(!editing);
    for (QShortcut *shortcut : std::as_const(m_shortcuts))
        shortcut->setEnabled(editing);
    if (m_hooks.layoutChanged)
        m_hooks.layoutChanged(editing);
}

QList<QWidget *> RecordCycle::lockTargets() const
{
    if (m_params.readOnly == ReadOnlyMeans::LockNamedFields)
        return m_params.lockedFields;
    QList<QWidget *> targets;
    if (m_params.readOnly != ReadOnlyMeans::LockTextBoxes || !m_params.window)
        return targets;
    for (QWidget *w : m_params.window->findChildren<QWidget *>()) {
        if (FieldLock::isTextBox(w) || (m_params.lockLists && qobject_cast<QComboBox *>(w)))
            targets << w;
    }
    return targets;
}

void RecordCycle::setFieldsLocked(bool locked)
{
    for (QWidget *w : lockTargets())
        FieldLock::setLocked(w, locked);
}

void RecordCycle::showCurrent()
{
    m_binding.show();
    if (m_hooks.rowShown)
        m_hooks.rowShown();
}

bool RecordCycle::requiredFieldFilled()
{
    QWidget *field = m_params.requiredField;
    if (!field || !FieldBinding::widgetValue(field).toString().isEmpty())
        return true;
    warn(m_params.requiredMessage);
    focus(field);
    return false;
}

bool RecordCycle::startNew()
{
    if (!m_source->addNew())
        return false;
    if (m_params.defaultsOfNew)
        m_params.defaultsOfNew();
    takeSnapshot();
    return true;
}

bool RecordCycle::startEdit()
{
    if (!m_source->edit())
        return false;
    takeSnapshot();
    return true;
}

void RecordCycle::takeSnapshot()
{
    m_snapshot.clear();
    for (QWidget *w : m_binding.widgets())
        m_snapshot << FieldBinding::widgetValue(w).toString();
}

bool RecordCycle::writePending()
{
    if (m_binding.write() && m_source->update())
        return true;
    const QString failure = m_source->errorText();
    const QString what = m_params.recordNoun.isEmpty() ? QStringLiteral("record") : m_params.recordNoun;
    warn(QStringList{QStringLiteral("This %1 could not be saved:").arg(what), failure,
                     QStringLiteral("Your entries are still here. Click Save to try again, or Cancel.")}
             .join(QLatin1Char('\n')));
    return false;
}

void RecordCycle::moveToLastModified()
{
    if (const auto b = m_source->lastModified())
        m_source->setBookmark(*b);
}

void RecordCycle::discardPending()
{
    if (state() == CycleState::Browse)
        return;
    setEditingLayout(false);
    m_source->cancelUpdate();
}

int RecordCycle::rowCount() const
{
    // Counted in the file, not in this window's keyset: another window may have
    // added or deleted rows since the last requery, and the caption (and the
    // refusal to delete the last row) must reflect the table as it is.
    return m_source->tableRowCount();
}

void RecordCycle::recount()
{
    if (!m_source->isOpen() || (!m_hooks.showCount && !m_params.countLabel))
        return;
    const int n = rowCount();
    if (m_hooks.showCount)
        m_hooks.showCount(n);
    else
        m_params.countLabel->setText(QString::number(n) + m_params.countText);
}

bool RecordCycle::refuseLastRow()
{
    if (rowCount() != 1)
        return false;
    const QString &noun = m_params.recordNoun;
    warn(QStringList{QStringLiteral("This %1 can not be deleted.").arg(noun),
                     QStringLiteral("You can edit this %1.").arg(noun),
                     QStringLiteral("At least one record has to be present at all times.")}
             .join(QLatin1Char('\n')));
    return true;
}

bool RecordCycle::confirmDelete()
{
    const QString subject = m_params.deleteSubject ? m_params.deleteSubject() : QString();
    return askBeforeLoss(m_params.window, QStringLiteral("Are you sure you want to delete ") + subject,
                         m_params.deleteTitle);
}

// ---- helpers -------------------------------------------------------------------

void RecordCycle::warn(const QString &text)
{
    showMessage(m_params.window, MessageIcon::Exclamation, text);
}

void RecordCycle::focus(QWidget *w)
{
    if (w)
        w->setFocus(Qt::OtherFocusReason);
}

void RecordCycle::syncGrid(int row)
{
    QAbstractItemView *grid = m_params.grid;
    if (!grid || !m_model)
        return;
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, qMax(0, grid->currentIndex().column()));
        grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid->scrollTo(index);
    } else {
        grid->selectionModel()->clearSelection();
    }
    m_syncing = false;
}

bool RecordCycle::isBarButton(QObject *watched) const
{
    // Marked when the filter was installed: the bars may already be gone while
    // their buttons are being destroyed, so no pointer to a bar is followed here.
    return watched->property(kBarButtonProperty).toBool();
}

bool RecordCycle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_params.window) {
        // The save bar and the menu bar share one place: the second click of a
        // double click on Save (or New) would land on the bar that has just
        // taken its place (a new row right after saving one). Event times,
        // not the clock, tell a double click from two clicks.
        if (!isBarButton(watched))
            return false;
        const auto *mouse = dynamic_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (m_swallowRelease) {
                m_swallowRelease = false;
                return true;
            }
            m_lastRelease = mouse->timestamp();
            m_swappedSinceRelease = false;
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (m_swappedSinceRelease &&
                mouse->timestamp() - m_lastRelease <= quint64(QApplication::styleHints()->mouseDoubleClickInterval())) {
                m_swallowRelease = true;
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::Show && !m_shownOnce) {
        // Shown for the first time: the caption counts even if the window
        // comes up behind another one.
        m_shownOnce = true;
        recount();
    } else if (event->type() == QEvent::Close) {
        // Typing goes only when the user says so; Exit & Backup has asked already.
        // A pending row of the form is never half-kept. (A cell still being
        // typed into in the grid is written as the editor loses the focus.)
        if (!WindowRegistry::closingAll() && !mayDiscardTyping()) {
            event->ignore();
            return true;
        }
        discardPending();
    }
    return false;
}

} // namespace tf
