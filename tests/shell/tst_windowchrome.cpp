// The shaped windows' chrome: outline and region, dragging, the picture
// buttons, the shape after minimize and restore; bars; the ordinary frames.

#include "FakePlatform.h"
#include "TestMain.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

using namespace tf;

namespace {

// The outline as the window's shape is drawn up: 52 vertices, in order.
const int kVertices[52][2] = {
    {2, 15},    {3, 14},    {4, 11},    {5, 9},     {6, 8},     {7, 7},     {8, 6},     {10, 5},    {11, 4},
    {13, 3},    {14, 3},    {745, 3},   {746, 4},   {747, 4},   {748, 5},   {749, 5},   {751, 6},   {752, 7},
    {753, 8},   {754, 9},   {755, 10},  {755, 11},  {756, 12},  {756, 13},  {756, 14},  {757, 15},  {757, 17},
    {757, 544}, {756, 545}, {756, 547}, {755, 548}, {754, 550}, {754, 551}, {753, 552}, {752, 553}, {751, 554},
    {750, 554}, {749, 555}, {747, 556}, {746, 557}, {744, 557}, {15, 557},  {13, 556},  {10, 555},  {9, 554},
    {7, 553},   {6, 552},   {5, 550},   {4, 549},   {3, 547},   {2, 544},   {2, 16}};

class ShapedWindow : public QWidget
{
public:
    ShapedWindow()
    {
        setObjectName(QStringLiteral("frmLogs"));
        chrome = new WindowChrome(this);
        button = new QPushButton(QStringLiteral("Save"), this);
        button->setGeometry(300, 300, 90, 30);
        label = new QLabel(QStringLiteral("A label"), this);
        label->setGeometry(100, 300, 90, 30);
    }
    WindowChrome *chrome;
    QPushButton *button;
    QLabel *label;
};

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

// Moves the pointer to a screen position while `buttons` are held, as the
// window would see it.
void movePointerTo(QWidget *window, QPoint global, Qt::MouseButtons buttons)
{
    const QPoint local = global - window->mapToGlobal(QPoint(0, 0));
    QMouseEvent e(QEvent::MouseMove, QPointF(local), QPointF(global), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(window, &e);
}

} // namespace

class TestWindowChrome : public QObject
{
    Q_OBJECT
private slots:
    void outlineIsTheVertexTable();
    void regionFromOutline_data();
    void regionFromOutline();
    void windowLook();
    void drag_data();
    void drag();
    void anchorHeldDuringDrag();
    void pictureButtons();
    void shapeSurvivesMinimizeAndRestore();
    void centredAtFirstShowOnly();
    void barHidesAndDisablesAsWhole();
    void ordinaryFrames_data();
    void ordinaryFrames();
};

void TestWindowChrome::outlineIsTheVertexTable()
{
    const QPolygon &outline = shapedOutline();
    QCOMPARE(outline.size(), 52);
    QPolygon expected;
    for (const auto &v : kVertices)
        expected << QPoint(v[0], v[1]);
    for (int i = 0; i < 52; ++i)
        QVERIFY2(outline.at(i) == expected.at(i), qPrintable(QStringLiteral("vertex %1").arg(i + 1)));

    // The window carries exactly the even-odd filled polygon as its mask.
    ShapedWindow w;
    QCOMPARE(w.mask(), QRegion(expected, Qt::OddEvenFill));
    QCOMPARE(w.mask().boundingRect(), QRect(QPoint(2, 3), QPoint(756, 556)));
}

void TestWindowChrome::regionFromOutline_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    // The four corner triangles between the outline and the window rectangle
    // let clicks through to whatever lies behind.
    QTest::newRow("top-left corner") << QPoint(0, 0) << false;
    QTest::newRow("top-left triangle") << QPoint(5, 5) << false;
    QTest::newRow("top-left just inside") << QPoint(8, 8) << true;
    QTest::newRow("top-right corner") << QPoint(762, 0) << false;
    QTest::newRow("top-right triangle") << QPoint(752, 5) << false;
    QTest::newRow("top-right just inside") << QPoint(750, 8) << true;
    QTest::newRow("bottom-left triangle") << QPoint(4, 554) << false;
    QTest::newRow("bottom-right triangle") << QPoint(754, 554) << false;
    QTest::newRow("bottom-right corner") << QPoint(762, 563) << false;
    QTest::newRow("left edge") << QPoint(2, 280) << true;
    QTest::newRow("left of the left edge") << QPoint(1, 280) << false;
    QTest::newRow("right edge") << QPoint(756, 280) << true;
    QTest::newRow("right of the right edge") << QPoint(757, 280) << false;
    QTest::newRow("top edge") << QPoint(380, 3) << true;
    QTest::newRow("above the top edge") << QPoint(380, 2) << false;
    QTest::newRow("bottom edge") << QPoint(380, 556) << true;
    QTest::newRow("below the bottom edge") << QPoint(380, 557) << false;
    QTest::newRow("middle") << QPoint(381, 282) << true;
    QTest::newRow("client strip beyond the picture") << QPoint(761, 300) << false;
}

