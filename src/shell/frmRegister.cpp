#include "shell/frmRegister.h"

#include "data/LookupList.h"
#include "data/Places.h"
#include "data/Schema.h"
#include "platform/Platform.h"
#include "shell/WindowChrome.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

namespace tf {

frmRegister::frmRegister(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmRegister"));

    Frame1 = new QGroupBox(QStringLiteral("Personal Information"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *form = new QFormLayout(Frame1);
    const struct
    {
        QLabel **label;
        const char *labelName;
        const char *caption;
        QLineEdit **edit;
        const char *editName;
        const char *field;
    } rows[] = {
        {&Label1, "Label1", "Your Name:", &Text1, "Text1", "Name"},
        {&Label2, "Label2", "Address:", &Text2, "Text2", "Address"},
        {&Label3, "Label3", "City, State, ZipCode:", &Text3, "Text3", "City"},
    };
    for (const auto &r : rows) {
        *r.label = new QLabel(QString::fromLatin1(r.caption), Frame1);
        (*r.label)->setObjectName(QLatin1String(r.labelName));
        *r.edit = new QLineEdit(Frame1);
        (*r.edit)->setObjectName(QLatin1String(r.editName));
        (*r.edit)->setMinimumWidth(300);
        // No length limit: a pasted address is kept whole, as in every other field.
        (*r.edit)->setMaxLength(std::numeric_limits<int>::max());
        (*r.label)->setBuddy(*r.edit);
        form->addRow(*r.label, *r.edit);
        m_fields.bind(*r.edit, QString::fromLatin1(r.field));
    }
    // The water whose sun and moon times show where no trip is chosen.
    cboHomeWater = new QComboBox(Frame1);
    cboHomeWater->setObjectName(QStringLiteral("cboHomeWater"));
    cboHomeWater->setToolTip(QStringLiteral(" The lake or river whose sun and moon times the moon window shows "));
    form->addRow(QStringLiteral("Home water:"), cboHomeWater);

    Label4 = new QLabel(QStringLiteral("Replace the details above with your own name and address, then click OK. "
                                       "They are shown on the control panel under \"Fishing Logs of:\"."),
                        this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);

    cmdSave = new QPushButton(QStringLiteral("OK"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter on a button that has the focus presses that button; anywhere else it presses OK.
    cmdSave->setAutoDefault(true);
    cmdCancel->setAutoDefault(true);
    connect(cmdSave, &QPushButton::clicked, this, &frmRegister::save);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRegister::cancel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Label4);
    layout->addLayout(buttons);
    setOrdinaryFrame(this);
}

bool frmRegister::load()
{
    if (!Data1.open(programDatabasePath(), QStringLiteral("Register"))) {
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringLiteral("Your name and address cannot be edited now.\n%1").arg(Data1.errorText()));
        return false;
    }
    // The program only ever edits the one row the database comes with; it
    // never makes one up.
    if (!Data1.hasCurrent() || !Data1.edit()) {
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringLiteral("Your name and address cannot be edited: the database holds no row for them.\n"
                                   "Restore a backup copy with \"Exit & Backup Database\" to get it back."));
        return false;
    }
    m_fields.show();
    const PlacesRead places = readPlaces(programDatabasePath());
    cboHomeWater->clear();
    cboHomeWater->addItem(QStringLiteral("(none)"));
    cboHomeWater->addItems(readLookupList(programDatabasePath(), QStringLiteral("Lakes"), QStringLiteral("Lakes"))
                               .value_or(QStringList()));
    if (!places.homeWater.isEmpty() && cboHomeWater->findText(places.homeWater, Qt::MatchFixedString) < 0)
        cboHomeWater->addItem(places.homeWater);
    cboHomeWater->setCurrentIndex(
        places.homeWater.isEmpty() ? 0 : cboHomeWater->findText(places.homeWater, Qt::MatchFixedString));
    m_homeWater = places.homeWater;
    return true;
}

void frmRegister::save()
{
    if (Data1.editMode() == DataSource::EditMode::None) {
        close();
        return;
    }
    // No checks: an empty name, address or city is the owner's choice.
    if (!m_fields.write() || !Data1.update()) {
        // The editor stays open with what was typed, so nothing is lost.
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("Your name and address could not be saved.\n%1").arg(Data1.errorText()));
        return;
    }
    const QString home = cboHomeWater->currentIndex() > 0 ? cboHomeWater->currentText() : QString();
    if (home != m_homeWater) {
        const Status s = writeHomeWater(programDatabasePath(), home);
        if (!s)
            showMessage(this, MessageIcon::Exclamation,
                        QStringLiteral("Your home water could not be saved.\n%1").arg(s.error));
    }
    emit saved();
    close();
}

void frmRegister::cancel()
{
    Data1.cancelUpdate();
    close();
}

// A dialog's keys on a plain window: the fields and buttons pass on the Enter
// and Escape they do not use themselves.
void frmRegister::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdSave->click();
        break;
    case Qt::Key_Escape:
        cmdCancel->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void frmRegister::closeEvent(QCloseEvent *event)
{
    // Closing the window any other way is a Cancel.
    Data1.cancelUpdate();
    Data1.close();
    event->accept();
}

} // namespace tf
