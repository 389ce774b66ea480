// Reading the pictures users attach: the common formats, a phone photograph
// held upright, decoding straight at the size shown, and every kind of bad file
// answered as "no picture" without bringing the program down.

#include "TestMain.h"
#include "screens/PictureLoader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

using namespace tf;
using namespace tf::test;

namespace {

// A picture 40 × 20 pixels: left half red, right half blue.
QImage twoHalves()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    if (!writer.write(image))
        qWarning() << "cannot write" << format << writer.errorString();
    return bytes;
}

// A GIF of 4 × 3 pixels (the program has no GIF writer).
QByteArray smallGif()
{
    static const unsigned char bytes[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x03, 0x00, 0xf0, 0x00,
                                          0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0x21, 0xf9, 0x04, 0x00, 0x00,
                                          0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x00,
                                          0x00, 0x02, 0x04, 0x0c, 0x8e, 0x09, 0x05, 0x00, 0x3b};
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

// A JPEG that records the orientation a camera held sideways writes (6: turn a
// quarter clockwise to show it), in an Exif segment right after the start marker.
QByteArray withOrientation(const QByteArray &jpeg, quint16 orientation)
{
    QByteArray tiff("II*\0\x08\0\0\0", 8);      // little-endian header, first directory at 8
    tiff.append("\x01\0", 2);                   // one entry
    tiff.append("\x12\x01\x03\0\x01\0\0\0", 8); // tag 0x0112 (orientation), SHORT, count 1
    tiff.append(char(orientation & 0xff)).append(char(orientation >> 8)).append("\0\0", 2);
    tiff.append("\0\0\0\0", 4); // no next directory
    QByteArray app1("Exif\0\0", 6);
    app1 += tiff;
    QByteArray segment("\xff\xe1", 2);
    const quint16 length = quint16(app1.size() + 2);
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(app1);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A small PNG whose header declares 30,000 × 30,000 pixels (3.6 GB decoded).
QByteArray decompressionBomb()
{
    QByteArray png = encoded(QImage(8, 8, QImage::Format_RGB32), "png");
    // Signature (8), IHDR length (4), "IHDR" (4), width and height (8), ..., CRC over type and data.
    qToBigEndian<quint32>(30000, png.data() + 16);
    qToBigEndian<quint32>(30000, png.data() + 20);
    qToBigEndian<quint32>(crc32(png.mid(12, 17)), png.data() + 29);
    return png;
}

// A small JPEG whose frame header declares `size` (a decompression bomb when large).
QByteArray jpegDeclaring(const QSize &size)
{
    QByteArray jpeg = encoded(twoHalves(), "jpeg");
    // The baseline frame marker, then length (2), precision (1), height (2), width (2).
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    if (sof < 0)
        return {};
    qToBigEndian<quint16>(quint16(size.height()), jpeg.data() + sof + 5);
    qToBigEndian<quint16>(quint16(size.width()), jpeg.data() + sof + 7);
    return jpeg;
}

bool reddish(QRgb c)
{
    return qRed(c) > 180 && qBlue(c) < 80;
}
bool bluish(QRgb c)
{
    return qBlue(c) > 180 && qRed(c) < 80;
}

} // namespace

class TestPictureLoader : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void formats_data();
    void formats();
    void phonePhotographShowsUpright();
    void decodesAtTheSizeShown();
    void cameraPhotographOpens();
    void fittedSizes_data();
    void fittedSizes();
    void pathWithSpacesAndNonLatinLetters();
    void badFiles_data();
    void badFiles();
    void fileWithoutReadPermission();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!writeAll(path, bytes))
            qWarning() << "cannot write" << path;
        return path;
    }
    QTemporaryDir m_dir;
};

void TestPictureLoader::formats_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    for (const char *f : {"png", "jpeg", "bmp", "webp", "tiff"})
        QTest::newRow(f) << QByteArray(f) << QByteArray() << QSize(40, 20);
    QTest::newRow("gif") << QByteArray("gif") << smallGif() << QSize(4, 3);
}

void TestPictureLoader::formats()
{
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    if (!QImageReader::supportedImageFormats().contains(format))
        QSKIP("This Qt has no plug-in for the format (scripts/setup installs them).");
    if (bytes.isEmpty())
        bytes = encoded(twoHalves(), format.constData());
    // Named without a known ending: the content decides.
    const QString path = write(QStringLiteral("picture.dat"), bytes);
    QString why;
    QCOMPARE(PictureLoader::uprightSize(path, &why), size);
    const QImage image = PictureLoader::read(path, {}, &why);
    QVERIFY2(!image.isNull(), qPrintable(why));
    QCOMPARE(image.size(), size);
    if (size == QSize(40, 20)) {
        QVERIFY(reddish(image.pixel(5, 10)));
        QVERIFY(bluish(image.pixel(35, 10)));
    }
}

void TestPictureLoader::phonePhotographShowsUpright()
{
    const QString path = write(QStringLiteral("portrait.jpg"), withOrientation(encoded(twoHalves(), "jpeg"), 6));
    QCOMPARE(PictureLoader::uprightSize(path), QSize(20, 40));
    const QImage image = PictureLoader::read(path);
    QCOMPARE(image.size(), QSize(20, 40));
    // Turned a quarter clockwise: the left (red) half is now on top.
    QVERIFY(reddish(image.pixel(10, 5)));
    QVERIFY(bluish(image.pixel(10, 35)));
    // Decoded at a size, that size is the upright one.
    const QImage small = PictureLoader::read(path, QSize(10, 30));
    QCOMPARE(small.size(), QSize(10, 30));
    QVERIFY(reddish(small.pixel(5, 3)));
    QVERIFY(bluish(small.pixel(5, 27)));
}

