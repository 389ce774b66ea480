// artgen: renders all of Tallyfin's own pictures into the resources folder.
//
//   artgen RESOURCES            write the pictures and art.qrc
//   artgen --check RESOURCES    verify the pictures on disk
//   artgen --icons DIR          write only the program's icon at the sizes a
//                               desktop's menus and launchers ask for (packaging)
//   artgen --preview DIR        also write the background as a shaped window
//                               shows it (cut to the outline) into DIR

#include "ArtFiles.h"
#include "Frame.h"
#include "Icons.h"
#include "MoonPictures.h"
#include "Scene.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <cstdio>

namespace artgen {

std::vector<ArtFile> artFiles()
{
    std::vector<ArtFile> files;
    auto add = [&](const QString &name, int w, int h) {
        files.push_back({name, QStringLiteral("/art"), name, QSize(w, h)});
    };
    add(QStringLiteral("background.png"), 760, 560);
    // Picture buttons, each with a double-resolution twin for high-density
    // screens (Qt picks up the "@2x" file by itself).
    auto button = [&](const QString &name, int side) {
        add(name + QStringLiteral(".png"), side, side);
        add(name + QStringLiteral("@2x.png"), 2 * side, 2 * side);
    };
    button(QStringLiteral("minimize"), 20);
    button(QStringLiteral("close"), 20);
    button(QStringLiteral("about"), 32);
    button(QStringLiteral("update"), 32);
    button(QStringLiteral("search"), 32);
    button(QStringLiteral("trip"), 32);
    button(QStringLiteral("weather"), 32);
    button(QStringLiteral("conditions"), 32);
    add(QStringLiteral("tallyfin.png"), 256, 256);
    add(QStringLiteral("picture.png"), 150, 100);
    add(QStringLiteral("credit.png"), 360, 240);
    for (int i = 0; i < kMoonPictureCount; ++i) {
        const int id = kFirstMoonId + i;
        files.push_back({QStringLiteral("moon/moon%1.png").arg(id), QStringLiteral("/moon"),
                         QStringLiteral("%1.png").arg(id), QSize(kMoonPictureSize, kMoonPictureSize)});
    }
    return files;
}

QString artQrc()
{
    QString out = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n");
    QString prefix;
    for (const ArtFile &f : artFiles()) {
        if (f.prefix != prefix) {
            if (!prefix.isEmpty())
                out += QStringLiteral("</qresource>\n");
            out += QStringLiteral("<qresource prefix=\"%1\">\n").arg(f.prefix);
            prefix = f.prefix;
        }
        out += QStringLiteral("    <file alias=\"%1\">%2</file>\n").arg(f.alias, f.path);
    }
    out += QStringLiteral("</qresource>\n</RCC>\n");
    return out;
}

} // namespace artgen

namespace {

using namespace artgen;

bool save(const QImage &img, const QDir &dir, const QString &name)
{
    if (img.save(dir.filePath(name), "PNG", 9))
        return true;
    std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(dir.filePath(name)));
    return false;
}

// The desktop's icon theme wants the icon at each of these sizes; each is drawn
// for its size rather than scaled down, so the small ones stay crisp.
bool writeDesktopIcons(const QString &outDir, const MoonSurface &moon)
{
    QDir dir(outDir);
    if (!dir.mkpath(QStringLiteral(".")))
        return false;
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        ok = ok && save(renderAppIcon(size, moon), dir, QStringLiteral("tallyfin-%1.png").arg(size));
    return ok;
}

