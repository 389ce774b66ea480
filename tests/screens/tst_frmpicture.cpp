// The picture viewer driven as a user does: its trips newest first, the picture
// of each trip at its own size or a zoom size, bad picture files answered with
// one message and no change to the trip, a chosen picture kept for its trip when
// the user moves on or closes, and printing what is shown.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/PictureLoader.h"
#include "screens/frmPicture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

using namespace tf;
using namespace tf::test;

class TestPicture : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void opensOnNewestTripShowingItsPicture();
    void zoomSizes_data();
    void zoomSizes();
    void largePictureShownWhole_data();
    void largePictureShownWhole();
    void zoomOnEmptyPathCollapsesArea();
    void stretchedSizeStaysForTheNextTrip();
    void rowChange_data();
    void rowChange();
    void chosenPictureKeptWhenMovingOn();
    void chosenPictureKeptWhenClosing();
    void cancelledChooserChangesNothing();
    void chosenFileThatIsNoPicture();
    void pathThatCannotBeWrittenIsSaid();
    void printsWhatIsShown();
    void printFailures_data();
    void printFailures();
    void typedDateIsADate_data();
    void typedDateIsADate();

private:
    frmPicture *openViewer() { return m_viewer = open<frmPicture>(); }
    void addTrip(const QString &date, const QString &lake, const QString &picture);
    QString picture(const QString &name, const QSize &size);
    void chooseRow(int row) { grid()->setCurrentIndex(grid()->model()->index(row, 0)); }
    QTableView *grid() { return get<QTableView>("DBGrid1"); }
    PictureArea *area() { return get<PictureArea>("Image1"); }
    void click(const char *name) { get<QPushButton>(name)->click(); }
    QString storedPath(const QString &date) const
    {
        return value(QStringLiteral("SELECT Picture FROM Log WHERE Date = '%1'").arg(date)).toString();
    }

    QPointer<frmPicture> m_viewer;
};

void TestPicture::addTrip(const QString &date, const QString &lake, const QString &picture)
{
    QVERIFY(sql(
        QStringLiteral("INSERT INTO Log (Date, Lake, Picture) VALUES ('%1', '%2', '%3')").arg(date, lake, picture)));
}

QString TestPicture::picture(const QString &name, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = file(name);
    if (!image.save(path))
        qWarning() << "cannot write" << path;
    return path;
}

// ---------------------------------------------------------------------------

void TestPicture::texts_data()
{
    textTable({
        {"cmdSelect", "&Select a Picture", nullptr},
        {"cmdExit", "&Close", nullptr},
        {"Command3", "75%", nullptr},
        {"Command4", "Full Size", nullptr},
        {"Command5", "Fit", nullptr},
        {"Label2", "Click left column to select a Fishing Trip to view picture.", nullptr},
        {"Label4", "No Picture Selected", nullptr},
    });
}

void TestPicture::texts()
{
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Clear Lake"), {});
    QVERIFY(openViewer());
    QCOMPARE(m_viewer->windowTitle(), QStringLiteral("Picture Viewer"));
    checkText();
}

void TestPicture::opensOnNewestTripShowingItsPicture()
{
    const QString newest = picture(QStringLiteral("newest.png"), QSize(300, 200));
    addTrip(QStringLiteral("2026-03-01"), QStringLiteral("Old Pond"), picture(QStringLiteral("old.png"), {50, 50}));
    addTrip(QStringLiteral("2026-07-04"), QStringLiteral("Clear Lake"), newest);
    QVERIFY(openViewer());
    QCOMPARE(grid()->model()->data(grid()->model()->index(0, 1)).toString(), QStringLiteral("Clear Lake"));
    QCOMPARE(get<QPlainTextEdit>("Text1")->toPlainText(), newest);
    QVERIFY(get<QPlainTextEdit>("Text1")->isReadOnly());
    // A picture smaller than the frame is shown at its own size.
    QCOMPARE(area()->size(), QSize(300, 200));
    QVERIFY(!area()->image().isNull());
    QVERIFY(fake().messages.isEmpty());
}

