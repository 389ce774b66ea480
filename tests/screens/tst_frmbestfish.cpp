// Best fish driven as a user does: the menu whose buttons switch on and off,
// the photograph beside each fish (and every kind of bad picture file), the
// Picture command that stores a photograph at once, Delete moving on to the next
// fish or back from the end, and what the text columns keep.

#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/PictureLoader.h"
#include "screens/RecordCycle.h"
#include "screens/frmBestfish.h"
#include "shell/WindowRegistry.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QToolButton>

using namespace tf;
using namespace tf::test;

class TestBestfish : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void buttonsSwitchOnAndOff();
    void pictureOfEachRow_data();
    void pictureOfEachRow();
    void activationWarnsAndLeavesTheCount();
    void newClearsPictureCancelBringsItBack();
    void pictureCommandStoresAtOnce();
    void pictureCommandSilentWhenNothingToStore_data();
    void pictureCommandSilentWhenNothingToStore();
    void pictureThatCannotBeStoredIsSaid();
    void deleteMovesOn_data();
    void deleteMovesOn();
    void textColumnsKeepWhatWasTyped();
    void closingRestoresControlPanel();

private:
    frmBestfish *openScreen();
    void addFish(const QString &fish, const QString &picture = {});
    QString picture(const QString &name, QColor colour = Qt::darkGreen);
    void chooseRow(int row)
    {
        auto *grid = get<QTableView>("DBGrid1");
        grid->setCurrentIndex(grid->model()->index(row, 1));
        settle();
    }
    static void settle() { QTest::qWait(10); }
    template <class T> T *get(const char *name) { return m_screen->findChild<T *>(QLatin1String(name)); }
    void click(const char *name)
    {
        get<QAbstractButton>(name)->click();
        settle();
    }
    PictureArea *area() { return get<PictureArea>("Image1"); }
    bool labelShown() { return get<QLabel>("Label11")->isVisibleTo(m_screen); }
    QVariant fileValue(const QString &sql) const { return querySingle(m_db, sql); }
    FakePlatform &fake() { return m_scope->fake(); }

    std::unique_ptr<FakePlatformScope> m_scope;
    QString m_db;
    QPointer<frmBestfish> m_screen;
};

void TestBestfish::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    m_db = m_scope->file(QStringLiteral("tfn5.mdb"));
    makeDatabase(m_db);
}

void TestBestfish::cleanup()
{
    WindowRegistry::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_scope.reset();
}

frmBestfish *TestBestfish::openScreen()
{
    m_screen = WindowRegistry::open<frmBestfish>();
    if (m_screen) {
        m_screen->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(m_screen);
        settle();
    }
    return m_screen;
}

void TestBestfish::addFish(const QString &fish, const QString &picture)
{
    QVERIFY(execSql(m_db, QStringLiteral("INSERT INTO Bestfish (Fish, Location, BFPicture) VALUES ('%1', 'Lake', '%2')")
                              .arg(fish, picture)));
}

QString TestBestfish::picture(const QString &name, QColor colour)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = m_scope->file(name);
    if (!image.save(path))
        qWarning() << "cannot write" << path;
    return path;
}

// ---------------------------------------------------------------------------

void TestBestfish::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");
    QTest::newRow("count") << "Label10"
                           << "text"
                           << "2 Best Fish are saved.";
    QTest::newRow("picture button") << "cmdPicture"
                                    << "text"
                                    << "P&icture";
    QTest::newRow("picture tip") << "cmdPicture"
                                 << "toolTip"
                                 << " Select a picture for this Best Fish ";
    QTest::newRow("cancel tip") << "cmdCancel"
                                << "toolTip"
                                << " Don't save the changes ";
    QTest::newRow("print tip") << "cmdPrint"
                               << "toolTip"
                               << " Show Print Preview ";
    QTest::newRow("hint") << "Label9"
                          << "text"
                          << "  Click Save or Cancel when finished.  ";
    QTest::newRow("no picture") << "Label11"
                                << "text"
                                << "No Picture Selected";
    QTest::newRow("menu") << "jcFrames2"
                          << "title"
                          << "Menu";
    QTest::newRow("fields") << "jcFrames1"
                            << "title"
                            << "Best Fish";
}

