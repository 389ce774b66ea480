// The owner's details editor on its own, and the About, Check for Update and
// Picture Credit windows.

#include "ScreenTest.h"
#include "TestMain.h"
#include "shell/QtPlatform.h"
#include "shell/WindowRegistry.h"
#include "shell/frmAbout.h"
#include "shell/frmCredit.h"
#include "shell/frmRegister.h"
#include "shell/frmUpdate.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace tf;
using namespace tf::test;

namespace {
QString labelText(QWidget *w, const char *name)
{
    auto *l = w->findChild<QLabel *>(name);
    return l ? l->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}
} // namespace

class TestShellWindows : public ScreenTest
{
    Q_OBJECT
private slots:
    void registerTexts_data();
    void registerTexts();
    void registerKeepsItsSize();
    void registerClosedByWindowIsCancel();
    void registerSaveFailureKeepsTheEditor();
    void registerKeys_data();
    void registerKeys();
    void registerKeepsLongText();
    void messagesShowUserDataAsPlainText();
    void about();
    void update();
    void updateBrowserFails();
    void credit();

private:
    void prepare() override
    {
        QVERIFY(sql("UPDATE Register SET Name = 'Cy Caster', Address = '3 Reed Way', City = 'Bass Hollow'"));
    }
};

void TestShellWindows::registerTexts_data()
{
    textTable({
        {"Frame1", "Personal Information", nullptr},
        {"Label1", "Your Name:", nullptr},
        {"Label2", "Address:", nullptr},
        {"Label3", "City, State, ZipCode:", nullptr},
        {"cmdSave", "OK", nullptr},
        {"cmdCancel", "Cancel", nullptr},
        {"Text1", "Cy Caster", nullptr},
    });
}

void TestShellWindows::registerTexts()
{
    auto *editor = open<frmRegister>();
    QVERIFY(editor);
    QCOMPARE(editor->windowTitle(), QStringLiteral(" Edit Name and Address"));
    checkText();
}

void TestShellWindows::registerKeepsItsSize()
{
    auto *editor = open<frmRegister>();
    QVERIFY(shownText(get("Label4")).contains(QStringLiteral("control panel")));
    // A fixed frame: the window keeps its size.
    const QSize size = editor->size();
    editor->resize(size + QSize(100, 100));
    QCOMPARE(editor->size(), size);
}

void TestShellWindows::registerClosedByWindowIsCancel()
{
    QPointer<frmRegister> editor = WindowRegistry::open<frmRegister>();
    QSignalSpy saved(editor.data(), &frmRegister::saved);
    auto *name = editor->findChild<QLineEdit *>("Text1");
    name->setText(QStringLiteral("Someone Else"));
    editor->close();
    ScreenDriver::releaseClosed();
    QVERIFY(!editor);
    QCOMPARE(saved.size(), 0);
    QCOMPARE(value("SELECT Name FROM Register").toString(), QStringLiteral("Cy Caster"));
}

void TestShellWindows::registerSaveFailureKeepsTheEditor()
{
    QPointer<frmRegister> editor = WindowRegistry::open<frmRegister>();
    QSignalSpy saved(editor.data(), &frmRegister::saved);
    editor->findChild<QLineEdit *>("Text1")->setText(QStringLiteral("Dee Dropshot"));
    // The row vanished behind the editor's back (another copy of the program).
    QVERIFY(sql("DELETE FROM Register"));
    QTest::mouseClick(editor->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    // Not reported as done: the editor stays with what was typed, and says so.
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(saved.size(), 0);
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages.first().icon, MessageIcon::Exclamation);
    QCOMPARE(editor->findChild<QLineEdit *>("Text1")->text(), QStringLiteral("Dee Dropshot"));
    QCOMPARE(value("SELECT COUNT(*) FROM Register").toInt(), 0);
}

void TestShellWindows::registerKeys_data()
{
    QTest::addColumn<QString>("focus"); // the control with the keyboard focus
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("nameAfter");
    QTest::newRow("Enter in a field is OK") << "Text2" << int(Qt::Key_Return) << "Dee Dropshot";
    QTest::newRow("keypad Enter is OK") << "Text1" << int(Qt::Key_Enter) << "Dee Dropshot";
    QTest::newRow("Escape is Cancel") << "Text1" << int(Qt::Key_Escape) << "Cy Caster";
    QTest::newRow("Enter on Cancel is Cancel") << "cmdCancel" << int(Qt::Key_Return) << "Cy Caster";
}

