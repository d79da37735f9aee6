#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "linemap/linemap_state.h"

// JPEG writing and reading through libjpeg (baseline, 24-bit RGB, quality 90 by default). No
// routine here lets a libjpeg error end the program: every error becomes a false or null result.

// Largest side JPEG can store.
constexpr int kJpegMaxSide = 65500;

// Compresses an image into memory. False for a null image, a side above kJpegMaxSide, or any
// libjpeg error.
bool EncodeJpeg(const QImage &Image, QByteArray &Out, int Quality = 90);
// Writes an image as a JPEG file under a temporary name beside the target, then renames it
// over the target; the old file stays when anything fails. False on failure (no message;
// ansi::lastWriteError() tells why).
bool WriteJpegFile(const QImage &Image, const QString &FileName, int Quality = 90);
// The largest plan picture, drawn or read as a plan background: no side above kJpegMaxSide
// (the largest plan the export can write) and no more than kMaxPicturePixels pixels (8192 x
// 8192, 256 MB as the plan's 32-bit pixels), so a plan size or a header that claims a huge size
// is refused before anything of that size is allocated.
constexpr qint64 kMaxPicturePixels = qint64(8192) * 8192;
bool PictureSizeAllowed(qint64 Width, qint64 Height);

// Reads a colour or greyscale JPEG file; a null image when the file is missing, not a
// readable JPEG or larger than PictureSizeAllowed takes.
QImage ReadJpegFile(const QString &FileName);
// Decodes JPEG data held in memory; a null image on failure or for a picture larger than
// PictureSizeAllowed takes (refused from its header, before decoding).
QImage DecodeJpeg(const QByteArray &Data);
// Reads a picture of the given Qt format ("BMP", "ICO"), its size taken from the header first:
// a null image when the file is missing, unreadable or larger than PictureSizeAllowed takes.
QImage ReadPictureFile(const QString &FileName, const char *Format);

// The plan image path: ProjectDir + "/images/line_map_<LineMapID>.jpg".
QString LineMapImageFileName(int LineMapID);

// Saves State.Picture as the plan image of State.LineMapID, creating the "images" folder (with
// missing parents) first. On failure shows "Error saving the file %s" with the image's path
// through dialogs() and returns false; the old image stays. Callers finish their work either way.
bool ExportLineMapImage(const TLineMapEditorState &State);