void TestWindowChrome::regionFromOutline()
{
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    ShapedWindow w;
    QCOMPARE(w.mask().contains(point), inside);
}

void TestWindowChrome::windowLook()
{
    ShapedWindow w;
    QCOMPARE(w.size(), QSize(763, 564));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.windowTitle(), QStringLiteral("Fishing Logs"));
    // The background is painted at the top left: a pixel well inside the
    // frame is the picture's, not the window colour.
    w.show();
    const QImage shot = w.grab().toImage();
    QCOMPARE(shot.size(), QSize(763, 564));
    QVERIFY(shot.pixelColor(200, 200) != w.palette().color(QPalette::Window));
}

void TestWindowChrome::drag_data()
{
    QTest::addColumn<QString>("pressOn");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("moves");
    QTest::newRow("left button on background") << "background" << int(Qt::LeftButton) << true;
    QTest::newRow("right button on background") << "background" << int(Qt::RightButton) << false;
    QTest::newRow("both buttons on background") << "background" << int(Qt::LeftButton | Qt::RightButton) << false;
    QTest::newRow("middle button on background") << "background" << int(Qt::MiddleButton) << false;
    QTest::newRow("left button on a label") << "label" << int(Qt::LeftButton) << false;
    QTest::newRow("left button on a button") << "button" << int(Qt::LeftButton) << false;
}

void TestWindowChrome::drag()
{
    QFETCH(QString, pressOn);
    QFETCH(int, buttons);
    QFETCH(bool, moves);
    ShapedWindow w;
    w.show();
    w.move(100, 80);
    const QPoint start = w.pos();

    QWidget *target = &w;
    QPoint local(200, 60); // open background near the top
    if (pressOn == QLatin1String("label"))
        target = w.label, local = QPoint(10, 10);
    else if (pressOn == QLatin1String("button"))
        target = w.button, local = QPoint(10, 10);
    const QPoint pressGlobal = target->mapToGlobal(local);
    const Qt::MouseButtons held(buttons);
    // Press the buttons one after another, as a hand would.
    Qt::MouseButtons down;
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (held & b) {
            down |= b;
            sendMouse(target, QEvent::MouseButtonPress, local, b, down);
        }
    }
    // Several moves, the last one the one that counts.
    const QPoint steps[] = {QPoint(7, 3), QPoint(37, -15), QPoint(-20, 140), QPoint(123, 45)};
    for (const QPoint &d : steps)
        movePointerTo(&w, pressGlobal + d, held);
    const QPoint expected = moves ? start + QPoint(123, 45) : start;
    QCOMPARE(w.pos(), expected);
}

void TestWindowChrome::anchorHeldDuringDrag()
{
    ShapedWindow w;
    w.show();
    w.move(50, 50);
    sendMouse(&w, QEvent::MouseButtonPress, QPoint(240, 30), Qt::LeftButton, Qt::LeftButton);
    const QPoint anchor = w.chrome->dragAnchor();
    QCOMPARE(anchor, QPoint(240, 30));
    QPoint global = w.mapToGlobal(anchor);
    // Many small moves add up to exactly their sum: nothing accumulates.
    for (int i = 0; i < 50; ++i) {
        global += QPoint(3, 2);
        movePointerTo(&w, global, Qt::LeftButton);
        QCOMPARE(w.chrome->dragAnchor(), anchor);
    }
    QCOMPARE(w.pos(), QPoint(50 + 150, 50 + 100));
    sendMouse(&w, QEvent::MouseButtonRelease, anchor, Qt::LeftButton, Qt::NoButton);
    // After the release, a move with the left button (a press elsewhere) does not drag.
    movePointerTo(&w, global + QPoint(40, 40), Qt::LeftButton);
    QCOMPARE(w.pos(), QPoint(200, 150));
}