void TestPicture::zoomSizes_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QSize>("size");
    // A 640 × 480 picture: 16933 × 12700 hundredths of a millimetre, times the factor, as twips.
    QTest::newRow("25%") << "Command1" << QSize(226, 169);
    QTest::newRow("50%") << "Command2" << QSize(282, 212);
    QTest::newRow("75%") << "Command3" << QSize(361, 271);
    QTest::newRow("Full Size") << "Command4" << QSize(640, 480);
    QTest::newRow("Fit") << "Command5" << QSize(514, 385); // whole in the 514 × 387 frame
}

void TestPicture::zoomSizes()
{
    QFETCH(QString, button);
    QFETCH(QSize, size);
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Clear Lake"),
            picture(QStringLiteral("wide.png"), QSize(640, 480)));
    QVERIFY(openViewer());
    click("Command2"); // from another zoom size, so Full Size has something to undo
    click(button.toLatin1().constData());
    QCOMPARE(area()->size(), size);
    QCOMPARE(area()->image().size(), size);
    // The frame clips a picture larger than itself.
    QCOMPARE(get<QFrame>("Picture1")->size(), QSize(514, 387));
    QVERIFY(fake().messages.isEmpty());
}

void TestPicture::largePictureShownWhole_data()
{
    QTest::addColumn<QSize>("photograph");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("phone, held upright") << QSize(3000, 4000) << QSize(290, 387);
    QTest::newRow("camera, 48 megapixels") << QSize(8000, 6000) << QSize(514, 385);
}

void TestPicture::largePictureShownWhole()
{
    QFETCH(QSize, photograph);
    QFETCH(QSize, shown);
    QImage image(photograph, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = file(QStringLiteral("photo.jpg"));
    QVERIFY(image.save(path));
    image = QImage();
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Clear Lake"), path);
    QVERIFY(openViewer());
    // Larger than the frame: shrunk into it whole, in its proportions, in the middle.
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(area()->size(), shown);
    QCOMPARE(area()->image().size(), shown);
    const QRect frame(QPoint(0, 0), get<QFrame>("Picture1")->size());
    QVERIFY(frame.contains(area()->geometry()));
    QCOMPARE(area()->geometry().center(), frame.center());
    // Full Size still shows it at its own size, from the top left corner.
    click("Command4");
    QCOMPARE(area()->geometry(), QRect(QPoint(0, 0), photograph));
    QCOMPARE(area()->image().size(), photograph);
    click("Command5");
    QCOMPARE(area()->size(), shown);
    QVERIFY(fake().messages.isEmpty());
}

void TestPicture::zoomOnEmptyPathCollapsesArea()
{
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Clear Lake"), {});
    QVERIFY(openViewer());
    click("Command1");
    QCOMPARE(area()->size(), QSize(0, 0));
    QVERIFY(fake().messages.isEmpty());
}

void TestPicture::stretchedSizeStaysForTheNextTrip()
{
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("Wide"), picture(QStringLiteral("wide.png"), {640, 480}));
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Tall"), picture(QStringLiteral("tall.png"), {200, 900}));
    QVERIFY(openViewer());
    click("Command2");
    chooseRow(1);
    // Distorted into the area of the last zoom until another zoom button is pressed.
    QCOMPARE(area()->size(), QSize(282, 212));
    QCOMPARE(area()->image().size(), QSize(282, 212));
}

void TestPicture::rowChange_data()
{
    QTest::addColumn<QString>("file");     // the trip's picture file, made in the program folder
    QTest::addColumn<QByteArray>("bytes"); // null: no file is made
    QTest::addColumn<bool>("readable");
    QTest::newRow("picture") << "fish.png" << QByteArray("png") << true;
    QTest::newRow("missing") << "gone.jpg" << QByteArray() << false;
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray("") << false;
    QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("three bass\n") << false;
    QTest::newRow("folder") << "folder.jpg" << QByteArray("dir") << false;
    QTest::newRow("non-Latin path") << "Fänge 魚.png" << QByteArray("png") << true;
}

