#include "ArtFiles.h"
#include "Frame.h"
#include "MoonPictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <cmath>
#include <cstdio>

namespace artgen {

namespace {

class Report
{
public:
    void fail(const QString &what)
    {
        std::fprintf(stderr, "FAIL %s\n", qPrintable(what));
        ++faults_;
    }
    bool ok() const { return faults_ == 0; }

private:
    int faults_ = 0;
};

int grey(const QImage &img, int x, int y)
{
    return img.constScanLine(y)[x];
}

// The frame must hug the outline: a few pixels inside each side the moulding
// is gilt (clearly more red than blue), whatever the picture beneath.
void checkBackground(const QImage &img, Report &report)
{
    const QPolygonF outline = windowOutline();
    const QRectF box = outline.boundingRect();
    const QPointF probes[] = {{box.center().x(), box.top() + 4},  {box.center().x(), box.bottom() - 4},
                              {box.left() + 4, box.center().y()}, {box.right() - 4, box.center().y()},
                              {box.left() + 150, box.top() + 4},  {box.right() - 150, box.bottom() - 4}};
    for (const QPointF &p : probes) {
        const QRgb c = img.pixel(int(p.x()), int(p.y()));
        if (qRed(c) < qBlue(c) + 60)
            report.fail(QStringLiteral("background: no gilt frame at %1,%2").arg(p.x()).arg(p.y()));
    }
}

// A lit pixel stands well above the dimmed face, an unlit one is the dimmed
// face; both judged against the full Moon at the same place.
void checkTerminator(int id, const QImage &img, const QImage &full, Report &report)
{
    const double phase = radians(moonPhaseForId(id));
    const double cx = (kDiscLeft + kDiscRight + 1) / 2.0, cy = (kDiscTop + kDiscBottom + 1) / 2.0;
    const double r = (kDiscRight - kDiscLeft + 1) / 2.0;
    const bool waxing = std::sin(phase) >= 0;
    int litChecked = 0, litWrong = 0, darkWrong = 0;
    for (int y = kDiscTop + 4; y <= kDiscBottom - 4; y += 3) {
        const double v = (y + 0.5 - cy) / r;
        const double halfWidth = r * std::sqrt(std::max(0.0, 1 - v * v));
        // The terminator is the projected great circle, an ellipse of half-width
        // R·|cos phase|; lit to its right while waxing, to its left while waning.
        const double xt = cx + (waxing ? 1 : -1) * halfWidth * std::cos(phase);
        for (int x = kDiscLeft; x <= kDiscRight; ++x) {
            const double px = x + 0.5;
            if (std::abs(px - cx) > halfWidth - 3)
                continue;
            const int f = grey(full, x, y);
            if (f < 70)
                continue;
            // The Sun stands low next to the terminator, so the lit side only
            // reaches its brightness some pixels away; the dark side starts at
            // once, past the slight softening.
            const bool shouldBeLit = waxing ? px > xt : px < xt;
            if (std::abs(px - xt) < (shouldBeLit ? 9 : 4))
                continue;
            const double ratio = double(grey(img, x, y)) / f;
            if (shouldBeLit) {
                ++litChecked;
                litWrong += ratio < 0.3;
            } else {
                darkWrong += ratio > 0.22;
            }
        }
    }
    // A crater wall turned from a low Sun may lie in shadow; a bright spot
    // on the night side is always a fault.
    if (darkWrong > 0 || litWrong * 100 > litChecked)
        report.fail(QStringLiteral("moon %1: %2 lit and %3 dark pixels on the wrong side of the terminator")
                        .arg(id)
                        .arg(litWrong)
                        .arg(darkWrong));
}

void checkMoons(const QString &resourceDir, Report &report)
{
    std::vector<QImage> moons;
    for (int i = 0; i < kMoonPictureCount; ++i) {
        const int id = kFirstMoonId + i;
        QImage img(QDir(resourceDir).filePath(QStringLiteral("moon/moon%1.png").arg(id)));
        if (img.isNull() || img.size() != QSize(kMoonPictureSize, kMoonPictureSize) || !img.isGrayscale()) {
            report.fail(QStringLiteral("moon %1: missing, wrong size or not grey").arg(id));
            return;
        }
        img = img.convertToFormat(QImage::Format_Grayscale8);
        // Black outside columns 12..88 and rows 11..87, and the disc reaching
        // all four of those bounds.
        int outside = 0, left = 0, right = 0, top = 0, bottom = 0;
        for (int y = 0; y < kMoonPictureSize; ++y) {
            for (int x = 0; x < kMoonPictureSize; ++x) {
                if (grey(img, x, y) == 0)
                    continue;
                if (x < kDiscLeft || x > kDiscRight || y < kDiscTop || y > kDiscBottom)
                    ++outside;
                left += x == kDiscLeft;
                right += x == kDiscRight;
                top += y == kDiscTop;
                bottom += y == kDiscBottom;
            }
        }
        if (outside > 0)
            report.fail(QStringLiteral("moon %1: %2 lit pixels outside the disc").arg(id).arg(outside));
        if (!left || !right || !top || !bottom)
            report.fail(
                QStringLiteral("moon %1: the disc does not reach columns 12 and 88 and rows 11 and 87").arg(id));
        moons.push_back(img);
    }

    const QImage &full = moons[(191 - kFirstMoonId)];
    const QImage &fresh = moons[0];
    // The new Moon is the full Moon at a sixth of its brightness, pixel by
    // pixel: the same face, dimmed.
    double sumNew = 0, sumFull = 0, sumNN = 0, sumFF = 0, sumNF = 0;
    int n = 0;
    for (int y = kDiscTop; y <= kDiscBottom; ++y) {
        for (int x = kDiscLeft; x <= kDiscRight; ++x) {
            const double a = grey(fresh, x, y), b = grey(full, x, y);
            sumNew += a;
            sumFull += b;
            sumNN += a * a;
            sumFF += b * b;
            sumNF += a * b;
            ++n;
        }
    }
    const double share = sumNew / sumFull;
    if (share < 0.15 || share > 0.19)
        report.fail(QStringLiteral("moon 101: the dark side is %1 of the full brightness, not a sixth").arg(share));
    const double cov = sumNF / n - sumNew / n * sumFull / n;
    const double corr = cov / std::sqrt((sumNN / n - std::pow(sumNew / n, 2)) * (sumFF / n - std::pow(sumFull / n, 2)));
    if (corr < 0.95)
        report.fail(QStringLiteral("moon 101 and 191 do not show the same face (correlation %1)").arg(corr));

    for (int i = 0; i < kMoonPictureCount; ++i)
        checkTerminator(kFirstMoonId + i, moons[i], full, report);
}

} // namespace

bool checkArt(const QString &resourceDir)
{
    Report report;
    const QDir dir(resourceDir);
    for (const ArtFile &f : artFiles()) {
        const QImage img(dir.filePath(f.path));
        if (img.isNull())
            report.fail(QStringLiteral("%1: missing or unreadable").arg(f.path));
        else if (img.size() != f.size)
            report.fail(QStringLiteral("%1: %2 × %3, expected %4 × %5")
                            .arg(f.path)
                            .arg(img.width())
                            .arg(img.height())
                            .arg(f.size.width())
                            .arg(f.size.height()));
    }
    const QImage background(dir.filePath(QStringLiteral("background.png")));
    if (!background.isNull())
        checkBackground(background, report);
    for (const char *name : {"minimize.png", "close.png", "about.png", "update.png", "search.png", "tallyfin.png"}) {
        const QImage img(dir.filePath(QString::fromLatin1(name)));
        if (img.isNull())
            continue;
        // Round pictures: transparent in the corners, opaque in the middle.
        if (!img.hasAlphaChannel() || qAlpha(img.pixel(0, 0)) != 0 ||
            qAlpha(img.pixel(img.width() / 2, img.height() / 2)) != 255)
            report.fail(QStringLiteral("%1: should be round on a transparent square").arg(QString::fromLatin1(name)));
    }
    checkMoons(resourceDir, report);

    QFile qrc(dir.filePath(QStringLiteral("art.qrc")));
    if (!qrc.open(QIODevice::ReadOnly) || QString::fromUtf8(qrc.readAll()) != artQrc())
        report.fail(QStringLiteral("art.qrc: missing or not the list of the pictures"));
    if (report.ok())
        std::printf("artgen: %zu pictures checked, all fine\n", artFiles().size());
    return report.ok();
}

} // namespace artgen