void TestBestfish::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, property);
    QFETCH(QString, text);
    addFish(QStringLiteral("Walleye"));
    addFish(QStringLiteral("Pike"));
    QVERIFY(openScreen());
    QCOMPARE(m_screen->windowTitle(), QStringLiteral("Best Fish Caught"));
    QObject *o = m_screen->findChild<QObject *>(name);
    QVERIFY(o);
    QCOMPARE(o->property(property.toLatin1().constData()).toString(), text);
}

void TestBestfish::buttonsSwitchOnAndOff()
{
    addFish(QStringLiteral("Walleye"));
    QVERIFY(openScreen());
    const char *menu[] = {"cmdNew", "cmdEdit", "cmdDelete", "cmdPrint", "cmdPicture", "cmdExit", "cmdMinimize"};
    const auto check = [&](bool editing) {
        for (const char *name : menu)
            QVERIFY2(get<QWidget>(name)->isEnabled() == !editing, name);
        for (const char *name : {"cmdSave", "cmdCancel"}) {
            QVERIFY2(get<QWidget>(name)->isEnabled() == editing, name);
            QVERIFY(get<QWidget>(name)->isVisibleTo(m_screen)); // nothing is hidden
        }
        QCOMPARE(get<QLabel>("Label9")->isVisibleTo(m_screen), editing);
        QCOMPARE(get<QLineEdit>("Text2")->isReadOnly(), !editing);
    };
    check(false);
    click("cmdEdit");
    check(true);
    QCOMPARE(QApplication::focusWidget(), get<QWidget>("Text1"));
    click("cmdCancel");
    check(false);
}

void TestBestfish::pictureOfEachRow_data()
{
    QTest::addColumn<QString>("file");     // the second fish's picture file, in the program folder
    QTest::addColumn<QByteArray>("bytes"); // "png": a picture; null: no file
    QTest::addColumn<bool>("readable");
    QTest::newRow("photograph") << "walleye.png" << QByteArray("png") << true;
    QTest::newRow("non-Latin path") << "Fänge 魚/große Forelle.png" << QByteArray("png") << true;
    QTest::newRow("missing") << "gone.jpg" << QByteArray() << false;
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray("") << false;
    QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("three bass\n") << false;
    QTest::newRow("truncated JPEG") << "cut.jpg" << QByteArray("cut") << false;
    QTest::newRow("folder") << "folder.jpg" << QByteArray("dir") << false;
}

void TestBestfish::pictureOfEachRow()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    const QString path = m_scope->file(file);
    QDir(m_scope->folder()).mkpath(QFileInfo(path).path());
    if (bytes == "png") {
        picture(file);
    } else if (bytes == "dir") {
        QVERIFY(QDir(m_scope->folder()).mkdir(file));
    } else if (bytes == "cut") {
        QImage noise(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                noise.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
        noise.save(path, "jpeg");
        QFile f(path);
        QVERIFY(f.resize(f.size() / 2));
    } else if (!bytes.isNull()) {
        QVERIFY(writeAll(path, bytes));
    }
    addFish(QStringLiteral("Bass"), picture(QStringLiteral("bass.png"), Qt::red));
    addFish(QStringLiteral("Walleye"), path);
    addFish(QStringLiteral("Perch"));
    QVERIFY(openScreen());
    QCOMPARE(area()->image().size(), frmBestfish::kPictureSize); // stretched to the area
    QCOMPARE(area()->image().pixelColor(120, 90), QColor(Qt::red));
    QVERIFY(!labelShown());
    QVERIFY(fake().messages.isEmpty());

    chooseRow(1);
    if (readable) {
        QVERIFY(fake().messages.isEmpty());
        QCOMPARE(area()->image().pixelColor(120, 90), QColor(Qt::darkGreen));
    } else {
        QCOMPARE(fake().messages.size(), 1);
        QCOMPARE(fake().messages[0].text, QStringLiteral("Picture not available."));
        QCOMPARE(fake().messages[0].icon, MessageIcon::Exclamation);
        // The previous photograph stays.
        QCOMPARE(area()->image().pixelColor(120, 90), QColor(Qt::red));
    }
    QVERIFY(!labelShown());
    chooseRow(2); // no photograph
    QVERIFY(area()->image().isNull());
    QVERIFY(labelShown());
    m_screen->close();
    // Showing never changes the stored path.
    QCOMPARE(fileValue(QStringLiteral("SELECT BFPicture FROM Bestfish WHERE Fish = 'Walleye'")).toString(), path);
}

