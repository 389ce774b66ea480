// Start-up and help: the start-up steps, F1 in any window through the one
// application-wide handler, the compiled help file the build makes, and the
// help window that reads it.

#include "FakePlatform.h"
#include "TestMain.h"
#include "app/Startup.h"
#include "shell/ChmFile.h"
#include "shell/Help.h"
#include "shell/HelpViewer.h"
#include "shell/WindowRegistry.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTreeWidget>

using namespace tf;
using namespace tf::test;

namespace {

void releaseClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QString kBuiltHelp = QStringLiteral(TF_HELP_FILE);
const QString kHelpSources = QStringLiteral(TF_HELP_SOURCE);

QString titleOf(const QString &htmlFile)
{
    const QString html = QString::fromUtf8(readAll(htmlFile));
    const int start = html.indexOf(QLatin1String("<title>"), 0, Qt::CaseInsensitive);
    const int end = html.indexOf(QLatin1String("</title>"), 0, Qt::CaseInsensitive);
    return start < 0 || end < 0 ? QString() : html.mid(start + 7, end - start - 7).trimmed();
}

} // namespace

// A window built after the shell, with no help page of its own yet.
class frmFuture : public QWidget
{
    Q_OBJECT
public:
    frmFuture() { edit = new QLineEdit(this); }
    QLineEdit *edit;
};

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStart();
    void startOnExistingDatabase();
    void startAfterInterruptedRepair();
    void f1InEveryWindow_data();
    void f1InEveryWindow();
    void helpFileBuilt();
    void everyPageInTheContents();
    void sitemap_data();
    void sitemap();
    void viewerShowsPages();
    void viewerFollowsLinks();
    void viewerWithoutFile();

private:
    std::unique_ptr<FakePlatformScope> m_scope;
};

void TestHelp::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
}

void TestHelp::cleanup()
{
    WindowRegistry::closeAll();
    releaseClosed();
    m_scope.reset();
}

void TestHelp::firstStart()
{
    const QString db = m_scope->file(QStringLiteral("tfn5.mdb"));
    QVERIFY(!QFileInfo::exists(db));
    QWidget *panel = startProgram();
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(panel->objectName(), QStringLiteral("frmStart"));
    // A new diary: the panel, with the owner's details editor over it.
    const QList<QWidget *> open = WindowRegistry::openWindows();
    QCOMPARE(open.size(), 2);
    QVERIFY(open.contains(panel));
    QVERIFY(WindowRegistry::find(QStringLiteral("frmRegister")));
    // The help file is the program folder's, whether or not it is there.
    QCOMPARE(Help::file(), m_scope->file(QStringLiteral("tfnhelp.chm")));
    // A first start makes the database; the panel shows its (empty) owner's row.
    QVERIFY(QFileInfo::exists(db));
    QCOMPARE(querySingle(db, "SELECT COUNT(*) FROM Register").toInt(), 1);
    QCoreApplication::processEvents();
    QVERIFY(m_scope->fake().messages.isEmpty());
    // Centred on the screen.
    const QRect screen = panel->screen()->availableGeometry();
    QVERIFY(qAbs(panel->geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(panel->geometry().center().y() - screen.center().y()) <= 1);
}

void TestHelp::startOnExistingDatabase()
{
    const QString db = m_scope->file(QStringLiteral("tfn5.mdb"));
    makeDatabase(db);
    QVERIFY(execSql(db, "UPDATE Register SET Name = 'Eve Eddy'"));
    const QByteArray before = readAll(db);
    QWidget *panel = startProgram();
    QCOMPARE(panel->findChild<QLabel *>("Label2")->text(), QStringLiteral("Eve Eddy"));
    QCOMPARE(readAll(db), before);
}

void TestHelp::startAfterInterruptedRepair()
{
    // Only the repair's copy is left: nothing is created over it.
    QVERIFY(writeAll(m_scope->file(QStringLiteral("tfn51.mdb")), QByteArray("copy")));
    QWidget *panel = startProgram();
    QVERIFY(panel && panel->isVisible());
    QVERIFY(!QFileInfo::exists(m_scope->file(QStringLiteral("tfn5.mdb"))));
    QTRY_COMPARE(m_scope->fake().messages.size(), 1);
    QVERIFY(m_scope->fake().lastMessageText().contains(QStringLiteral("tfn51.mdb")));
}

void TestHelp::f1InEveryWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("page");
    QTest::newRow("control panel") << "frmStart"
                                   << "frmStart.html";
    QTest::newRow("owner's details, key in a field") << "frmRegister"
                                                     << "frmRegister.html";
    QTest::newRow("about") << "frmAbout"
                           << "frmAbout.html";
    QTest::newRow("update") << "frmUpdate"
                            << "frmUpdate.html";
    QTest::newRow("credit") << "frmCredit"
                            << "frmCredit.html";
    QTest::newRow("a later window") << "frmFuture"
                                    << "frmFuture.html";
}