void TestPicture::rowChange()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    const QString path = ScreenTest::file(file);
    if (bytes == "png")
        picture(file, QSize(120, 80));
    else if (bytes == "dir")
        QVERIFY(QDir(folder()).mkdir(file));
    else if (!bytes.isNull())
        QVERIFY(writeAll(path, bytes));
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("Empty"), {});
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Other"), path);
    QVERIFY(openViewer());
    // The label is hidden when the window opens; only a row change shows it.
    QVERIFY(!get<QLabel>("Label4")->isVisibleTo(m_viewer));
    QVERIFY(fake().messages.isEmpty());

    chooseRow(1);
    if (readable) {
        QVERIFY(fake().messages.isEmpty());
        QCOMPARE(area()->image().size(), QSize(120, 80));
    } else {
        QCOMPARE(fake().messages.size(), 1);
        QCOMPARE(fake().messages[0].text, QStringLiteral("Please select a Picture"));
        QCOMPARE(fake().messages[0].icon, MessageIcon::None);
        QVERIFY(area()->image().isNull());
    }
    QVERIFY(!get<QLabel>("Label4")->isVisibleTo(m_viewer));
    // A trip without a picture: the label, an empty area, no message.
    chooseRow(0);
    QVERIFY(get<QLabel>("Label4")->isVisibleTo(m_viewer));
    QVERIFY(area()->image().isNull());
    QCOMPARE(fake().messages.size(), readable ? 0 : 1);
    m_viewer->close();
    // Showing a picture never changes the trip.
    QCOMPARE(storedPath(QStringLiteral("2026-05-01")), path);
}

void TestPicture::chosenPictureKeptWhenMovingOn()
{
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"), {});
    addTrip(QStringLiteral("2026-05-01"), QStringLiteral("Second"), {});
    const QString chosen = picture(QStringLiteral("pike.png"), QSize(90, 60));
    fake().openAnswers.enqueue(chosen);
    QVERIFY(openViewer());
    click("cmdSelect");
    QCOMPARE(fake().openRequests.size(), 1);
    QCOMPARE(fake().openRequests[0].title, QStringLiteral("Select Picture"));
    QCOMPARE(fake().openRequests[0].filter, QStringLiteral("All Files (*.*)|*.*|"));
    QCOMPARE(get<QPlainTextEdit>("Text1")->toPlainText(), chosen);
    QCOMPARE(area()->image().size(), QSize(90, 60));
    QCOMPARE(storedPath(QStringLiteral("2026-05-02")), QString()); // not before the trip changes
    chooseRow(1);
    QCOMPARE(storedPath(QStringLiteral("2026-05-02")), chosen);
    QCOMPARE(storedPath(QStringLiteral("2026-05-01")), QString());
    QCOMPARE(get<QPlainTextEdit>("Text1")->toPlainText(), QString());
}

void TestPicture::chosenPictureKeptWhenClosing()
{
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"), {});
    const QString first = picture(QStringLiteral("a.png"), QSize(30, 30));
    const QString last = picture(QStringLiteral("b.png"), QSize(40, 40));
    fake().openAnswers << first << last;
    QVERIFY(openViewer());
    click("cmdSelect");
    click("cmdSelect"); // browsing a folder: only the last one is kept
    click("cmdExit");
    QCOMPARE(storedPath(QStringLiteral("2026-05-02")), last);
    ScreenDriver::releaseClosed();
    QVERIFY(openViewer());
    QCOMPARE(area()->image().size(), QSize(40, 40));
}

void TestPicture::cancelledChooserChangesNothing()
{
    const QString path = picture(QStringLiteral("a.png"), QSize(30, 30));
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"), path);
    QVERIFY(openViewer());
    click("cmdSelect"); // the fake answers cancel
    m_viewer->close();
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(storedPath(QStringLiteral("2026-05-02")), path);
}

void TestPicture::chosenFileThatIsNoPicture()
{
    const QString path = picture(QStringLiteral("a.png"), QSize(30, 30));
    const QString notes = file(QStringLiteral("notes.txt"));
    QVERIFY(writeAll(notes, "not a picture"));
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"), path);
    fake().openAnswers.enqueue(notes);
    QVERIFY(openViewer());
    click("cmdSelect");
    // No message; the area keeps its picture; the path is the trip's all the same.
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(area()->image().size(), QSize(30, 30));
    m_viewer->close();
    QCOMPARE(storedPath(QStringLiteral("2026-05-02")), notes);
}

