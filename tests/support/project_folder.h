#pragma once

#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/file_stamps.h"
#include "support/folder_globals.h"
#include "support/ptf_lines.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void writePtf(const QString &fileName, const QStringList &names, const QStringList &rows, int fieldCount = -1)
{
    ASSERT_TRUE(ansi::writeLines(fileName, ptfLines(names, rows, fieldCount))) << fileName.toStdString();
}

// A project file as the program writes it; only MaxDriveMinutes varies between the tests.
inline void writeProjectFile(const QString &fileName, int maxDriveMinutes)
{
    writePtf(fileName,
             {"DataStandard", "DataVersion", "PTFVersion", "ProgName", "ProgVersion", "ProgType", "MaxDriveMinutes",
              "LastSave"},
             {QStringLiteral(R"("Korvalin Pro","1.0","1.0","Korvalin Pro","0.0.0","Desktop",%1,"2020-01-02 03:04:05")")
                  .arg(maxDriveMinutes)});
}

// Points the program's default files (a new project's first files) into the folder and writes
// them: a project file, prefs with a blue line colour, and the given day-group rows.
inline void writeProgramDefaults(const QString &programDir, const QStringList &dayGroupRows)
{
    DefaultProjectFile = programDir + "/default_project_pro.ppr";
    DefaultPrefsFile = programDir + "/default_prefs.ptf";
    DefaultDayGroupsFile = programDir + "/default_daygroups.ptf";
    writeProjectFile(DefaultProjectFile, 720);
    writePtf(DefaultPrefsFile, {"ProjectName", "LineColorRed", "LineColorGreen", "LineColorBlue"},
             {R"("Neues Projekt",0,0,255)"});
    writePtf(DefaultDayGroupsFile, {"ID", "Group", "Days", "Text"}, dayGroupRows);
}

inline QByteArray fileBytes(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The test changed files behind the program's back to make a failure or a state, not as another
// copy of the program would: the program takes the folder as it now is, as on opening it again.
inline void takeFolderAsItIs()
{
    FileStamps::forgetAll();
}

inline void writeFileBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << fileName.toStdString();
    f.write(bytes);
}

// The rows of a table in its active order, every field: values joined by "|", rows by line
// breaks, null as "<null>".
inline QString dumpTable(Table &t)
{
    const bool wasActive = t.active();
    t.open();
    QStringList rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList values;
        for (int j = 0; j < t.fieldCount(); ++j)
            values << (t.field(j).isNull() ? QStringLiteral("<null>") : t.field(j).asString());
        rows << values.join(QLatin1Char('|'));
    }
    if (!wasActive)
        t.close();
    return rows.join(QLatin1Char('\n'));
}

// The rows of a table in its active order: values joined by ",", rows by " | ", null as "null".
inline QString dumpRows(Table &t, const QStringList &fields)
{
    const bool wasOpen = t.active();
    t.open();
    QStringList rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList values;
        for (const QString &f : fields)
            values << (t.fieldByName(f).isNull() ? QStringLiteral("null") : t.fieldByName(f).asString());
        rows << values.join(QLatin1Char(','));
    }
    if (!wasOpen)
        t.close();
    return rows.join(QStringLiteral(" | "));
}

inline void appendRows(Table &t, const QStringList &fields, const QList<QVariantList> &rows)
{
    const bool wasOpen = t.active();
    t.open();
    for (const QVariantList &row : rows) {
        t.append();
        for (int i = 0; i < fields.size(); ++i)
            t.fieldByName(fields[i]).setValue(row[i]);
        t.post();
    }
    if (!wasOpen)
        t.close();
}

// Each test gets a project folder of its own as ProjectDir, a project file name in it, a fresh
// data module as dm1 and scripted dialogs; the folder globals it sets are put back after it.
class ProjectFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dm1 = &m_module;
        ProjectDir = m_dir.path();
        ProjectFileName = path(QStringLiteral("city.ppr"));
    }
    void TearDown() override
    {
        dm1 = nullptr;
        ProjectDir.clear();
        ProjectFileName.clear();
    }

    QString path(const QString &file) const { return m_dir.filePath(file); }
    QByteArray bytes(const QString &file) const { return fileBytes(path(file)); }

    KeptFolderGlobals m_kept;
    QTemporaryDir m_dir;
    Tdm1 m_module;
    ScriptedDialogs m_dialogs;
};
