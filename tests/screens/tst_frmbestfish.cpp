// Best fish driven as a user does: the menu whose buttons switch on and off,
// the photograph beside each fish (and every kind of bad picture file), the
// Picture command that stores a photograph at once, Delete moving on to the next
// fish or back from the end, and what the text columns keep.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/PictureLoader.h"
#include "screens/RecordCycle.h"
#include "screens/frmBestfish.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QToolButton>

using namespace tf;
using namespace tf::test;

class TestBestfish : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void buttonsSwitchOnAndOff();
    void pictureOfEachRow_data();
    void pictureOfEachRow();
    void photographWholeInItsProportions_data();
    void photographWholeInItsProportions();
    void activationWarnsAndLeavesTheCount();
    void newClearsPictureCancelBringsItBack();
    void pictureCommandStoresAtOnce();
    void pictureCommandSilentWhenNothingToStore_data();
    void pictureCommandSilentWhenNothingToStore();
    void pictureThatCannotBeStoredIsSaid();
    void deleteMovesOn_data();
    void deleteMovesOn();
    void textColumnsKeepWhatWasTyped();

private:
    frmBestfish *openScreen()
    {
        m_screen = open<frmBestfish>();
        settle();
        return m_screen;
    }
    void addFish(const QString &fish, const QString &picture = {});
    QString picture(const QString &name, QColor colour = Qt::darkGreen);
    void chooseRow(int row)
    {
        auto *grid = get<QTableView>("DBGrid1");
        grid->setCurrentIndex(grid->model()->index(row, 1));
        settle();
    }
    static void settle() { QTest::qWait(10); }
    void click(const char *name)
    {
        get<QAbstractButton>(name)->click();
        settle();
    }
    PictureArea *area() { return get<PictureArea>("Image1"); }
    bool labelShown() { return get<QLabel>("Label11")->isVisibleTo(m_screen); }

    QPointer<frmBestfish> m_screen;
};

void TestBestfish::addFish(const QString &fish, const QString &picture)
{
    QVERIFY(sql(QStringLiteral("INSERT INTO Bestfish (Fish, Location, BFPicture) VALUES ('%1', 'Lake', '%2')")
                    .arg(fish, picture)));
}

QString TestBestfish::picture(const QString &name, QColor colour)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = file(name);
    if (!image.save(path))
        qWarning() << "cannot write" << path;
    return path;
}

// ---------------------------------------------------------------------------

void TestBestfish::texts_data()
{
    textTable({
        {"Label10", "2 Best Fish are saved.", ""},
        {"cmdPicture", "P&icture", " Select a picture for this Best Fish "},
        {"cmdCancel", "&Cancel", " Don't save the changes "},
        {"cmdPrint", "&Print", " Show Print Preview "},
        {"Label9", "  Click Save or Cancel when finished.  ", ""},
        {"Label11", "No Picture Selected", ""},
        {"jcFrames2", "Menu", ""},
        {"jcFrames1", "Best Fish", ""},
    });
}

void TestBestfish::texts()
{
    addFish(QStringLiteral("Walleye"));
    addFish(QStringLiteral("Pike"));
    QVERIFY(openScreen());
    QCOMPARE(m_screen->windowTitle(), QStringLiteral("Best Fish Caught"));
    checkText();
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
    const QString path = ScreenTest::file(file);
    QDir(folder()).mkpath(QFileInfo(path).path());
    if (bytes == "png") {
        picture(file);
    } else if (bytes == "dir") {
        QVERIFY(QDir(folder()).mkdir(file));
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
    QCOMPARE(area()->image().size(), QSize(240, 180)); // as large as it fits, in its proportions
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
        // Never the previous fish's photograph: no picture at all.
        QVERIFY(area()->image().isNull());
    }
    QCOMPARE(labelShown(), !readable);
    chooseRow(2); // no photograph
    QVERIFY(area()->image().isNull());
    QVERIFY(labelShown());
    m_screen->close();
    // Showing never changes the stored path.
    QCOMPARE(value(QStringLiteral("SELECT BFPicture FROM Bestfish WHERE Fish = 'Walleye'")).toString(), path);
}

void TestBestfish::photographWholeInItsProportions_data()
{
    QTest::addColumn<QSize>("photograph");
    QTest::addColumn<QSize>("shown"); // inside the 240 × 189 area, in the middle of it
    QTest::newRow("portrait") << QSize(300, 400) << QSize(141, 189);
    QTest::newRow("camera, 48 megapixels") << QSize(8000, 6000) << QSize(240, 180);
}

