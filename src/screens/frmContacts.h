#pragma once

// Fishing contacts: one row of table Contacts per buddy, guide or shop, with
// address, three telephone numbers, e-mail address and remarks. The editing
// cycle is RecordCycle's; this window adds sorting by name or state and an
// e-mail command that hands the address to the desktop's mail program.

#include <QUrl>
#include <QWidget>

class QLineEdit;

namespace tf {

class RecordCycle;
class WindowChrome;

// The mailto: address for one stored e-mail address. Every character but
// letters, digits, "-._~" and "@" is percent-encoded, so whatever the field
// holds (blanks, "?", "&", "%", quotes, line breaks, other scripts) stays one
// address and can never add a header, a body or a recipient.
QUrl mailtoUrl(const QString &address);

class frmContacts : public QWidget
{
    Q_OBJECT
public:
    explicit frmContacts(QWidget *parent = nullptr);

    bool load();
    RecordCycle *cycle() const { return m_cycle; }

private:
    void buildBars();
    void buildFields();
    void sendEmail();

    WindowChrome *m_chrome = nullptr;
    RecordCycle *m_cycle = nullptr;
    QLineEdit *Text1 = nullptr; // the name: required, and the subject of the prompts
    QLineEdit *Text9 = nullptr; // the e-mail address
};

} // namespace tf
