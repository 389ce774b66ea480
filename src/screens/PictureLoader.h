#pragma once

// Pictures the user attaches to trips and best fish: a path to a file of any
// kind the user chose. Reading one must never bring the program down, whatever
// the file holds, and a photograph from a phone must come up the way it was
// held. PictureArea shows one decoded picture, stretched to its own size, and
// keeps no other copy of it.

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

namespace tf {

namespace PictureLoader {

// Pictures are limited to this many pixels, whatever size they are shown at:
// the photographs of today's phones and cameras (up to 200 megapixels, 800 MB
// decoded whole at four bytes a pixel) open, while a small file that declares
// an enormous picture is refused instead of exhausting memory.
inline constexpr qint64 kMaxDecodedPixels = 200'000'000;

// The picture's size as it is shown (turned upright), read from the file's
// header without decoding it; an empty size, and the reason in `why`, when the
// file is not a picture this program reads.
QSize uprightSize(const QString &path, QString *why = nullptr);

// Reads the picture upright. With a valid `size` the picture is decoded straight
// at that size (stretched in both directions, as the picture areas show it),
// which also keeps a large photograph small in memory; without one it is read at
// its own size. A null image, with the reason in `why`, when the file is missing,
// not a file, unreadable, not a picture, cut short or too large.
QImage read(const QString &path, const QSize &size = {}, QString *why = nullptr);

// The largest size with the picture's proportions that fits inside `box` (at
// least one pixel each way); a picture that fits already keeps its own size
// unless `enlarge`.
QSize fittedSize(const QSize &picture, const QSize &box, bool enlarge);

// Reads the picture whole and upright, at fittedSize() inside `box`.
QImage readFitted(const QString &path, const QSize &box, bool enlarge, QString *why = nullptr);

// Asks for an existing file of any kind ("Select Picture"); nullopt when the user chooses none.
std::optional<QString> askForFile(QWidget *parent);

} // namespace PictureLoader

// The area a picture is drawn in, stretched to fill it.
class PictureArea : public QWidget
{
    Q_OBJECT
public:
    explicit PictureArea(QWidget *parent = nullptr);

    void setImage(QImage image);
    void clear() { setImage({}); }
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

} // namespace tf