void TestHelp::f1InEveryWindow()
{
    QFETCH(QString, window);
    QFETCH(QString, page);
    makeDatabase(m_scope->file(QStringLiteral("tfn5.mdb")));
    startProgram();
    WindowRegistry::define<frmFuture>();
    QWidget *w = nullptr;
    if (window.startsWith(QLatin1String("dialog over "))) {
        auto *dialog = new QDialog(WindowRegistry::open(window.mid(12)));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        w = dialog;
    } else {
        w = WindowRegistry::find(window);
        if (!w)
            w = WindowRegistry::open(window);
    }
    QVERIFY(w);
    // The key goes to the control that has the focus, wherever that is.
    QWidget *target = w;
    if (auto *edit = w->findChild<QLineEdit *>())
        target = edit;
    QTest::keyClick(target, Qt::Key_F1);
    const auto &requests = m_scope->fake().helpRequests;
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().first, m_scope->file(QStringLiteral("tfnhelp.chm")));
    QCOMPARE(requests.first().second, page);
    // Other keys are left alone.
    QTest::keyClick(target, Qt::Key_F2);
    QTest::keyClick(target, Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(requests.size(), 1);
}

void TestHelp::helpFileBuilt()
{
    ChmFile chm;
    QVERIFY2(chm.open(kBuiltHelp), qPrintable(kBuiltHelp));
    QCOMPARE(chm.title(), QStringLiteral("Tallyfin Help"));
    QCOMPARE(chm.defaultTopic(), QStringLiteral("index.html"));
    // Each page is stored as written, and the pictures and style go with them.
    const QStringList pages = QDir(kHelpSources).entryList({QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(pages.size() >= 6);
    for (const QString &page : pages)
        QCOMPARE(chm.read(page), readAll(QDir(kHelpSources).filePath(page)));
    QVERIFY(!chm.read(QStringLiteral("help.css")).isEmpty());
    QVERIFY(chm.read(QStringLiteral("nosuchpage.html")).isNull());
    QVERIFY(!chm.contains(QStringLiteral("nosuchpage.html")));
    // A page for the panel and for every window of the shell.
    for (const char *name : {"frmStart", "frmRegister", "frmAbout", "frmUpdate", "frmCredit"})
        QVERIFY2(chm.contains(QLatin1String(name) + QStringLiteral(".html")), name);
}

void TestHelp::everyPageInTheContents()
{
    ChmFile chm;
    QVERIFY(chm.open(kBuiltHelp));
    const QList<ChmTopic> topics = chm.contents();
    const QStringList pages = QDir(kHelpSources).entryList({QStringLiteral("*.html")}, QDir::Files);
    QCOMPARE(topics.size(), pages.size());
    QCOMPARE(topics.at(0).local, QStringLiteral("index.html"));
    QCOMPARE(topics.at(1).local, QStringLiteral("frmStart.html"));
    for (const ChmTopic &t : topics) {
        QVERIFY2(pages.contains(t.local), qPrintable(t.local));
        QCOMPARE(t.name, titleOf(QDir(kHelpSources).filePath(t.local)));
    }
}

void TestHelp::sitemap_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("expected"); // "depth|name|local"
    QTest::newRow("flat") << R"(<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="A">
        <param name="Local" value="a.html"></OBJECT><LI><OBJECT type="text/sitemap">
        <param name="Local" value="b.html"><param name="Name" value="B &amp; C"></OBJECT></UL>)"
                          << QStringList{"0|A|a.html", "0|B & C|b.html"};
    QTest::newRow("nested, any case") << R"(<ul><li><object type="text/sitemap"><PARAM NAME="name" VALUE="Top">
        </object><ul><li><object><param name="local" value="x/in.html"><param name="Name" value="In"></object>
        </ul><li><object><param name="Name" value="Next"><param name="Local" value="n.html"></object></ul>)"
                                      << QStringList{"0|Top|", "1|In|x/in.html", "0|Next|n.html"};
    QTest::newRow("empty") << "<html><body></body></html>" << QStringList{};
}

