#include "data/timetable_files.h"

#include "platform/table.h"
#include "support/project_folder.h"

namespace {

class TripFiles : public ProjectFolder
{
protected:
    // The read of tt_7.ptf for three stop rows: its trips joined as "a,b,c|..." or what failed.
    QString read(FurtherTripColumns further)
    {
        QVector<QVector<int>> trips{{42}}; // kept unless the file is read
        switch (ReadTripFile(7, 3, trips, further)) {
        case TripFileRead::Unreadable:
            return trips.size() == 1 ? "unreadable" : "changed";
        case TripFileRead::Unfit:
            return trips.size() == 1 ? "unfit" : "changed";
        case TripFileRead::Read:
            break;
        }
        QStringList texts;
        for (int k = 1; k < trips.size(); ++k) {
            QStringList cells;
            for (int v : trips[k])
                cells << QString::number(v);
            texts << cells.join(',');
        }
        return texts.join('|');
    }
};

// Stop row k reads the column named "k"; the distances take only "ID" and "1" .. "N", the
// editor and the search also a file with further columns; none takes a file that lacks one.
TEST_F(TripFiles, OneRuleForTheStopColumns)
{
    EXPECT_EQ(read(FurtherTripColumns::Refused), "unreadable");
    writePtf(path("tt_7.ptf"), {"ID", "3", "1", "2"}, {"1,490,480,null", "2,550,540,545"});
    EXPECT_EQ(read(FurtherTripColumns::Refused), "480,-1,490|540,545,550");
    EXPECT_EQ(read(FurtherTripColumns::Ignored), "480,-1,490|540,545,550");

    writePtf(path("tt_7.ptf"), {"ID", "1", "2", "3", "4"}, {"1,480,485,490,999"});
    EXPECT_EQ(read(FurtherTripColumns::Refused), "unfit");
    EXPECT_EQ(read(FurtherTripColumns::Ignored), "480,485,490");

    for (const QStringList &columns : {QStringList{"ID", "1", "2", "4"}, QStringList{"ID", "1", "2"},
                                       QStringList{"ID", "A", "B", "C"}}) {
        const QStringList trip = QStringList{"1", "480", "485", "490"}.mid(0, columns.size());
        writePtf(path("tt_7.ptf"), columns, {trip.join(',')});
        EXPECT_EQ(read(FurtherTripColumns::Refused), "unfit") << columns.join(',').toStdString();
        EXPECT_EQ(read(FurtherTripColumns::Ignored), "unfit") << columns.join(',').toStdString();
    }
    QVector<QVector<int>> trips;
    EXPECT_EQ(ReadTripFile(7, 0, trips, FurtherTripColumns::Ignored), TripFileRead::Unfit);
}

// A trip table that a window browses, filtered and on an index of its own, gives every trip
// in stored order, and the window keeps its filter, order and row.
TEST_F(TripFiles, TripsAreReadWithoutMovingTheTable)
{
    Table t;
    for (const char *name : {"ID", "1", "2"})
        t.addFieldDef(name, FieldType::Float);
    t.addIndexDef("idxLate", "2");
    t.createDataSet();
    for (const QVector<int> &trip : {QVector<int>{1, 480, 500}, {2, 540, 490}, {3, 600, 495}}) {
        t.append();
        for (int c = 0; c < 3; ++c)
            t.field(c).setFloat(trip[c]);
        t.post();
    }
    t.setIndexName("idxLate");
    t.setFilter("ID <> 2");
    t.setFiltered(true);
    t.first();
    t.next();

    QVector<QVector<int>> cells;
    ASSERT_TRUE(ReadTripCells(t, 2, cells));
    EXPECT_EQ(cells, (QVector<QVector<int>>{{480, 500}, {540, 490}, {600, 495}}));
    EXPECT_TRUE(t.filtered());
    EXPECT_EQ(t.filter(), "ID <> 2");
    EXPECT_EQ(t.indexName(), "idxLate");
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 1);
    t.next();
    EXPECT_TRUE(t.eof());
}

// The stop rows of a line: rows without day group or direction belong to no timetable; a row
// without station or position counts for its timetable's size but names no stop.
TEST_F(TripFiles, StopRowsAndTheirCount)
{
    QVector<TimeTableStopRowRecord> rows;
    EXPECT_FALSE(ReadStopRowFile(3, rows));
    writePtf(path("ttc_3.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
             {"5,1,1,2", "4,1,1,1", "6,null,1,3", "null,1,1,3", "4,1,2,1"});
    ASSERT_TRUE(ReadStopRowFile(3, rows));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].stationID, 5);
    EXPECT_EQ(rows[0].position, 2);
    EXPECT_TRUE(rows[0].complete);
    EXPECT_FALSE(rows[2].complete);
    EXPECT_EQ(StopRowCount(rows, 1, 1), 3);
    EXPECT_EQ(StopRowCount(rows, 1, 2), 1);
    EXPECT_EQ(StopRowCount(rows, 2, 1), 0);
    EXPECT_EQ(TimeTableFileName(12), "tt_12.ptf");
    EXPECT_EQ(TimeTableConnectionsFilePath(3), path("ttc_3.ptf"));
}

} // namespace