void TestPicture::pathThatCannotBeWrittenIsSaid()
{
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"), {});
    QVERIFY(sql(QStringLiteral("CREATE TRIGGER full BEFORE UPDATE ON Log BEGIN "
                               "SELECT RAISE(ABORT, 'database or disk is full'); END")));
    fake().openAnswers.enqueue(picture(QStringLiteral("a.png"), QSize(30, 30)));
    QVERIFY(openViewer());
    click("cmdSelect");
    m_viewer->close();
    QCOMPARE(fake().messages.size(), 1);
    QVERIFY(fake().messages[0].text.startsWith(QStringLiteral("The picture could not be kept for its trip:")));
    QVERIFY(fake().messages[0].text.contains(QStringLiteral("database or disk is full")));
}

void TestPicture::printsWhatIsShown()
{
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"), picture(QStringLiteral("a.png"), {640, 480}));
    QVERIFY(openViewer());
    click("Command1");
    click("cmdPrint");
    QCOMPARE(fake().printedImages.size(), 1);
    QCOMPARE(fake().printedImages[0].size(), QSize(226, 169));
    // At (200, 200) twips, the size shown on screen in twips (15 to a pixel).
    QCOMPARE(fake().printedPlaces[0], QRectF(200 / 1440.0, 200 / 1440.0, 226 * 15 / 1440.0, 169 * 15 / 1440.0));
    QVERIFY(fake().messages.isEmpty());
}

void TestPicture::printFailures_data()
{
    QTest::addColumn<bool>("withPicture");
    QTest::addColumn<bool>("printerWorks");
    QTest::newRow("printer fails") << true << false;
    QTest::newRow("no picture shown") << false << true;
}

void TestPicture::printFailures()
{
    QFETCH(bool, withPicture);
    QFETCH(bool, printerWorks);
    addTrip(QStringLiteral("2026-05-02"), QStringLiteral("First"),
            withPicture ? picture(QStringLiteral("a.png"), {64, 48}) : QString());
    fake().printResult = printerWorks;
    QVERIFY(openViewer());
    click("cmdPrint");
    QCOMPARE(fake().lastMessageText(), QStringLiteral("There was a problem printing to your printer."));
    QCOMPARE(fake().messages.last().icon, MessageIcon::None);
}

void TestPicture::typedDateIsADate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("a day, the time of day kept") << "7/5/2026"
                                                 << "2026-07-05 06:30:00";
    QTest::newRow("no such day") << "2/30/2026"
                                 << "2026-07-04 06:30:00";
    QTest::newRow("not a date") << "next week"
                                << "2026-07-04 06:30:00";
}

// The trip's date typed into the grid: a day is stored as a date, anything else is refused and the date stays.
void TestPicture::typedDateIsADate()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    addTrip(QStringLiteral("2026-07-04 06:30:00"), QStringLiteral("Lake"), QString());
    QVERIFY(openViewer());
    const QModelIndex cell = grid()->model()->index(0, 0);
    grid()->setCurrentIndex(cell);
    grid()->edit(cell);
    // The grid deletes its editor once the typing is committed.
    QPointer<QLineEdit> editor = grid()->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("7/4/2026"));
    editor->setText(typed);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!editor || !editor->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(value("SELECT Date FROM Log").toString(), stored);
    const bool refused = stored.startsWith(QLatin1String("2026-07-04"));
    QCOMPARE(fake().messages.size(), refused ? 1 : 0);
    if (refused)
        QCOMPARE(lastMessage(), QStringLiteral("\"%1\" is not a date the fishing log can keep.\n"
                                               "The date picker cannot show this date.\n"
                                               "Choose a day from 1/1/0100 to 12/31/9999.")
                                    .arg(typed));
}

TF_TEST_MAIN(TestPicture)
#include "tst_frmpicture.moc"
