#include "screens/PictureLoader.h"

#include "platform/Platform.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>

namespace tf {

namespace {

// A JPEG cut short (a copy or download that stopped early) still decodes: the
// decoder pads the missing part with grey and only warns. That warning is the
// one sign of the damage, so it is caught while a picture is read; every other
// message passes on to whoever handled messages before.
class TruncationWatch
{
public:
    TruncationWatch() : m_previous(qInstallMessageHandler(&TruncationWatch::handle)) { s_active = this; }
    ~TruncationWatch()
    {
        s_active = nullptr;
        qInstallMessageHandler(m_previous);
    }
    TruncationWatch(const TruncationWatch &) = delete;
    TruncationWatch &operator=(const TruncationWatch &) = delete;

    bool truncated() const { return m_truncated; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        TruncationWatch *watch = s_active;
        if (watch && text.contains(QLatin1String("Premature end of"), Qt::CaseInsensitive)) {
            watch->m_truncated = true;
            return;
        }
        if (watch && watch->m_previous)
            watch->m_previous(type, context, text);
    }

    static inline TruncationWatch *s_active = nullptr;
    QtMessageHandler m_previous;
    bool m_truncated = false;
};

bool turnedSideways(const QImageReader &reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

// Opens a reader on a plain, readable file that holds a picture format we know.
bool openReader(QImageReader &reader, const QString &path, QString *why)
{
    const auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("No picture file was named."));
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("The file does not exist."));
    if (!info.isFile())
        return fail(QStringLiteral("This is not a file."));
    if (info.size() == 0)
        return fail(QStringLiteral("The file is empty."));
    // Qt's own limit on one decoded picture (128 MB) would refuse a camera's
    // photograph; ours is the number of pixels the header declares, checked
    // before decoding, and this only backs it up for formats that declare none.
    static const bool allocationLimitSet = [] {
        constexpr qint64 bytes = PictureLoader::kMaxDecodedPixels * 4;
        const int megabytes = int((bytes + (1 << 20) - 1) >> 20);
        if (QImageReader::allocationLimit() < megabytes)
            QImageReader::setAllocationLimit(megabytes);
        return true;
    }();
    Q_UNUSED(allocationLimitSet);
    reader.setFileName(path);
    reader.setAutoTransform(true);
    // Decide by content, not by the name: a text file called .jpg is no picture.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return fail(reader.error() == QImageReader::FileNotFoundError ? QStringLiteral("The file cannot be read.")
                                                                      : QStringLiteral("This is not a picture."));
    return true;
}

} // namespace

namespace PictureLoader {

QSize uprightSize(const QString &path, QString *why)
{
    QImageReader reader;
    if (!openReader(reader, path, why))
        return {};
    QSize size = reader.size();
    if (!size.isValid()) {
        // Some formats tell their size only by decoding.
        const QImage image = read(path, {}, why);
        return image.isNull() ? QSize() : image.size();
    }
    if (turnedSideways(reader))
        size.transpose();
    return size;
}

QImage read(const QString &path, const QSize &size, QString *why)
{
    const auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return QImage();
    };
    QImageReader reader;
    if (!openReader(reader, path, why))
        return {};
    const QSize declared = reader.size();
    const bool scaled = size.isValid() && !size.isEmpty();
    // One limit whatever the size shown: a picture that opens in one window
    // opens in every other, and a JPEG decoded small is no way round it.
    if (declared.isValid() && qint64(declared.width()) * declared.height() > kMaxDecodedPixels)
        return fail(
            QStringLiteral("The picture is too large (%1 × %2 pixels).").arg(declared.width()).arg(declared.height()));
    if (scaled) {
        // The scaled size is the decoder's, before the picture is turned upright.
        QSize stored = size;
        if (turnedSideways(reader))
            stored.transpose();
        reader.setScaledSize(stored);
    }
    TruncationWatch watch;
    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("The picture cannot be read: %1").arg(reader.errorString()));
    if (watch.truncated())
        return fail(QStringLiteral("The picture file is cut short."));
    if (scaled && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QSize fittedSize(const QSize &picture, const QSize &box, bool enlarge)
{
    if (picture.isEmpty() || box.isEmpty())
        return {};
    if (!enlarge && picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage readFitted(const QString &path, const QSize &box, bool enlarge, QString *why)
{
    const QSize size = fittedSize(uprightSize(path, why), box, enlarge);
    if (size.isEmpty())
        return {};
    return read(path, size, why);
}

std::optional<QString> askForFile(QWidget *parent)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select Picture");
    request.filter = QStringLiteral("All Files (*.*)|*.*|");
    request.existingOnly = true;
    std::optional<QString> chosen = platform().openFileName(request, parent);
    if (chosen && chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace PictureLoader

PictureArea::PictureArea(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureArea::setImage(QImage image)
{
    m_image = std::move(image);
    update();
}

void PictureArea::paintEvent(QPaintEvent *event)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    if (m_image.size() == size()) {
        // Only the part in view: a photograph at its own size is mostly clipped.
        painter.drawImage(event->rect(), m_image, event->rect());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}

} // namespace tf
