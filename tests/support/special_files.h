#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

// Names that a project may hold and that are no regular files. A reader that opened one would
// wait for a writer for ever (a pipe), read whatever a device gives (here the empty /dev/null,
// so that a reader that took it fails the test rather than filling the memory) or fail late (a
// folder): every reader must refuse them before it opens them. Should one ever open a pipe, the
// test's timeout ends the run.
enum class SpecialFile { Pipe, LinkToDevice, Folder };

inline std::string specialFileName(const ::testing::TestParamInfo<SpecialFile> &info)
{
    return info.param == SpecialFile::Pipe           ? "Pipe"
           : info.param == SpecialFile::LinkToDevice ? "LinkToDevice"
                                                     : "Folder";
}

inline const auto kSpecialFiles = ::testing::Values(SpecialFile::Pipe, SpecialFile::LinkToDevice, SpecialFile::Folder);

// Makes the special file under the name; false when it could not be made.
inline bool makeSpecialFile(SpecialFile kind, const QString &fileName)
{
    QFile::remove(fileName);
    switch (kind) {
    case SpecialFile::Pipe:
        return ::mkfifo(QFile::encodeName(fileName).constData(), 0600) == 0;
    case SpecialFile::LinkToDevice:
        return QFile::link(QStringLiteral("/dev/null"), fileName);
    case SpecialFile::Folder:
        return QDir().mkpath(fileName);
    }
    return false;
}
