#pragma once

#include "data/db_func.h"
#include "data/table_files.h"
#include "support/project_folder.h"

#include <QDir>

// A project with timetables and two saved plans, written as files the way the program leaves
// them; the master tables are loaded as on opening, the plan tables are not (the plan list was
// never opened).
//
// Stations 1 A, 2 B, 3 C, 4 D, 5 E (on no line), 6 F.
// Line 10 "L1": A B C D B F (B twice, at 2 and 5); line connections 1 (day group 1, direction 1)
// and 2 (direction 2), trip files and distances sections for both.
// Line 11 "L2": D A; line connection 3. Line 12 "L3": C F, never given a timetable.
// Line connection 4 is cleared. New stations: B and E.
// Plan 1 "Netz" shows lines 10 and 11, plan 2 "Innen" lines 10 and 12.
class PlanProject : public ProjectFolder
{
protected:
    enum { A = 1, B = 2, C = 3, D = 4, E = 5, F = 6, L1 = 10, L2 = 11, L3 = 12 };

    void SetUp() override
    {
        ProjectFolder::SetUp();
        writePtf(path("stations.ptf"), {"ID", "Station"},
                 {R"(1,"A")", R"(2,"B")", R"(3,"C")", R"(4,"D")", R"(5,"E")", R"(6,"F")"});
        writePtf(path("lines.ptf"), {"ID", "Line"}, {R"(10,"L1")", R"(11,"L2")", R"(12,"L3")"});
        writePtf(path("line_stations.ptf"), {"LineID", "LineStationNumber", "StationID"},
                 {"10,1,1", "10,2,2", "10,3,3", "10,4,4", "10,5,2", "10,6,6", "11,1,4", "11,2,1", "12,1,3", "12,2,6"});
        writePtf(path("line_connections.ptf"), {"ID", "LineID", "DayGroupID", "Direction"},
                 {"1,10,1,1", "2,10,1,2", "3,11,1,1", "4,null,null,null"});
        writePtf(path("line_graphic.ptf"), {"LineID", "ColorRed", "ColorGreen", "ColorBlue"},
                 {"10,255,0,0", "11,0,255,0", "12,0,0,255"});
        writePtf(path("newstations.ptf"), {"StationID"}, {"2", "5"});
        writePtf(path("ttc_10.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
                 {"1,1,1,1", "2,1,1,2", "3,1,1,3", "4,1,1,4", "2,1,1,5", "6,1,1,6", "6,1,2,1", "2,1,2,2", "4,1,2,3",
                  "3,1,2,4", "2,1,2,5", "1,1,2,6"});
        writePtf(path("tt_1.ptf"), {"ID", "1", "2", "3", "4", "5", "6"},
                 {"1,480,485,490,495,500,505", "2,540,-1,550,555,560,565"});
        writePtf(path("tt_2.ptf"), {"ID", "1", "2", "3", "4", "5", "6"}, {"1,600,605,610,615,620,625"});
        writePtf(path("ttc_11.ptf"), {"StationID", "DayGroupID", "Direction", "Position"}, {"4,1,1,1", "1,1,1,2"});
        writePtf(path("tt_3.ptf"), {"ID", "1", "2"}, {"1,700,710"});

        writePtf(path("line_maps.ptf"), {"ID", "Name"}, {R"(1,"Netz")", R"(2,"Innen")"});
        writePtf(path("line_map_lines.ptf"), kLineMapLines,
                 {"1,10,true,0,0,0,true,3,true,0,0,0", "1,11,true,0,0,0,true,3,true,0,0,0",
                  "2,10,true,0,0,0,true,3,true,0,0,0", "2,12,false,9,9,9,true,3,true,0,0,0"});
        writePtf(path("line_map_line_sections.ptf"), kSections,
                 {"1,10,1,1,0,0,0,40,0,90", "1,11,1,1,0,0,40,40,40,180", "2,10,1,1,0,0,0,40,0,90",
                  "2,12,1,1,0,0,0,0,40,180"});
        writePtf(path("line_map_line_intersections.ptf"), kIntersections,
                 {"1,10,0,0,1,1,true", "1,11,40,40,1,1,false", "2,12,0,0,1,1,true"});
        writePtf(path("line_map_line_text_visible.ptf"), kTextVisible,
                 {"1,10,true,true,false", "1,11,true,false,false", "2,10,true,true,true"});
        writePtf(path("line_map_line_text_color.ptf"), kTextColor,
                 {"1,10,true,0,0,0,true,255,255,255", "2,12,false,1,2,3,true,255,255,255"});
        writePtf(path("line_map_line_text_offset.ptf"), kTextOffset, {"1,10,0,1,0,0", "1,10,1,1,5,5", "2,12,0,1,3,3"});
        writePtf(path("lms_1.ptf"), kStations,
                 {"10,1,1,0,0", "10,1,2,0,10", "10,1,3,0,20", "10,1,4,0,30", "10,1,2,0,35", "10,1,6,0,40",
                  "11,1,4,0,30", "11,1,1,40,40"});
        writePtf(path("lms_2.ptf"), kStations, {"10,1,1,0,0", "10,1,2,0,10", "12,1,3,0,20", "12,1,6,0,40"});
        writePtf(path("lmisp_1.ptf"), kIndividual,
                 {"10,0,2,1,0,0,0,0", "10,1,1,1,0,0,0,0", "11,0,1,1,0,0,0,0", "11,2,0,1,0,0,0,0", "10,0,4,1,0,0,0,0"});
        writePtf(path("lmisp_2.ptf"), kIndividual, {"12,0,3,1,0,0,0,0", "10,0,2,1,0,0,0,0", "10,1,2,1,0,0,0,0"});
        writePtf(path("lmimsp_1.ptf"), kMulti, {"1,1,0,0,0,0", "4,1,0,0,0,0", "2,1,0,0,0,0"});
        writePtf(path("lmimsp_2.ptf"), kMulti, {"3,1,0,0,0,0", "6,1,0,0,0,0"});
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("images"));
        writeText(path("images/line_map_1.jpg"), "jpeg");

        loadMasterTables();
        ASSERT_TRUE(BuildDistances(1) && BuildDistances(2) && BuildDistances(3));
        ASSERT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
    }

