#include "screens/RecordCycle.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "screens/ActivationWatch.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tf {

namespace {

const char *const kLockedProperty = "tfLocked";

// Lists and date pickers have no read-only state of their own that also keeps
// the drop-down shut; this swallows what would change them while locked.
class LockFilter : public QObject
{
public:
    static LockFilter &instance()
    {
        static LockFilter filter;
        return filter;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->property(kLockedProperty).toBool())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            return key != Qt::Key_Tab && key != Qt::Key_Backtab;
        }
        default:
            return false;
        }
    }
};

bool isTextBox(const QWidget *w)
{
    if (qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w))
        return true;
    if (!qobject_cast<const QLineEdit *>(w))
        return false;
    // The line edits inside lists, date pickers and grid cells belong to those.
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p) ||
            qobject_cast<const QAbstractItemView *>(p))
            return false;
    return true;
}

} // namespace

RecordCycle::RecordCycle(DataSource *source, ScreenParams params, CycleHooks hooks)
    : QObject(params.window), m_source(source), m_params(std::move(params)), m_hooks(std::move(hooks)),
      m_binding(source)
{
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

    if (p.window) {
        p.window->installEventFilter(this);
        connect(&ActivationWatch::instance(), &ActivationWatch::activated, this, [this](QWidget *window) {
            if (window == m_params.window)
                activate();
        });
    }
}

void RecordCycle::bind(QWidget *widget, const QString &field)
{
    m_binding.bind(widget, field);
    m_bound.append({widget, field});
}

bool RecordCycle::open()
{
    if (!m_source->open(programFile(kDatabaseFileName), m_params.recordSource))
        return false;
    setEditingLayout(false);
    syncGrid(m_source->currentRow());
    showCurrent();
    return true;
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
    return true;
}

void RecordCycle::cancel()
{
    if (state() == CycleState::Browse)
        return;
    setEditingLayout(false);
    m_source->cancelUpdate();
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
    if (!m_source->deleteCurrent()) {
        warn(m_source->errorText());
        return;
    }
    switch (m_hooks.afterDelete) {
    case AfterDelete::RequeryThenFirst:
        m_source->requery();
        recount();
        m_source->moveFirst();
        if (m_source->bof())
            m_source->moveNext();
        break;
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
    if (m_hooks.activated)
        m_hooks.activated();
    else
        recount();
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
        if (isTextBox(w) || (m_params.lockLists && qobject_cast<QComboBox *>(w)))
            targets << w;
    }
    return targets;
}

void RecordCycle::setFieldsLocked(bool locked)
{
    for (QWidget *w : lockTargets())
        setLocked(w, locked);
}

void RecordCycle::setLocked(QWidget *field, bool locked)
{
    if (!field)
        return;
    field->setProperty(kLockedProperty, locked);
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->setReadOnly(locked);
    } else if (auto *text = qobject_cast<QTextEdit *>(field)) {
        text->setReadOnly(locked);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->setReadOnly(locked);
    } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(field)) {
        spin->setReadOnly(locked);
        field->removeEventFilter(&LockFilter::instance());
        field->installEventFilter(&LockFilter::instance());
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        if (combo->lineEdit())
            combo->lineEdit()->setReadOnly(locked);
        field->removeEventFilter(&LockFilter::instance());
        field->installEventFilter(&LockFilter::instance());
    }
}

bool RecordCycle::isLocked(const QWidget *field)
{
    return field && field->property(kLockedProperty).toBool();
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
    return true;
}

bool RecordCycle::startEdit()
{
    return m_source->edit();
}

bool RecordCycle::writePending()
{
    // A date picker can show no empty date; it shows its earliest date instead.
    // Left there, it keeps what the row held rather than writing that date.
    QList<QPair<QString, QVariant>> keep;
    for (const auto &[widget, field] : m_bound) {
        auto *date = qobject_cast<QDateEdit *>(widget.data());
        if (date && date->date() == date->minimumDate())
            keep.append({field, m_source->value(field)});
    }
    m_binding.write();
    for (const auto &[field, value] : keep)
        m_source->setValue(field, value);

    if (m_source->update())
        return true;
    const QString what = m_params.recordNoun.isEmpty() ? QStringLiteral("record") : m_params.recordNoun;
    warn(QStringList{QStringLiteral("This %1 could not be saved:").arg(what), m_source->errorText(),
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
    return showMessage(m_params.window, MessageIcon::Question,
                       QStringLiteral("Are you sure you want to delete ") + subject, m_params.deleteTitle,
                       MessageButtons::YesNo) == MessageAnswer::Yes;
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

bool RecordCycle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_params.window)
        return false;
    if (event->type() == QEvent::Show && !m_shownOnce) {
        // Shown for the first time: the caption counts even if the window
        // comes up behind another one.
        m_shownOnce = true;
        recount();
    } else if (event->type() == QEvent::Close) {
        // A pending row of the form is never half-kept. (A cell still being
        // typed into in the grid is written as the editor loses the focus.)
        discardPending();
    }
    return false;
}

} // namespace tf