void TestHelp::sitemap()
{
    QFETCH(QString, html);
    QFETCH(QStringList, expected);
    QStringList got;
    for (const ChmTopic &t : ChmFile::parseSitemap(html))
        got << QStringLiteral("%1|%2|%3").arg(t.depth).arg(t.name, t.local);
    QCOMPARE(got, expected);
}

void TestHelp::viewerShowsPages()
{
    HelpViewer viewer;
    QVERIFY(viewer.openFile(kBuiltHelp));
    QCOMPARE(viewer.contents()->topLevelItemCount(),
             QDir(kHelpSources).entryList({QStringLiteral("*.html")}, QDir::Files).size());

    viewer.showPage(QStringLiteral("frmAbout.html"));
    QCOMPARE(viewer.currentPage(), QStringLiteral("frmAbout.html"));
    QVERIFY(viewer.browser()->toPlainText().contains(QStringLiteral("About Tallyfin")));
    QCOMPARE(viewer.contents()->currentItem()->text(0), QStringLiteral("About Tallyfin"));
    // The page's style sheet is read from inside the file.
    QVERIFY(!viewer.browser()
                 ->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("help.css")))
                 .toString()
                 .isEmpty());

    // Pictures come from inside the file too, relative to the page that shows them.
    viewer.showPage(QStringLiteral("frmStart.html"));
    const QVariant picture =
        viewer.browser()->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/panel.png")));
    QCOMPARE(QImage::fromData(picture.toByteArray()).size(), QSize(480, 355));
    QVERIFY(
        viewer.browser()->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/none.png"))).isNull());

    // A window without a page of its own, or no page asked: the default page.
    viewer.showPage(QStringLiteral("frmFuture.html"));
    QCOMPARE(viewer.currentPage(), QStringLiteral("index.html"));
    viewer.showPage(QString());
    QCOMPARE(viewer.currentPage(), QStringLiteral("index.html"));
    QVERIFY(viewer.browser()->toPlainText().contains(QStringLiteral("Tallyfin Help")));
}

void TestHelp::viewerFollowsLinks()
{
    HelpViewer viewer;
    QVERIFY(viewer.openFile(kBuiltHelp));
    viewer.showPage(QStringLiteral("index.html"));
    emit viewer.browser()->anchorClicked(QUrl(QStringLiteral("frmStart.html")));
    QCOMPARE(viewer.currentPage(), QStringLiteral("frmStart.html"));
    QVERIFY(viewer.browser()->toPlainText().contains(QStringLiteral("The control panel")));
    viewer.browser()->backward();
    QCOMPARE(viewer.currentPage(), QStringLiteral("index.html"));
    // Links out of the file go to the user's browser.
    emit viewer.browser()->anchorClicked(QUrl(QStringLiteral("https://tallyfin.example/")));
    QCOMPARE(m_scope->fake().urls, QList<QUrl>{QUrl(QStringLiteral("https://tallyfin.example/"))});
    QCOMPARE(viewer.currentPage(), QStringLiteral("index.html"));
}

void TestHelp::viewerWithoutFile()
{
    QVERIFY(!Help::showInViewer(m_scope->file(QStringLiteral("tfnhelp.chm")), QString(), nullptr));
    QCOMPARE(m_scope->fake().messages.size(), 1);
    QVERIFY(m_scope->fake().lastMessageText().contains(QStringLiteral("tfnhelp.chm")));

    // With the file in place the help window opens at the page asked for.
    QVERIFY(QFile::copy(kBuiltHelp, m_scope->file(QStringLiteral("tfnhelp.chm"))));
    QVERIFY(Help::showInViewer(m_scope->file(QStringLiteral("tfnhelp.chm")), QStringLiteral("frmStart.html"), nullptr));
    QPointer<HelpViewer> viewer;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *v = qobject_cast<HelpViewer *>(w); v && v->isVisible())
            viewer = v;
    QVERIFY(viewer);
    QCOMPARE(viewer->currentPage(), QStringLiteral("frmStart.html"));
    viewer->close();
}

TF_TEST_MAIN(TestHelp)
#include "tst_help.moc"
