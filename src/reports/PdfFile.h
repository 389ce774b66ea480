#pragma once

// A PDF file written a page at a time. Each page is painted with QPainter on a
// PdfPage of its own, on any thread, and handed to the file in page order; the
// page's text goes in as runs of glyphs of embedded fonts, so a page of a long
// report costs a few kilobytes and little time, whatever the page count.
//
// What it draws: text (in fonts with TrueType outlines, fallback fonts and shaped
// scripts included; glyphs of other fonts as outlines), filled and stroked paths
// in plain colours, pictures, and clipping. That is what report pages are made of.

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QPaintDevice>
#include <QRawFont>
#include <QSaveFile>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

class QPainter;

namespace tf::report {

class PdfPaintEngine;

// Why a write to a file failed. A write the system stopped part way (a full
// disk, a file size limit) leaves Qt with "Unknown error"; the system's reason
// is still in errno (`code`) then.
QString writeFailure(const QFileDevice &file, int code);

// The fonts of one file, shared by the pages painted for it on several threads.
class PdfFonts
{
public:
    PdfFonts();
    ~PdfFonts();
    PdfFonts(const PdfFonts &) = delete;
    PdfFonts &operator=(const PdfFonts &) = delete;

    struct Font;
    // The file's number for a font face, registering it the first time
    // (tables are read from the face); -1 when it cannot be embedded.
    int faceIndex(const QRawFont &face);
    // Marks glyphs as used, each with the text it stands for (may be empty).
    void use(int face, const std::vector<std::pair<quint32, QString>> &glyphs);
    size_t count() const;
    // The font's objects, written when the file is finished.
    QByteArray fontProgram(int face) const;
    QByteArray widths(int face) const;
    QByteArray toUnicode(int face) const;
    QByteArray descriptor(int face, int fontFileObject) const;
    QByteArray baseName(int face) const;

private:
    mutable QMutex m_lock;
    std::vector<std::unique_ptr<Font>> m_fonts;
};

// One page's drawing, recorded as PDF content.
class PdfPage : public QPaintDevice
{
public:
    PdfPage(PdfFonts &fonts, const QSizeF &points);
    ~PdfPage() override;
    QPaintEngine *paintEngine() const override;
    QSizeF size() const { return m_size; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    friend class PdfFile;
    friend class PdfPaintEngine;
    struct Picture
    {
        QByteArray data; // JPEG
        int width = 0, height = 0;
        bool gray = false;
    };
    QSizeF m_size;
    PdfFonts &m_fonts;
    std::unique_ptr<PdfPaintEngine> m_engine;
    QByteArray m_content;
    std::vector<Picture> m_pictures;
    std::vector<int> m_faces; // the fonts the content names
};

// Draws text of one font that needs no shaping, set at the font's design
// advances, when `painter` paints a PDF page: far cheaper than laying it out.
// False when the painter paints elsewhere or the text needs a layout.
bool drawPlainText(QPainter &painter, const QPointF &baseline, const QString &text, const QFont &font);

class PdfFile
{
public:
    explicit PdfFile(const QString &path);
    ~PdfFile();
    // Starts the file; false (error() says why) when it cannot be written.
    bool open();
    PdfFonts &fonts() { return m_fonts; }
    // The next page; false when it could not be written.
    bool addPage(const PdfPage &page);
    // Writes the fonts and the index and puts the file in place; until this
    // returns true a file of that name is left exactly as it was.
    bool finish(const QString &title = {});
    QString error() const { return m_error; }

private:
    int reserve();
    void beginObject(int number);
    void write(const QByteArray &bytes);
    // level: zlib's, 0 to store as it is.
    void writeStream(int number, const QByteArray &dictionary, const QByteArray &data, int level);

    QSaveFile m_file; // written beside the target, renamed over it only when whole
    PdfFonts m_fonts;
    std::vector<qint64> m_offsets; // of every object, by number (0 unused)
    std::vector<int> m_pages;
    std::vector<int> m_fontObjects; // by face index; 0 until a page names it
    bool m_failed = false;
    QString m_error;
};

} // namespace tf::report
