#include "MoonPictures.h"

#include <QDir>
#include <algorithm>
#include <cstdio>

namespace artgen {

namespace {
// Lifts the mid-tones the way a photograph of the Moon is usually printed.
constexpr double kGamma = 1.45;
} // namespace

MoonPainter::MoonPainter(const MoonSurface &surface, int imageSize, double cx, double cy, double radius,
                         int supersample)
    : maps_(surface.render(imageSize * supersample, imageSize * supersample, cx * supersample, cy * supersample,
                           radius * supersample)),
      size_(imageSize), ss_(supersample)
{
    const Vec3 viewer{0, 0, 1};
    std::vector<double> full;
    full.reserve(maps_.samples.size());
    for (const MoonSample &s : maps_.samples)
        full.push_back(MoonSurface::radiance(s, viewer));

    // Expose so that only the brightest few highlights reach white.
    std::vector<double> lit;
    for (std::size_t k = 0; k < full.size(); ++k)
        if (maps_.samples[k].inside)
            lit.push_back(full[k]);
    std::sort(lit.begin(), lit.end());
    reference_ = lit.empty() ? 1 : lit[std::size_t(double(lit.size() - 1) * 0.997)] / 0.93;

    fullTone_.reserve(full.size());
    for (double v : full)
        fullTone_.push_back(tone(v));
}

double MoonPainter::tone(double radiance) const
{
    return std::pow(clamp01(radiance / reference_), 1 / kGamma);
}

template <typename Fn> void MoonPainter::eachPixel(double phaseDegrees, bool withUnlit, Fn &&fn) const
{
    const Vec3 sun = MoonSurface::sunForPhase(phaseDegrees);
    const double perPixel = 1.0 / (ss_ * ss_);
    for (int y = 0; y < size_; ++y) {
        for (int x = 0; x < size_; ++x) {
            double sum = 0, cover = 0;
            for (int j = 0; j < ss_; ++j) {
                for (int i = 0; i < ss_; ++i) {
                    const std::size_t k = std::size_t(y * ss_ + j) * maps_.width + std::size_t(x * ss_ + i);
                    const MoonSample &s = maps_.samples[k];
                    if (!s.inside)
                        continue;
                    const double lit = tone(MoonSurface::radiance(s, sun));
                    const double dim = withUnlit ? fullTone_[k] * kUnlitShare : 0;
                    // A smooth maximum: the lit side where the Sun shines, the
                    // dimmed face elsewhere, without a seam between them.
                    sum += std::sqrt(lit * lit + dim * dim);
                    cover += 1;
                }
            }
            fn(x, y, sum * perPixel, cover * perPixel);
        }
    }
}

QImage MoonPainter::picture(double phaseDegrees) const
{
    QImage image(size_, size_, QImage::Format_Grayscale8);
    image.fill(0);
    eachPixel(phaseDegrees, true, [&](int x, int y, double value, double) {
        image.scanLine(y)[x] = uchar(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    });
    return image;
}

QImage MoonPainter::litDisc(double phaseDegrees) const
{
    QImage image(size_, size_, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    eachPixel(phaseDegrees, false, [&](int x, int y, double value, double cover) {
        // Premultiplied: colour channels already carry the coverage.
        const int g = int(std::lround(std::clamp(value, 0.0, 1.0) * 255));
        const int a = int(std::lround(cover * 255));
        reinterpret_cast<QRgb *>(image.scanLine(y))[x] = qRgba(std::min(g, a), std::min(g, a), std::min(g, a), a);
    });
    return image;
}

bool writeMoonPictures(const QString &resourceDir, QStringList &written)
{
    QDir dir(resourceDir);
    if (!dir.mkpath(QStringLiteral("moon")))
        return false;
    const MoonSurface surface;
    // The disc spans pixel edges 12..89 and 11..88: centre (50.5, 49.5), radius 38.5.
    const double cx = (kDiscLeft + kDiscRight + 1) / 2.0, cy = (kDiscTop + kDiscBottom + 1) / 2.0;
    const double radius = (kDiscRight - kDiscLeft + 1) / 2.0;
    const MoonPainter painter(surface, kMoonPictureSize, cx, cy, radius, 5);
    for (int i = 0; i < kMoonPictureCount; ++i) {
        const int id = kFirstMoonId + i;
        const QString name = QStringLiteral("moon/moon%1.png").arg(id);
        if (!painter.picture(moonPhaseForId(id)).save(dir.filePath(name), "PNG", 9)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(dir.filePath(name)));
            return false;
        }
        written << name;
    }
    return true;
}

} // namespace artgen
