// Showing photographs as a trip or a best fish is chosen.
//   BM_PictureShow/24MP/natural   picture viewer: a grid row change to a 6000 × 4000 JPEG drawn at its size
//   BM_PictureShow/24MP/25%       the same with the 25% zoom in force
//   BM_BestfishRowChange/12MP     best fish: a row change to the next 4000 × 3000 photograph drawn
//   BM_ScreenOpen/frmBestfish/12MP  the best fish window opened on 1,000 fish, each with a photograph
// peak_MB is the process's peak resident memory after the case.

#include "FakePlatform.h"
#include "app/WindowCatalog.h"
#include "data/Schema.h"
#include "shell/Resources.h"
#include "shell/WindowRegistry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

QString g_folder;

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A photograph-like JPEG: smooth colour with fine detail, so it neither
// compresses to nothing nor decodes faster than a real one.
bool writePhoto(const QString &path, QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor::fromHsv(seed * 40 % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((seed * 40 + 180) % 360, 200, 90));
    p.fillRect(image.rect(), sky);
    p.setPen(QColor(255, 255, 255, 60));
    for (int y = 0; y < size.height(); y += 7)
        p.drawLine(0, y, size.width(), y + (y * 13 + seed) % 40);
    p.end();
    return image.save(path, "JPEG", 90);
}

bool exec(const QString &db, const QString &sql)
{
    sqlite3 *h = nullptr;
    sqlite3_open(db.toUtf8().constData(), &h);
    const bool ok = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(h);
    return ok;
}

class PaintWatch : public QObject
{
public:
    QWidget *target = nullptr;
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == target)
            painted = true;
        return false;
    }
};

bool waitForPaint(PaintWatch &watch)
{
    QElapsedTimer waited;
    waited.start();
    while (!watch.painted && waited.elapsed() < 10000)
        QCoreApplication::processEvents();
    return watch.painted;
}

void closeEverything()
{
    tf::WindowRegistry::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Alternates between the first two rows of a window's grid, timing each change
// until the picture area has been drawn again.
void rowChanges(benchmark::State &state, const char *window, const char *zoomButton)
{
    QWidget *w = tf::WindowRegistry::open(QString::fromLatin1(window));
    auto *grid = w ? w->findChild<QTableView *>(QStringLiteral("DBGrid1")) : nullptr;
    auto *area = w ? w->findChild<QWidget *>(QStringLiteral("Image1")) : nullptr;
    if (!grid || !area) {
        state.SkipWithError("the window or its picture area is missing");
        return;
    }
    w->show();
    QCoreApplication::processEvents();
    if (zoomButton)
        w->findChild<QAbstractButton *>(QLatin1String(zoomButton))->click();
    PaintWatch watch;
    watch.target = area;
    area->installEventFilter(&watch);
    int row = 0;
    for (auto _ : state) {
        row = 1 - row;
        watch.painted = false;
        grid->setCurrentIndex(grid->model()->index(row, 0));
        if (!waitForPaint(watch)) {
            state.SkipWithError("the picture was never drawn");
            break;
        }
    }
    state.counters["peak_MB"] = peakMegabytes();
    closeEverything();
}

void BM_PictureShowNatural(benchmark::State &state)
{
    rowChanges(state, "frmPicture", nullptr);
}

void BM_PictureShowQuarter(benchmark::State &state)
{
    rowChanges(state, "frmPicture", "Command1");
}

void BM_BestfishRowChange(benchmark::State &state)
{
    rowChanges(state, "frmBestfish", nullptr);
}

void BM_BestfishOpen(benchmark::State &state)
{
    for (auto _ : state) {
        QWidget *w = tf::WindowRegistry::open(QStringLiteral("frmBestfish"));
        auto *area = w ? w->findChild<QWidget *>(QStringLiteral("Image1")) : nullptr;
        if (!area) {
            state.SkipWithError("the window or its picture area is missing");
            break;
        }
        PaintWatch watch;
        watch.target = area;
        area->installEventFilter(&watch);
        w->show();
        if (!waitForPaint(watch)) {
            state.SkipWithError("the picture was never drawn");
            break;
        }
        state.PauseTiming();
        closeEverything();
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMegabytes();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tf::initResources();
    QTemporaryDir folder;
    g_folder = folder.path();
    const QString db = QDir(g_folder).filePath(tf::kDatabaseFileName);
    QStringList trips, fish;
    for (int i = 0; i < 2; ++i) {
        const QString big = QDir(g_folder).filePath(QStringLiteral("trip %1.jpg").arg(i));
        const QString photo = QDir(g_folder).filePath(QStringLiteral("fish %1.jpg").arg(i));
        if (!writePhoto(big, QSize(6000, 4000), i) || !writePhoto(photo, QSize(4000, 3000), i + 5)) {
            std::fprintf(stderr, "Cannot write the benchmark photographs\n");
            return 1;
        }
        trips << big;
        fish << photo;
    }
    bool ok = tf::createDatabase(db).ok;
    for (int i = 0; i < 2; ++i)
        ok = ok && exec(db, QStringLiteral("INSERT INTO Log (Date, Lake, Picture) VALUES ('2026-0%1-01', 'Lake', '%2')")
                                .arg(i + 1)
                                .arg(trips[i]));
    ok = ok && exec(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
                                       "INSERT INTO Bestfish (Fish, Date, BFPicture) SELECT 'Bass ' || i, "
                                       "'2026-05-01', CASE i % 2 WHEN 0 THEN '%1' ELSE '%2' END FROM n")
                            .arg(fish[0], fish[1]));
    if (!ok) {
        std::fprintf(stderr, "Cannot make the benchmark database\n");
        return 1;
    }
    tf::setPlatform(std::make_unique<tf::test::FakePlatform>(g_folder));
    tf::registerWindows();
    benchmark::RegisterBenchmark("BM_PictureShow/24MP/natural", BM_PictureShowNatural)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_PictureShow/24MP/25%", BM_PictureShowQuarter)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_BestfishRowChange/12MP", BM_BestfishRowChange)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_ScreenOpen/frmBestfish/12MP", BM_BestfishOpen)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