void TestBestfish::activationWarnsAndLeavesTheCount()
{
    addFish(QStringLiteral("Bass"), m_scope->file(QStringLiteral("gone.jpg")));
    QVERIFY(openScreen());
    QCOMPARE(fake().lastMessageText(), QStringLiteral("Picture not available."));
    auto *count = get<QLabel>("Label10");
    const QString before = count->text();
    const int warned = fake().messages.size();

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    addFish(QStringLiteral("Added Elsewhere"));
    m_screen->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_screen));
    QCOMPARE(fake().messages.size(), warned + 1);
    QCOMPARE(count->text(), before);
}

void TestBestfish::newClearsPictureCancelBringsItBack()
{
    addFish(QStringLiteral("Bass"), picture(QStringLiteral("bass.png"), Qt::red));
    QVERIFY(openScreen());
    QVERIFY(!area()->image().isNull());
    click("cmdNew");
    QVERIFY(area()->image().isNull());
    QCOMPARE(QApplication::focusWidget(), get<QWidget>("Text1"));
    click("cmdCancel");
    QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::red));
    QVERIFY(fake().messages.isEmpty());
}

void TestBestfish::pictureCommandStoresAtOnce()
{
    addFish(QStringLiteral("Bass"));
    const QString chosen = picture(QStringLiteral("bass.png"), Qt::red);
    fake().openAnswers.enqueue(chosen);
    QVERIFY(openScreen());
    QVERIFY(labelShown() || area()->image().isNull());
    click("cmdPicture");
    QCOMPARE(fake().openRequests.size(), 1);
    QCOMPARE(fake().openRequests[0].title, QStringLiteral("Select Picture"));
    QCOMPARE(fake().openRequests[0].filter, QStringLiteral("All Files (*.*)|*.*|"));
    // Stored straight away, still browsing.
    QCOMPARE(fileValue(QStringLiteral("SELECT BFPicture FROM Bestfish")).toString(), chosen);
    QCOMPARE(m_screen->cycle()->state(), CycleState::Browse);
    QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::red));
    QVERIFY(!labelShown());
    m_screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(openScreen());
    QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::red));
}

void TestBestfish::pictureCommandSilentWhenNothingToStore_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("chooser cancelled") << true;
    QTest::newRow("not a picture") << false;
}

void TestBestfish::pictureCommandSilentWhenNothingToStore()
{
    QFETCH(bool, cancelled);
    const QString old = picture(QStringLiteral("bass.png"), Qt::red);
    addFish(QStringLiteral("Bass"), old);
    if (!cancelled) {
        const QString notes = m_scope->file(QStringLiteral("notes.txt"));
        QVERIFY(writeAll(notes, "not a picture"));
        fake().openAnswers.enqueue(notes);
    }
    QVERIFY(openScreen());
    click("cmdPicture");
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(fileValue(QStringLiteral("SELECT BFPicture FROM Bestfish")).toString(), old);
    QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::red));
}

