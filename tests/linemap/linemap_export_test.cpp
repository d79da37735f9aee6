#include "linemap/linemap_export.h"
#include "linemap/linemap_open.h"
#include "linemap/linemap_render.h"

#include "data/db_func.h"
#include "data/db_linemap.h"
#include "platform/ansi.h"
#include "support/file_size_limit.h"
#include "support/gui_environment.h"
#include "support/project_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <cstdlib>

namespace {

class Export : public ProjectFolder
{
protected:
    TLineMapEditorState plan(int id, int w, int h)
    {
        TLineMapEditorState s;
        s.LineMapID = id;
        s.Prefs.Width = s.PreviewWidth = w;
        s.Prefs.Height = s.PreviewHeight = h;
        s.Prefs.BackgroundColor = 0x80FF40;
        s.Prefs.LineRasterWidth = 50;
        s.ShowRaster = true;
        Redraw(s);
        return s;
    }
};

// Mean per-channel difference of two images of the same size.
double meanDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

TEST_F(Export, WritesFolderAndOverwritesOwnImageOnly)
{
    const TLineMapEditorState s = plan(3, 200, 150);
    ASSERT_FALSE(QFileInfo::exists(path("images")));
    ASSERT_TRUE(ExportLineMapImage(s));
    const QString file = path("images/line_map_3.jpg");
    ASSERT_TRUE(QFileInfo::exists(file));
    const QImage decoded = ReadJpegFile(file);
    ASSERT_EQ(decoded.size(), QSize(200, 150));
    // Smooth areas come back within JPEG's error; the raster lines lose a little more.
    EXPECT_LE(std::abs(qGreen(decoded.pixel(55, 55)) - 255), 6);
    EXPECT_LE(std::abs(qRed(decoded.pixel(55, 55)) - 0x40), 6);
    EXPECT_LT(meanDifference(decoded, s.Picture.convertToFormat(QImage::Format_RGB32)), 8.0);

    // Another plan keeps its image; exporting again replaces the first one.
    ASSERT_TRUE(ExportLineMapImage(plan(4, 50, 40)));
    const QByteArray other = bytes("images/line_map_4.jpg");
    ASSERT_TRUE(ExportLineMapImage(plan(3, 120, 90)));
    EXPECT_EQ(ReadJpegFile(file).size(), QSize(120, 90));
    EXPECT_EQ(bytes("images/line_map_4.jpg"), other);
    // No temporary file stays behind.
    EXPECT_EQ(QDir(path("images")).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(Export, LargerBackgroundIsExportedAtItsSize)
{
    TLineMapEditorState s = plan(1, 100, 100);
    s.Prefs.BackgroundImageOn = true;
    s.BackgroundPicture = QImage(300, 250, QImage::Format_RGB32);
    s.BackgroundPicture.fill(Qt::blue);
    Redraw(s);
    ASSERT_TRUE(ExportLineMapImage(s));
    EXPECT_EQ(ReadJpegFile(path("images/line_map_1.jpg")).size(), QSize(300, 250));
}

TEST_F(Export, FailuresAreReportedAndKeepTheOldImage)
{
    ASSERT_TRUE(ExportLineMapImage(plan(2, 60, 60)));
    const QByteArray old = bytes("images/line_map_2.jpg");

    // An empty picture (a plan never opened) fails without a crash.
    TLineMapEditorState empty;
    empty.LineMapID = 2;
    EXPECT_FALSE(ExportLineMapImage(empty));
    // A picture beyond JPEG's size limit fails the same way.
    TLineMapEditorState huge = plan(2, 1, 1);
    huge.Picture = QImage(kJpegMaxSide + 1, 1, QImage::Format_RGB32);
    huge.Picture.fill(Qt::white);
    EXPECT_FALSE(ExportLineMapImage(huge));
    EXPECT_EQ(bytes("images/line_map_2.jpg"), old);

    // A folder where the image should be: the write fails and is reported.
    ASSERT_TRUE(QDir().mkpath(path("images/line_map_5.jpg")));
    EXPECT_FALSE(ExportLineMapImage(plan(5, 60, 60)));
    // An "images" that is a file: the folder cannot be made.
    QDir(path("images")).removeRecursively();
    QFile blocker(path("images"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(ExportLineMapImage(plan(6, 60, 60)));

    const QString prefix = QStringLiteral("Error saving the file ");
    ASSERT_EQ(m_dialogs.messages.size(), 4);
    // Each names why: the picture, the folder in the image's place, the folder not made.
    EXPECT_EQ(m_dialogs.messages[0],
              prefix + LineMapImageFileName(2) + QStringLiteral(": the picture cannot be stored as a JPEG image"));
    EXPECT_TRUE(messagesWithReasons({m_dialogs.messages[2]}, {prefix + LineMapImageFileName(5)}));
    EXPECT_EQ(m_dialogs.messages[3], prefix + LineMapImageFileName(6) +
                                         QStringLiteral(": the folder %1 cannot be made").arg(path("images")));
}

// A full disk: the export fails with the system's reason, the old image stays byte for byte
// and no temporary file is left beside it.
TEST_F(Export, AFullDiskFailsTheExportAndKeepsTheOldImage)
{
    ASSERT_TRUE(ExportLineMapImage(plan(2, 60, 60)));
    const QByteArray old = bytes("images/line_map_2.jpg");
    const QStringList before = folderEntries(path("images"));
    ASSERT_LT(old.size(), 8192);

    // Noise compresses badly: the new image is far beyond the limit.
    TLineMapEditorState s = plan(2, 300, 300);
    std::srand(4107);
    for (int y = 0; y < s.Picture.height(); ++y)
        for (int x = 0; x < s.Picture.width(); ++x)
            s.Picture.setPixel(x, y, qRgb(std::rand() % 256, std::rand() % 256, std::rand() % 256));
    const LimitedWrite w = writeWithFileSizeLimit(8192, [&](QString &reason) {
        const bool ok = ExportLineMapImage(s);
        reason = ansi::lastWriteError();
        return ok;
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    EXPECT_TRUE(w.reason.contains(fileTooLargeText(), Qt::CaseInsensitive)) << w.reason.toStdString();
    EXPECT_EQ(bytes("images/line_map_2.jpg"), old);
    EXPECT_EQ(folderEntries(path("images")), before);
}

TEST_F(Export, ReaderHandlesGreyscaleAndDamage)
{
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(100);
    QByteArray data;
    ASSERT_TRUE(EncodeJpeg(grey, data));
    QImage back = DecodeJpeg(data);
    ASSERT_EQ(back.size(), QSize(30, 20));
    EXPECT_NEAR(qGray(back.pixel(10, 10)), 100, 3);

    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a jpeg at all")).isNull());
    DecodeJpeg(data.left(data.size() / 2)); // a cut-off file must not end the program
    EXPECT_TRUE(ReadJpegFile(path("missing.jpg")).isNull());
}

TEST_F(Export, OpeningLoadsOnlyBitmapsAndReportsUnreadableOnes)
{
    TLineMapEditorState s;
    LineMapFormCreate(s);
    EXPECT_FALSE(s.ShowRaster);
    EXPECT_TRUE(s.ShowImage && s.ShowLines && s.ShowStations && s.ShowMultiStations);

    s.Prefs.Width = 80;
    s.Prefs.Height = 60;
    s.Prefs.BackgroundColor = 0x0000FF;
    s.Prefs.BackgroundImageOn = true;
    QImage bmp(40, 30, QImage::Format_RGB32);
    bmp.fill(Qt::green);
    ASSERT_TRUE(bmp.save(path("back.BMP"), "BMP"));
    s.Prefs.BackgroundImage = QStringLiteral(" ") + path("back.BMP") + QStringLiteral(" ");
    LineMapLoadBackground(s);
    EXPECT_EQ(s.BackgroundPicture.size(), QSize(40, 30));
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(40, 30));

    // A JPEG background is not shown in the editor; its name is dropped in memory.
    s.Prefs.BackgroundImage = path("back.jpg");
    LineMapLoadBackground(s);
    EXPECT_TRUE(s.BackgroundPicture.isNull());
    EXPECT_TRUE(s.Prefs.BackgroundImage.isEmpty());
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(80, 60));
    EXPECT_EQ(s.Picture.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);

    // A missing bitmap is reported and the plan opens on its background colour.
    s.Prefs.BackgroundImage = path("gone.bmp");
    LineMapLoadBackground(s);
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages[0], QStringLiteral("Fehler beim laden der Datei: ") + path("gone.bmp"));
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(80, 60));
    EXPECT_EQ(s.Picture.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);

    LineMapFormDestroy(s);
    EXPECT_TRUE(s.Picture.isNull());
}

namespace {

// A BMP header (24 bits per pixel, no compression) that claims the given size, followed by a
// few bytes of pixels: far less than the claimed picture.
QByteArray bitmapHeader(qint32 width, qint32 height)
{
    QByteArray b;
    auto put16 = [&](quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) {
        put16(quint16(v & 0xFFFF));
        put16(quint16(v >> 16));
    };
    b.append("BM");
    put32(54 + 64);
    put32(0);
    put32(54);
    put32(40);
    put32(quint32(width));
    put32(quint32(height));
    put16(1);
    put16(24);
    put32(0);
    put32(0);
    put32(3780);
    put32(3780);
    put32(0);
    put32(0);
    b.append(QByteArray(64, '\x7f'));
    return b;
}

// A valid small JPEG whose frame header is changed to claim the given size.
QByteArray jpegClaiming(quint16 width, quint16 height)
{
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::gray);
    QByteArray data;
    EXPECT_TRUE(EncodeJpeg(small, data));
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    EXPECT_GT(sof, 0);
    if (sof > 0) {
        data[sof + 5] = char(height >> 8);
        data[sof + 6] = char(height & 0xFF);
        data[sof + 7] = char(width >> 8);
        data[sof + 8] = char(width & 0xFF);
    }
    return data;
}

} // namespace

TEST(PictureBound, SidesAndPixelCount)
{
    EXPECT_TRUE(PictureSizeAllowed(1, 1));
    EXPECT_TRUE(PictureSizeAllowed(65500, 1000));
    EXPECT_FALSE(PictureSizeAllowed(65501, 1));
    EXPECT_FALSE(PictureSizeAllowed(1, 65501));
    EXPECT_TRUE(PictureSizeAllowed(8192, 8192));
    EXPECT_FALSE(PictureSizeAllowed(8192, 8193));
    EXPECT_FALSE(PictureSizeAllowed(65499, 57345));
    EXPECT_FALSE(PictureSizeAllowed(0, 10));
}

TEST_F(Export, PicturesClaimingAHugeSizeAreRefusedFromTheirHeader)
{
    // A JPEG whose header claims 65,499 x 57,345 pixels; the same data claiming 20 x 20 decodes.
    EXPECT_TRUE(DecodeJpeg(jpegClaiming(65499, 57345)).isNull());
    EXPECT_TRUE(DecodeJpeg(jpegClaiming(65500, 1100)).isNull()); // sides fit, pixels do not
    EXPECT_EQ(DecodeJpeg(jpegClaiming(20, 20)).size(), QSize(20, 20));
    writeFileBytes(path("huge.jpg"), jpegClaiming(65499, 57345));
    EXPECT_TRUE(ReadJpegFile(path("huge.jpg")).isNull());

    writeFileBytes(path("huge.bmp"), bitmapHeader(65499, 57345));
    EXPECT_TRUE(ReadPictureFile(path("huge.bmp"), "BMP").isNull());
    writeFileBytes(path("tall.bmp"), bitmapHeader(2, 70000));
    EXPECT_TRUE(ReadPictureFile(path("tall.bmp"), "BMP").isNull());
    // A real bitmap beside them reads, and the reader's own bound is as it was.
    const int limit = QImageReader::allocationLimit();
    QImage bmp(30, 20, QImage::Format_RGB32);
    bmp.fill(Qt::green);
    ASSERT_TRUE(bmp.save(path("small.bmp"), "BMP"));
    EXPECT_EQ(ReadPictureFile(path("small.bmp"), "BMP").size(), QSize(30, 20));
    EXPECT_EQ(QImageReader::allocationLimit(), limit);
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    if (icon.save(path("small.ico"), "ICO")) { // only where the icon plugin is installed
        EXPECT_EQ(ReadPictureFile(path("small.ico"), "ICO").size(), QSize(32, 32));
    }

    // The plan editor reports the oversized background with its load message and opens the
    // plan on its background colour.
    TLineMapEditorState s;
    LineMapFormCreate(s);
    s.Prefs.Width = 80;
    s.Prefs.Height = 60;
    s.Prefs.BackgroundColor = 0x0000FF;
    s.Prefs.BackgroundImageOn = true;
    s.Prefs.BackgroundImage = path("huge.bmp");
    LineMapLoadBackground(s);
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages[0], QStringLiteral("Fehler beim laden der Datei: ") + path("huge.bmp"));
    EXPECT_TRUE(s.BackgroundPicture.isNull());
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(80, 60));
    EXPECT_EQ(s.Picture.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
}

#include "support/special_files.h"

namespace {

class BackgroundNoRegularFile : public Export, public ::testing::WithParamInterface<SpecialFile>
{
};

// A background picture named by the plan's settings that is a pipe, a device or a folder is
// refused before it is opened: the plan opens on its background colour and says which file it
// could not load, and the settings' pictures are not read either.
TEST_P(BackgroundNoRegularFile, IsRefusedAndReported)
{
    const QString file = path("back.bmp");
    ASSERT_TRUE(makeSpecialFile(GetParam(), file));
    EXPECT_TRUE(ReadPictureFile(file, "BMP").isNull());
    EXPECT_TRUE(ReadJpegFile(file).isNull());

    TLineMapEditorState s;
    LineMapFormCreate(s);
    s.Prefs.Width = 80;
    s.Prefs.Height = 60;
    s.Prefs.BackgroundImageOn = true;
    s.Prefs.BackgroundImage = file;
    LineMapLoadBackground(s);
    EXPECT_TRUE(s.BackgroundPicture.isNull());
    EXPECT_EQ(m_dialogs.messages, QStringList{"Fehler beim laden der Datei: " + file});
    LineMapFormDestroy(s);
}

INSTANTIATE_TEST_SUITE_P(EachKind, BackgroundNoRegularFile, kSpecialFiles, specialFileName);

} // namespace
