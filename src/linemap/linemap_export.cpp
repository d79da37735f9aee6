#include "linemap/linemap_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QCoreApplication>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"

namespace {

// libjpeg's default error handler ends the process; this one jumps back to the caller instead.
struct JpegError
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

extern "C" void jpegErrorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<JpegError *>(cinfo->err);
    std::longjmp(err->jump, 1);
}

extern "C" void jpegNoMessage(j_common_ptr)
{
}

bool imageFits(const QImage &image)
{
    return !image.isNull() && image.width() <= kJpegMaxSide && image.height() <= kJpegMaxSide;
}

// Compresses into a memory buffer. Everything that libjpeg may jump over is plain data set up
// before setjmp, so the jump leaks nothing but what jpeg_destroy_compress frees.
bool compress(const QImage &source, unsigned char **buffer, unsigned long *size, int quality)
{
#ifdef JCS_EXTENSIONS
    // The plan picture's own pixels (B, G, R, X in memory) go to libjpeg-turbo unconverted.
    const bool direct = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
    constexpr J_COLOR_SPACE directSpace = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
#else
    const bool direct = false;
    constexpr J_COLOR_SPACE directSpace = JCS_RGB;
#endif
    const QImage image = direct || source.format() == QImage::Format_RGB888
                             ? source
                             : source.convertToFormat(QImage::Format_RGB888);
    if (image.isNull())
        return false;
    jpeg_compress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.output_message = jpegNoMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = direct ? 4 : 3;
    cinfo.in_color_space = direct ? directSpace : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

bool EncodeJpeg(const QImage &Image, QByteArray &Out, int Quality)
{
    Out.clear();
    if (!imageFits(Image))
        return false;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    const bool ok = compress(Image, &buffer, &size, Quality);
    if (ok && buffer)
        Out = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return ok && !Out.isEmpty();
}

bool WriteJpegFile(const QImage &Image, const QString &FileName, int Quality)
{
    ansi::setLastWriteError(QString());
    QByteArray data;
    if (!EncodeJpeg(Image, data, Quality)) {
        ansi::setLastWriteError(QStringLiteral("the picture cannot be stored as a JPEG image"));
        return false;
    }
    // Written under a temporary name beside the target and renamed over it, so the old image
    // stays whole until the new one is complete, as part of the save's change; its bytes are
    // synced with the change's other files, before the change counts as done.
    return ansi::writeFileAtomically(FileName, data);
}

QImage DecodeJpeg(const QByteArray &Data)
{
    if (Data.isEmpty())
        return QImage();
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.output_message = jpegNoMessage;
    // Declared before setjmp and only assigned after it, so a jump leaves it valid.
    QImage *volatile result = new QImage();
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        return QImage();
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(Data.constData()), static_cast<unsigned long>(Data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!PictureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        return QImage();
    }
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    *result = QImage(int(cinfo.output_width), int(cinfo.output_height),
                     grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (result->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        return QImage();
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = result->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    QImage image = result->convertToFormat(QImage::Format_RGB32);
    delete result;
    return image;
}

QImage ReadJpegFile(const QString &FileName)
{
    // A background goes into the plan picture a save writes: seen before it is read.
    FileStamps::noteRead(FileName);
    if (!ansi::isRegularFile(FileName))
        return QImage();
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return DecodeJpeg(file.readAll());
}

bool PictureSizeAllowed(qint64 Width, qint64 Height)
{
    return Width > 0 && Height > 0 && Width <= kJpegMaxSide && Height <= kJpegMaxSide &&
           Width * Height <= kMaxPicturePixels;
}

QImage ReadPictureFile(const QString &FileName, const char *Format)
{
    FileStamps::noteRead(FileName);
    if (!ansi::isRegularFile(FileName))
        return QImage();
    QImageReader reader(FileName, Format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isValid() && !PictureSizeAllowed(size.width(), size.height()))
        return QImage();
    // The reader's own allocation bound (128 MB by default) is set to the bound above for this
    // read only: it then takes every picture the bound takes, and refuses a huge one from a
    // header whose size the reader could not tell beforehand.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    QImageReader::setAllocationLimit(limit);
    if (image.isNull() || !PictureSizeAllowed(image.width(), image.height()))
        return QImage();
    return image;
}

QString LineMapImageFileName(int LineMapID)
{
    return ProjectDir + QStringLiteral("/images/line_map_") + QString::number(LineMapID) + QStringLiteral(".jpg");
}

bool ExportLineMapImage(const TLineMapEditorState &State)
{
    const QString fileName = LineMapImageFileName(State.LineMapID);
    const QString folder = QFileInfo(fileName).absolutePath();
    ansi::setLastWriteError(QString());
    const bool madeFolder = QDir().mkpath(folder);
    if (!madeFolder)
        ansi::setLastWriteError(QStringLiteral("the folder %1 cannot be made").arg(folder));
    const bool ok = madeFolder && WriteJpegFile(State.Picture, fileName, 90);
    if (!ok)
        dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the file %1").arg(fileName)));
    return ok;
}