void TestPictureLoader::decodesAtTheSizeShown()
{
    // A photograph far larger than its area is stretched into it, proportions not kept.
    QImage big(4000, 3000, QImage::Format_RGB32);
    big.fill(Qt::red);
    const QString path = write(QStringLiteral("big.jpg"), encoded(big, "jpeg"));
    const QImage shown = PictureLoader::read(path, QSize(240, 189));
    QCOMPARE(shown.size(), QSize(240, 189));
    QVERIFY(reddish(shown.pixel(120, 90)));
}

void TestPictureLoader::cameraPhotographOpens()
{
    // 48 megapixels: whole (192 MB decoded) and small alike, as both windows read it.
    QImage photo(8000, 6000, QImage::Format_RGB32);
    photo.fill(Qt::red);
    const QString path = write(QStringLiteral("camera.jpg"), encoded(photo, "jpeg"));
    photo = QImage();
    QString why;
    QCOMPARE(PictureLoader::uprightSize(path, &why), QSize(8000, 6000));
    const QImage whole = PictureLoader::read(path, {}, &why);
    QVERIFY2(!whole.isNull(), qPrintable(why));
    QCOMPARE(whole.size(), QSize(8000, 6000));
    QVERIFY(reddish(whole.pixel(7999, 5999)));
    const QImage fitted = PictureLoader::readFitted(path, QSize(240, 189), true, &why);
    QCOMPARE(fitted.size(), QSize(240, 180));
    QVERIFY(reddish(fitted.pixel(120, 90)));
}

void TestPictureLoader::fittedSizes_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("enlarge");
    QTest::addColumn<QSize>("fitted"); // inside 514 × 387
    QTest::newRow("phone photograph") << QSize(4000, 3000) << false << QSize(514, 385);
    QTest::newRow("portrait") << QSize(3000, 4000) << false << QSize(290, 387);
    QTest::newRow("small keeps its size") << QSize(300, 200) << false << QSize(300, 200);
    QTest::newRow("small enlarged") << QSize(300, 200) << true << QSize(514, 342);
    QTest::newRow("thin panorama keeps a pixel") << QSize(100000, 10) << false << QSize(514, 1);
    QTest::newRow("no picture") << QSize() << true << QSize();
}

void TestPictureLoader::fittedSizes()
{
    QFETCH(QSize, picture);
    QFETCH(bool, enlarge);
    QFETCH(QSize, fitted);
    QCOMPARE(PictureLoader::fittedSize(picture, QSize(514, 387), enlarge), fitted);
}

void TestPictureLoader::pathWithSpacesAndNonLatinLetters()
{
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Fänge am Fluss/魚")));
    const QString path = write(QStringLiteral("Fänge am Fluss/魚/große Forelle.png"), encoded(twoHalves(), "png"));
    QCOMPARE(PictureLoader::read(path).size(), QSize(40, 20));
}

void TestPictureLoader::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // null: do not create the file
    // Big enough that the cut falls inside the picture data, not in the headers.
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    const QByteArray jpeg = encoded(photo, "jpeg");
    const QByteArray png = encoded(twoHalves(), "png");
    QTest::newRow("missing") << "gone.jpg" << QByteArray();
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray("");
    QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("Caught three bass at the point.\n");
    QTest::newRow("truncated JPEG") << "cut.jpg" << jpeg.left(jpeg.size() * 2 / 3);
    QTest::newRow("JPEG header only") << "head.jpg" << jpeg.left(20);
    QTest::newRow("truncated PNG") << "cut.png" << png.left(png.size() / 2);
    QTest::newRow("decompression bomb") << "bomb.png" << decompressionBomb();
    // Refused small too: no window shows what another refuses.
    QTest::newRow("JPEG bomb") << "bomb.jpg" << jpegDeclaring(QSize(30000, 30000));
    QTest::newRow("folder") << "folder.jpg" << QByteArray();
}

void TestPictureLoader::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(name);
    if (!bytes.isNull())
        write(name, bytes);
    if (name == QLatin1String("folder.jpg"))
        QVERIFY(QDir(m_dir.path()).mkdir(name));
    for (const QSize size : {QSize(), QSize(240, 189)}) {
        QString why;
        const QImage image = PictureLoader::read(path, size, &why);
        QVERIFY2(image.isNull(), qPrintable(name));
        QVERIFY(!why.isEmpty());
        // A bomb is refused from its header, before anything is decoded.
        if (name.startsWith(QLatin1String("bomb")))
            QVERIFY2(why.contains(QLatin1String("too large")), qPrintable(why));
    }
}

void TestPictureLoader::fileWithoutReadPermission()
{
    const QString path = write(QStringLiteral("locked.png"), encoded(twoHalves(), "png"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("This user reads files without read permission (root).");
    QString why;
    QVERIFY(PictureLoader::read(path, {}, &why).isNull());
    QVERIFY(PictureLoader::uprightSize(path).isEmpty());
    QVERIFY(!why.isEmpty());
}

TF_TEST_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