void TestShellWindows::registerKeys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, nameAfter);
    QPointer<frmRegister> editor = WindowRegistry::open<frmRegister>();
    editor->findChild<QLineEdit *>("Text1")->setText(QStringLiteral("Dee Dropshot"));
    auto *target = editor->findChild<QWidget *>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    ScreenDriver::releaseClosed();
    QVERIFY(!editor);
    QCOMPARE(value("SELECT Name FROM Register").toString(), nameAfter);
}

void TestShellWindows::registerKeepsLongText()
{
    // Pasted whole, kept whole: no field of the editor cuts a text short.
    const QString address = QString(40000, QLatin1Char('a')) + QStringLiteral(" end");
    QPointer<frmRegister> editor = WindowRegistry::open<frmRegister>();
    auto *field = editor->findChild<QLineEdit *>("Text2");
    field->selectAll();
    field->insert(address);
    QTest::mouseClick(editor->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(value("SELECT Address FROM Register").toString(), address);
}

void TestShellWindows::messagesShowUserDataAsPlainText()
{
    // The real message box, answered as soon as it is up.
    const QString text = QStringLiteral("There is no email address for <b>Bold</b><img src=\"x.png\">.");
    Qt::TextFormat format = Qt::RichText;
    QString shown;
    QTimer::singleShot(0, [&] {
        QMessageBox *box = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && qobject_cast<QMessageBox *>(w))
                box = static_cast<QMessageBox *>(w);
        QVERIFY(box);
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        format = label->textFormat();
        shown = label->text();
        box->button(QMessageBox::Ok)->click();
    });
    QtPlatform real;
    MessageRequest request;
    request.icon = MessageIcon::Exclamation;
    request.text = text;
    QCOMPARE(real.message(request, nullptr), MessageAnswer::Ok);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(shown, text);
}

void TestShellWindows::about()
{
    QPointer<frmAbout> about = WindowRegistry::open<frmAbout>();
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    const QList<QLabel *> labels = about->findChildren<QLabel *>();
    QStringList texts;
    for (QLabel *l : labels)
        texts << l->text();
    QVERIFY(texts.contains(QStringLiteral("Tallyfin")));
    QVERIFY(texts.contains(QStringLiteral("Version: 5.0")));
    QVERIFY(!about->findChild<QLabel *>("Image1")->pixmap().isNull());
    QTest::mouseClick(about->findChild<QPushButton *>("cmdExit"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    QVERIFY(!about);
    QVERIFY(fake().urls.isEmpty());
}

void TestShellWindows::update()
{
    QPointer<frmUpdate> update = WindowRegistry::open<frmUpdate>();
    QCOMPARE(update->windowTitle(), QStringLiteral("Check for Update"));
    QCOMPARE(update->findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("Software Update"));
    QVERIFY(labelText(update, "Label1").contains(QStringLiteral("\"Check Now\"")));
    QVERIFY(labelText(update, "Label2").contains(QStringLiteral("firewall")));
    QCOMPARE(update->findChild<QPushButton *>("cmdUpdate")->text(), QStringLiteral("Check Now"));

    QTest::mouseClick(update->findChild<QPushButton *>("cmdUpdate"), Qt::LeftButton);
    QCOMPARE(fake().urls, QList<QUrl>{kUpdatePage});
    QVERIFY(kUpdatePage.isValid());
    QCOMPARE(kUpdatePage.scheme(), QStringLiteral("https"));
    QVERIFY(fake().messages.isEmpty());

    QTest::mouseClick(update->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    QVERIFY(!update);
    QCOMPARE(fake().urls.size(), 1);
}

void TestShellWindows::updateBrowserFails()
{
    FakePlatform *noBrowser = &fake(); // a browser that never starts
    noBrowser->urlOpens = false;
    auto *update = WindowRegistry::open<frmUpdate>();
    QTest::mouseClick(update->findChild<QPushButton *>("cmdUpdate"), Qt::LeftButton);
    QCOMPARE(noBrowser->messages.size(), 1);
    QVERIFY(noBrowser->messages.first().text.contains(kUpdatePage.toString()));
}

void TestShellWindows::credit()
{
    QPointer<frmCredit> credit = WindowRegistry::open<frmCredit>();
    QCOMPARE(credit->windowTitle(), QStringLiteral("Picture Credit"));
    QVERIFY(!credit->findChild<QLabel *>("Image1")->pixmap().isNull());
    QVERIFY(labelText(credit, "Label1").contains(QStringLiteral("Tallyfin")));
    // Sizable.
    const QSize size = credit->size();
    credit->resize(size + QSize(60, 40));
    QCOMPARE(credit->size(), size + QSize(60, 40));
}

TF_TEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