bool generate(const QString &resourceDir)
{
    QDir dir(resourceDir);
    if (!dir.exists()) {
        std::fprintf(stderr, "artgen: no folder %s\n", qPrintable(resourceDir));
        return false;
    }
    const MoonSurface moon;
    QImage background = renderLakeScene(760, 560, moon);
    drawFrame(background, windowOutline());
    bool ok = save(background, dir, QStringLiteral("background.png"));

    const struct
    {
        const char *name;
        ButtonGlyph glyph;
        int side;
    } buttons[] = {{"minimize", ButtonGlyph::Minimize, 20},
                   {"close", ButtonGlyph::Close, 20},
                   {"about", ButtonGlyph::About, 32},
                   {"update", ButtonGlyph::Update, 32},
                   {"search", ButtonGlyph::Search, 32}};
    for (const auto &b : buttons) {
        ok = ok && save(renderButton(b.glyph, b.side), dir, QString::fromLatin1(b.name) + QStringLiteral(".png"));
        ok =
            ok && save(renderButton(b.glyph, 2 * b.side), dir, QString::fromLatin1(b.name) + QStringLiteral("@2x.png"));
    }
    const struct
    {
        const char *name;
        HeadingGlyph glyph;
    } headings[] = {
        {"trip", HeadingGlyph::Trip}, {"weather", HeadingGlyph::Weather}, {"conditions", HeadingGlyph::Conditions}};
    for (const auto &h : headings) {
        ok = ok && save(renderHeading(h.glyph, 32), dir, QString::fromLatin1(h.name) + QStringLiteral(".png"));
        ok = ok && save(renderHeading(h.glyph, 64), dir, QString::fromLatin1(h.name) + QStringLiteral("@2x.png"));
    }
    ok = ok && save(renderAppIcon(256, moon), dir, QStringLiteral("tallyfin.png"));
    ok = ok && writeDesktopIcons(dir.filePath(QStringLiteral("icons")), moon);
    // The credit painting is rendered once at the larger size; the control
    // panel's copy is scaled from it so both show the same picture, and each
    // gets a frame to its own scale.
    const QImage painting = renderPainting(360, 240, moon);
    QImage credit = painting;
    framePicture(credit, 0.8);
    ok = ok && save(credit, dir, QStringLiteral("credit.png"));
    QImage small = painting.scaled(150, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    framePicture(small, 0.45);
    ok = ok && save(small, dir, QStringLiteral("picture.png"));

    QStringList moons;
    ok = ok && writeMoonPictures(resourceDir, moons);

    QFile qrc(dir.filePath(QStringLiteral("art.qrc")));
    if (ok && qrc.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ok = qrc.write(artQrc().toUtf8()) >= 0;
    else
        ok = false;
    return ok;
}

// The background as a shaped window shows it: cut to the outline by a region
// built the same way the windows build theirs, over a checked desktop.
bool preview(const QString &resourceDir, const QString &outDir)
{
    const QImage background(QDir(resourceDir).filePath(QStringLiteral("background.png")));
    if (background.isNull())
        return false;
    QImage desktop(763, 564, QImage::Format_RGB32);
    QPainter p(&desktop);
    for (int y = 0; y < desktop.height(); y += 8)
        for (int x = 0; x < desktop.width(); x += 8)
            p.fillRect(x, y, 8, 8, ((x + y) / 8) % 2 ? QColor(230, 60, 200) : QColor(250, 250, 250));
    p.setClipRegion(QRegion(windowOutline().toPolygon(), Qt::OddEvenFill));
    p.drawImage(0, 0, background);
    p.end();
    return desktop.save(QDir(outDir).filePath(QStringLiteral("background-masked.png")));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QStringLiteral("--check"))
        return checkArt(args[1]) ? 0 : 1;
    if (args.size() == 2 && args[0] == QStringLiteral("--icons"))
        return writeDesktopIcons(args[1], MoonSurface()) ? 0 : 1;
    if (args.size() == 3 && args[0] == QStringLiteral("--preview"))
        return preview(args[2], args[1]) ? 0 : 1;
    if (args.size() == 1 && !args[0].startsWith(QLatin1Char('-')))
        return generate(args[0]) ? 0 : 1;
    std::fprintf(stderr, "usage: artgen RESOURCES | artgen --check RESOURCES | artgen --icons OUTDIR | artgen "
                         "--preview OUTDIR RESOURCES\n");
    return 2;
}