void TestBestfish::pictureThatCannotBeStoredIsSaid()
{
    addFish(QStringLiteral("Bass"));
    QVERIFY(execSql(m_db, QStringLiteral("CREATE TRIGGER full BEFORE UPDATE ON Bestfish BEGIN "
                                         "SELECT RAISE(ABORT, 'database or disk is full'); END")));
    fake().openAnswers.enqueue(picture(QStringLiteral("bass.png")));
    QVERIFY(openScreen());
    click("cmdPicture");
    QVERIFY(fake().lastMessageText().contains(QStringLiteral("database or disk is full")));
    QCOMPARE(m_screen->cycle()->state(), CycleState::Browse);
    QVERIFY(area()->image().isNull()); // nothing shown that was not kept
}

void TestBestfish::deleteMovesOn_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("after");
    QTest::newRow("middle row: the next") << 1 << "Perch";
    QTest::newRow("last row: back one") << 2 << "Walleye";
}

void TestBestfish::deleteMovesOn()
{
    QFETCH(int, row);
    QFETCH(QString, after);
    addFish(QStringLiteral("Bass"));
    addFish(QStringLiteral("Walleye"), picture(QStringLiteral("walleye.png"), Qt::blue));
    addFish(QStringLiteral("Perch"));
    QVERIFY(openScreen());
    chooseRow(row);
    const QString deleted = get<QLineEdit>("Text1")->text();
    click("cmdDelete");
    QCOMPARE(fake().messages.last().text, QStringLiteral("Are you sure you want to delete ") + deleted + " ?");
    QCOMPARE(fake().messages.last().title, QStringLiteral("Delete Best Fish"));
    QCOMPARE(get<QLineEdit>("Text1")->text(), after);
    QCOMPARE(get<QLabel>("Label10")->text(), QStringLiteral("2 Best Fish are saved."));
    if (after == QLatin1String("Walleye"))
        QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::blue));
}

void TestBestfish::textColumnsKeepWhatWasTyped()
{
    addFish(QStringLiteral("Bass"));
    QVERIFY(openScreen());
    click("cmdNew");
    const QString remarks = QStringLiteral("Caught on a jig at dawn. ").repeated(42000); // about 1 MB
    get<QLineEdit>("Text1")->setText(QStringLiteral("Musky"));
    get<QLineEdit>("Text2")->setText(QStringLiteral("last summer"));
    get<QLineEdit>("Text3")->setText(QStringLiteral("31 lb 4 oz"));
    get<QPlainTextEdit>("Text8")->setPlainText(remarks);
    click("cmdSave");
    QCOMPARE(m_screen->cycle()->state(), CycleState::Browse);
    QCOMPARE(fileValue(QStringLiteral("SELECT Weight FROM Bestfish WHERE Fish = 'Musky'")).toString(),
             QStringLiteral("31 lb 4 oz"));
    QCOMPARE(fileValue(QStringLiteral("SELECT Date FROM Bestfish WHERE Fish = 'Musky'")).toString(),
             QStringLiteral("last summer"));
    m_screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(openScreen());
    chooseRow(1);
    QCOMPARE(get<QPlainTextEdit>("Text8")->toPlainText(), remarks);
}

void TestBestfish::closingRestoresControlPanel()
{
    addFish(QStringLiteral("Bass"));
    auto *panel = new QWidget;
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->show();
    auto *screen = WindowRegistry::open(QStringLiteral("frmBestfish"), panel, OpenerState::Minimize);
    QVERIFY(screen);
    QVERIFY(panel->windowState() & Qt::WindowMinimized);
    screen->findChild<QToolButton *>(QStringLiteral("cmdExit"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!(panel->windowState() & Qt::WindowMinimized));
    panel->close();
}

TF_TEST_MAIN(TestBestfish)
#include "tst_frmbestfish.moc"