void TestBestfish::photographWholeInItsProportions()
{
    QFETCH(QSize, photograph);
    QFETCH(QSize, shown);
    QImage image(photograph, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString path = file(QStringLiteral("photo.jpg"));
    QVERIFY(image.save(path));
    image = QImage();
    addFish(QStringLiteral("Bass"), path);
    QVERIFY(openScreen());
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(area()->image().size(), shown);
    QCOMPARE(area()->size(), shown);
    const QRect box(QPoint(4, 4), frmBestfish::kPictureSize);
    QVERIFY(box.contains(area()->geometry()));
    QCOMPARE(area()->geometry().center(), box.center());
    QVERIFY(!labelShown());
}

void TestBestfish::activationWarnsAndLeavesTheCount()
{
    addFish(QStringLiteral("Bass"), file(QStringLiteral("gone.jpg")));
    QVERIFY(openScreen());
    QCOMPARE(fake().lastMessageText(), QStringLiteral("Picture not available."));
    auto *count = get<QLabel>("Label10");
    const QString before = count->text();
    const int warned = fake().messages.size();

    QWidget other;
    other.show();
    QVERIFY(activate(&other));
    addFish(QStringLiteral("Added Elsewhere"));
    QVERIFY(activate(m_screen));
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
    QCOMPARE(value(QStringLiteral("SELECT BFPicture FROM Bestfish")).toString(), chosen);
    QCOMPARE(m_screen->cycle()->state(), CycleState::Browse);
    QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::red));
    QVERIFY(!labelShown());
    ui().close();
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
        const QString notes = file(QStringLiteral("notes.txt"));
        QVERIFY(writeAll(notes, "not a picture"));
        fake().openAnswers.enqueue(notes);
    }
    QVERIFY(openScreen());
    click("cmdPicture");
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(value(QStringLiteral("SELECT BFPicture FROM Bestfish")).toString(), old);
    QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::red));
}

void TestBestfish::pictureThatCannotBeStoredIsSaid()
{
    addFish(QStringLiteral("Bass"));
    QVERIFY(sql(QStringLiteral("CREATE TRIGGER full BEFORE UPDATE ON Bestfish BEGIN "
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
    QTest::newRow("first row: the next") << 0 << "Bass";
    QTest::newRow("middle row: the next") << 1 << "Pike";
    QTest::newRow("last row: back one") << 3 << "Pike";
}

void TestBestfish::deleteMovesOn()
{
    QFETCH(int, row);
    QFETCH(QString, after);
    addFish(QStringLiteral("Walleye"));
    addFish(QStringLiteral("Bass"));
    addFish(QStringLiteral("Pike"), picture(QStringLiteral("pike.png"), Qt::blue));
    addFish(QStringLiteral("Perch"));
    QVERIFY(openScreen());
    chooseRow(row);
    const QString deleted = get<QLineEdit>("Text1")->text();
    click("cmdDelete");
    QCOMPARE(fake().messages.last().text, QStringLiteral("Are you sure you want to delete ") + deleted + " ?");
    QCOMPARE(fake().messages.last().title, QStringLiteral("Delete Best Fish"));
    QCOMPARE(get<QLineEdit>("Text1")->text(), after);
    QCOMPARE(get<QTableView>("DBGrid1")->currentIndex().row(), row == 3 ? 2 : row);
    QCOMPARE(get<QLabel>("Label10")->text(), QStringLiteral("3 Best Fish are saved."));
    if (after == QLatin1String("Pike"))
        QCOMPARE(area()->image().pixelColor(10, 10), QColor(Qt::blue));
}

void TestBestfish::textColumnsKeepWhatWasTyped()
{
    addFish(QStringLiteral("Bass"));
    QVERIFY(openScreen());
    click("cmdNew");
    get<QLineEdit>("Text1")->setText(QStringLiteral("Musky"));
    get<QLineEdit>("Text2")->setText(QStringLiteral("last summer"));
    get<QLineEdit>("Text3")->setText(QStringLiteral("31 lb 4 oz"));
    click("cmdSave");
    QCOMPARE(m_screen->cycle()->state(), CycleState::Browse);
    QCOMPARE(value(QStringLiteral("SELECT Date || '|' || Weight FROM Bestfish WHERE Fish = 'Musky'")).toString(),
             QStringLiteral("last summer|31 lb 4 oz"));
}

TF_TEST_MAIN(TestBestfish)
#include "tst_frmbestfish.moc"