void TestWindowChrome::pictureButtons()
{
    ShapedWindow w;
    w.show();
    auto *minimize = w.findChild<QToolButton *>(QStringLiteral("cmdMinimize"));
    auto *exit = w.findChild<QToolButton *>(QStringLiteral("cmdExit"));
    QVERIFY(minimize && exit);
    QCOMPARE(minimize->toolTip(), QStringLiteral(" Minimize "));
    QCOMPARE(exit->toolTip(), QStringLiteral(" Close "));
    QVERIFY(minimize->text().isEmpty() || minimize->toolButtonStyle() == Qt::ToolButtonIconOnly);
    QVERIFY(!minimize->icon().isNull());
    QVERIFY(!exit->icon().isNull());
    // Both lie inside the outline, where they can be clicked.
    QCOMPARE(w.mask().intersected(minimize->geometry()), QRegion(minimize->geometry()));
    QCOMPARE(w.mask().intersected(exit->geometry()), QRegion(exit->geometry()));

    QTest::mouseClick(minimize, Qt::LeftButton);
    QVERIFY(w.windowState() & Qt::WindowMinimized);
    w.showNormal();
    QTest::mouseClick(exit, Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

void TestWindowChrome::shapeSurvivesMinimizeAndRestore()
{
    ShapedWindow w;
    w.show();
    const QRegion shape = w.mask();
    w.showMinimized();
    QVERIFY(w.windowState() & Qt::WindowMinimized);
    w.showNormal();
    QVERIFY(!(w.windowState() & Qt::WindowMinimized));
    QCOMPARE(w.mask(), shape);
    QCOMPARE(w.mask(), shapedRegion());
}

void TestWindowChrome::centredAtFirstShowOnly()
{
    ShapedWindow w;
    w.show();
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY(qAbs(w.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(w.geometry().center().y() - screen.center().y()) <= 1);
    // Moved, hidden and shown again: it stays where the user put it.
    w.move(10, 20);
    w.hide();
    w.show();
    QCOMPARE(w.pos(), QPoint(10, 20));
}

void TestWindowChrome::barHidesAndDisablesAsWhole()
{
    QWidget window;
    QGroupBox *bar = makeBar(&window, QStringLiteral("jcMenu"), QStringLiteral("Menu"));
    QCOMPARE(bar->objectName(), QStringLiteral("jcMenu"));
    QCOMPARE(bar->title(), QStringLiteral("Menu"));
    auto *layout = new QVBoxLayout(bar);
    auto *b1 = new QPushButton(QStringLiteral("New"), bar);
    auto *label = new QLabel(QStringLiteral("Note"), bar);
    layout->addWidget(b1);
    layout->addWidget(label);
    window.show();
    QVERIFY(b1->isVisible() && label->isVisible());

    bar->setEnabled(false);
    QVERIFY(bar->isVisible());
    QVERIFY(!b1->isEnabled() && !label->isEnabled());
    QTest::mouseClick(b1, Qt::LeftButton);
    bar->setEnabled(true);
    QVERIFY(b1->isEnabled());

    bar->hide();
    QVERIFY(!b1->isVisible() && !label->isVisible());
    bar->show();
    QVERIFY(b1->isVisible() && label->isVisible());
}

void TestWindowChrome::ordinaryFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("fixed");
    QTest::newRow("frmRegister") << "frmRegister"
                                 << " Edit Name and Address" << true;
    QTest::newRow("frmUpdate") << "frmUpdate"
                               << "Check for Update" << true;
    QTest::newRow("frmAbout") << "frmAbout"
                              << "About" << true;
    QTest::newRow("frmMain") << "frmMain"
                             << "Lunar Calendar" << true;
    QTest::newRow("frmPrintfish") << "frmPrintfish"
                                  << "Select a Report" << true;
    QTest::newRow("frmDbutility") << "frmDbutility"
                                  << " Tallyfin Database Utility" << true;
    QTest::newRow("frmSearch") << "frmSearch"
                               << "Search Form" << false;
    QTest::newRow("frmCalendar") << "frmCalendar"
                                 << " Calendar" << false;
    QTest::newRow("frmPicture") << "frmPicture"
                                << "Picture Viewer" << false;
    QTest::newRow("frmReminders") << "frmReminders"
                                  << "Reminders" << false;
    QTest::newRow("frmMember") << "frmMember"
                               << "Fishing Memberships" << false;
    QTest::newRow("frmCredit") << "frmCredit"
                               << "Picture Credit" << false;
    QTest::newRow("frmPatterns") << "frmPatterns"
                                 << "Fishing Patterns" << false;
    QTest::newRow("frmOptions") << "frmOptions"
                                << "Database Options" << false;
}

void TestWindowChrome::ordinaryFrames()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, fixed);
    QWidget w;
    w.setObjectName(name);
    auto *layout = new QVBoxLayout(&w);
    layout->addWidget(new QPushButton(QStringLiteral("OK"), &w));
    setOrdinaryFrame(&w);
    w.show();
    QCOMPARE(w.windowTitle(), caption);
    QVERIFY(!(w.windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(w.windowFlags() & Qt::Window);
    const QPoint middle = w.screen()->availableGeometry().center();
    QVERIFY(qAbs(w.geometry().center().x() - middle.x()) <= 1);
    QVERIFY(qAbs(w.geometry().center().y() - middle.y()) <= 1);
    // A fixed frame keeps its size; a sizable one can be made larger.
    const QSize before = w.size();
    w.resize(before + QSize(120, 90));
    QCOMPARE(w.size() == before, fixed);
}

TF_TEST_MAIN(TestWindowChrome)
#include "tst_windowchrome.moc"