    // The master tables from the project's files, as opening the project loads them.
    static void loadMasterTables()
    {
        LoadStations();
        LoadLines();
        LoadNewStations();
        LoadLineStations();
        LoadLineConnections();
        LoadLineGraphic();
    }

    static void writeText(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // A file's rows as text ("null" for null), the chosen columns joined by ","; "<missing>" when
    // the file is not there.
    QStringList rows(const QString &file, const QStringList &fields) const
    {
        if (!QFileInfo::exists(path(file)))
            return {"<missing>"};
        Table t;
        if (!LoadPtfFileStructure(path(file), t))
            return {"<unreadable>"};
        const QString all = dumpRows(t, fields);
        return all.isEmpty() ? QStringList() : all.split(" | ");
    }
    QStringList columns(const QString &file) const
    {
        Table t;
        if (!LoadPtfFileStructure(path(file), t))
            return {"<unreadable>"};
        QStringList names;
        for (const FieldDef &f : t.fieldDefs())
            names << f.name;
        return names;
    }
    QStringList sections() const
    {
        QStringList names;
        QFile f(path("distances.ini"));
        if (!f.open(QIODevice::ReadOnly))
            return {"<missing>"};
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QByteArray l = line.trimmed();
            if (l.startsWith('['))
                names << QString::fromLatin1(l.mid(1, l.size() - 2));
        }
        return names;
    }
    // Drops the file's closing line, as a write cut short leaves it; the bytes left.
    QByteArray cutShort(const QString &file)
    {
        QByteArray b = bytes(file);
        b.chop(2); // the last line's CR LF
        b = b.left(b.lastIndexOf('\n') + 1);
        writeText(path(file), b);
        // Damaged by another hand than this copy's, as if before the project was opened.
        takeFolderAsItIs();
        return b;
    }
    // Puts a directory (with a file in it, so it cannot be removed) where a file is to be
    // written or deleted.
    void blockFile(const QString &file)
    {
        QFile::remove(path(file));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(file + "/x"));
        takeFolderAsItIs();
    }

    inline static const QStringList kLineMapLines = {
        "LineMapID",    "LineID",    "DefaultColor",        "ColorRed",        "ColorGreen",        "ColorBlue",
        "DefaultWidth", "DrawWidth", "VehicleDefaultColor", "VehicleColorRed", "VehicleColorGreen", "VehicleColorBlue"};
    inline static const QStringList kSections = {"LineMapID", "LineID", "SectionID", "GroupID", "LineDirection",
                                                 "StartX",    "StartY", "EndX",      "EndY",    "Degree"};
    inline static const QStringList kIntersections = {"LineMapID", "LineID", "XPos",  "YPos",
                                                      "Section",   "Group",  "Ending"};
    inline static const QStringList kTextVisible = {"LineMapID", "LineID", "Start", "End", "Other"};
    inline static const QStringList kTextColor = {"LineMapID",
                                                  "LineID",
                                                  "DefaultColor",
                                                  "ColorRed",
                                                  "ColorGreen",
                                                  "ColorBlue",
                                                  "DefaultBackgroundColor",
                                                  "BackgroundColorRed",
                                                  "BackgroundColorGreen",
                                                  "BackgroundColorBlue"};
    inline static const QStringList kTextOffset = {"LineMapID", "LineID", "Position", "SectionID", "X", "Y"};
    inline static const QStringList kStations = {"LineID", "LineSectionID", "StationID", "XPos", "YPos"};
    inline static const QStringList kIndividual = {"LineID",  "IDType",  "IDValue",       "Position",
                                                   "OffsetX", "OffsetY", "TextDirection", "Rotation"};
    inline static const QStringList kMulti = {"StationID", "Position",      "OffsetX",
                                              "OffsetY",   "TextDirection", "Rotation"};
};
