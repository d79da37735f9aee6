#include "linemap/plan_style_rules.h"
#include "linemap/linemap_records.h"
#include "linemap/style_preview.h"

#include "support/gui_environment.h"
#include "support/scripted_dialogs.h"

TEST(StationRules, WeOffsetsKeepTheirShownNumberAcrossSides)
{
    TLineMapPrefs p;
    p.WE.Position = 0;
    p.WE.OffsetY = -8;
    TStationClassView v = StationClassView(p, dcWE);
    EXPECT_EQ(v.ShownV, 8);
    EXPECT_EQ(v.PositionItems, QStringList({"above", "below"}));
    EXPECT_EQ(v.LabelH, "Horizontal text placement:");
    EXPECT_TRUE(v.AlignVisible);

    ScriptedDialogs dialogs;
    EXPECT_EQ(StationOffsetTextRule(p, dcWE, false, "12"), TEditResult::Stored);
    EXPECT_EQ(p.WE.OffsetY, -12);
    p.WE.OffsetY = -8;
    StationPositionRule(p, dcWE, 1);
    EXPECT_EQ(p.WE.OffsetY, 8);
    EXPECT_EQ(StationClassView(p, dcWE).ShownV, 8);
    // An empty text sets back, a non-number is reported and stores nothing.
    EXPECT_EQ(StationOffsetTextRule(p, dcWE, false, "  "), TEditResult::SetBack);
    EXPECT_EQ(StationOffsetTextRule(p, dcWE, false, "-"), TEditResult::Refused);
    EXPECT_EQ(StationOffsetTextRule(p, dcWE, true, "99999999999"), TEditResult::Refused);
    EXPECT_EQ(p.WE.OffsetY, 8);
    EXPECT_EQ(dialogs.messages,
              QStringList({"'-' is not a valid integer value", "'99999999999' is not a valid integer value"}));
}

TEST(StationRules, WeRotationFollowsSideAndAlignment)
{
    TLineMapPrefs p;
    p.WE.Position = 0;
    p.WE.TextDirection = 0;
    StationDirectionRule(p, dcWE, 1);
    EXPECT_EQ(p.WE.Rotation, 45);
    StationAlignRule(p, dcWE, 2);
    EXPECT_EQ(p.WE.Rotation, -45);
    EXPECT_EQ(StationClassView(p, dcWE).DirectionIndex, 1);
    StationPositionRule(p, dcWE, 1);
    EXPECT_EQ(p.WE.Rotation, 45);
    EXPECT_EQ(StationClassView(p, dcWE).DirectionIndex, 1);
    StationDirectionRule(p, dcWE, 2);
    EXPECT_EQ(p.WE.Rotation, 90);
    // Centre hides the direction box and clears the rotation.
    StationAlignRule(p, dcWE, 1);
    EXPECT_EQ(p.WE.TextDirection, 1);
    EXPECT_EQ(p.WE.Rotation, 0);
    const TStationClassView v = StationClassView(p, dcWE);
    EXPECT_FALSE(v.DirectionVisible);
    EXPECT_EQ(v.DirectionIndex, 0);
}

TEST(StationRules, NsAndDiagonalClasses)
{
    TLineMapPrefs p;
    p.NS.Position = 0;
    StationDirectionRule(p, dcNS, 1);
    EXPECT_EQ(p.NS.Rotation, -45);
    StationPositionRule(p, dcNS, 1);
    EXPECT_EQ(p.NS.Rotation, 45);
    TStationClassView v = StationClassView(p, dcNS);
    EXPECT_EQ(v.DirectionIndex, 1);
    EXPECT_EQ(v.DirectionItems, QStringList({"horizontal", "diagonal up", "diagonal down"}));
    EXPECT_EQ(v.PositionItems, QStringList({"Left", "Right"}));
    EXPECT_FALSE(v.AlignVisible);
    // NS shows the horizontal offset negated on the left side.
    p.NS.Position = 0;
    p.NS.OffsetX = 5;
    EXPECT_EQ(StationClassView(p, dcNS).ShownH, -5);

    for (int cls : {int(dcNWSE), int(dcSWNE)}) {
        TStationDirectionPrefs &d = StationPrefs(p, cls);
        d = TStationDirectionPrefs{0, 3, -4, 0, 45};
        v = StationClassView(p, cls);
        EXPECT_FALSE(v.AlignVisible);
        EXPECT_FALSE(v.DirectionVisible);
        EXPECT_EQ(v.PositionItems, QStringList({"Above", "Below"}));
        StationPositionRule(p, cls, 1);
        EXPECT_EQ(d.OffsetX, -3);
        EXPECT_EQ(d.OffsetY, 4);
        EXPECT_EQ(d.Rotation, 0);
    }
    EXPECT_EQ(StationClassView(p, dcNWSE).ShownH, 3);
    EXPECT_EQ(StationClassView(p, dcSWNE).ShownH, -3);
}

TEST(TransferRules, PositionsAlignmentsAndDirections)
{
    TLineMapPrefs p;
    p.MultiStationRotation = 45;
    MultiStationPositionRule(p, 3); // "Left Top"
    EXPECT_EQ(p.MultiStationAlign, 2);
    EXPECT_EQ(p.MultiStationRotation, 0);
    TMultiStationView v = MultiStationView(p);
    EXPECT_FALSE(v.AlignEnabled);
    EXPECT_EQ(v.AlignIndex, 2);
    EXPECT_EQ(v.DirectionItems, QStringList({"horizontal", "diagonal up", "diagonal down"}));

    MultiStationPositionRule(p, 7); // "Top Center" keeps the stored alignment
    EXPECT_EQ(p.MultiStationAlign, 2);
    MultiStationAlignRule(p, 1);
    v = MultiStationView(p);
    EXPECT_TRUE(v.AlignEnabled);
    EXPECT_EQ(v.DirectionItems, QStringList({"horizontal", "vertical"}));
    MultiStationDirectionRule(p, 1);
    EXPECT_EQ(p.MultiStationRotation, 90);
    EXPECT_EQ(MultiStationView(p).DirectionIndex, 1);

    // The whole table, read forwards and backwards.
    struct Row { int pos, align, item, rotation; };
    const Row rows[] = {{0, 0, 1, 45},  {2, 0, 2, -45}, {4, 2, 1, -45}, {5, 2, 2, 45},  {6, 0, 1, 45},
                        {11, 2, 2, 90}, {8, 2, 1, -45}, {9, 0, 2, -90}, {7, 0, 1, 45},  {7, 2, 1, -45},
                        {10, 0, 1, -45}, {10, 1, 1, 90}, {10, 2, 1, 45}, {3, 2, 0, 0}};
    for (const Row &r : rows) {
        EXPECT_EQ(MultiStationRotationOf(r.pos, r.align, r.item), r.rotation) << r.pos << "/" << r.align;
        p.MultiStationPosition = std::uint8_t(r.pos);
        p.MultiStationAlign = std::uint8_t(r.align);
        p.MultiStationRotation = r.rotation;
        EXPECT_EQ(MultiStationView(p).DirectionIndex, r.item);
    }
    EXPECT_EQ(MultiStationPositionItems().size(), 12);
}

TEST(NumberRules, EmptyInvalidAndBelowMinimum)
{
    ScriptedDialogs dialogs;
    int field = 20;
    EXPECT_EQ(NumberRule(" ", field), TEditResult::SetBack);
    EXPECT_EQ(NumberRule("abc", field), TEditResult::Refused);
    EXPECT_EQ(NumberRule("0", field, 1), TEditResult::Refused);
    EXPECT_EQ(field, 20);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(NumberRule(" 25", field, 1), TEditResult::Stored);
    EXPECT_EQ(field, 25);
    EXPECT_EQ(NumberRule("-2147483648", field), TEditResult::Stored);
    EXPECT_EQ(field, INT_MIN);
    EXPECT_EQ(dialogs.messages, QStringList({"'abc' is not a valid integer value"}));

    QString name = "Map 1";
    EXPECT_EQ(NameRule("   ", name), TEditResult::SetBack);
    EXPECT_EQ(NameRule(" Netz ", name), TEditResult::Stored);
    EXPECT_EQ(name, " Netz ");
    EXPECT_EQ(NameRule(QString::fromUtf8("Netz \u4e00"), name), TEditResult::Refused);
    EXPECT_EQ(name, " Netz ");

    EXPECT_EQ(BackgroundKindOf("a/b/Plan.BMP"), TBackgroundKind::Bitmap);
    EXPECT_EQ(BackgroundKindOf("x.jpeg"), TBackgroundKind::Jpeg);
    EXPECT_EQ(BackgroundKindOf("x.emf"), TBackgroundKind::Metafile);
    EXPECT_EQ(BackgroundKindOf("x.png"), TBackgroundKind::Other);
}

TEST(StylePreview, RasterPositionsAndNameOrigins)
{
    QList<int> r20 = PreviewRasterPositions(240, 20);
    EXPECT_EQ(r20.size(), 13);
    EXPECT_EQ(r20.first(), 0);
    EXPECT_EQ(r20.last(), 240);
    QList<int> r25 = PreviewRasterPositions(240, 25);
    EXPECT_EQ(r25.size(), 10);
    EXPECT_EQ(r25.first(), 19);
    EXPECT_EQ(r25.last(), 244);
    QList<int> r7 = PreviewRasterPositions(240, 7);
    EXPECT_EQ(r7.size(), 35);
    EXPECT_EQ(r7.first(), 1);
    EXPECT_EQ(r7.last(), 239);
    EXPECT_EQ(PreviewRasterPositions(240, 0).size(), 241); // a width below 1 counts as 1

    EXPECT_EQ(StationNameOrigin(dcWE, 0, 0, 0, 0, 0, 80, 120, 70, 14, 6, true), QPoint(80, 103));
    EXPECT_EQ(StationNameOrigin(dcNS, 1, 0, 0, 0, 0, 120, 80, 70, 14, 8, true), QPoint(124, 73));
    // WE, above, left, 90: the text runs upwards from (x0 - Ht div 2, y0 + Ht).
    EXPECT_EQ(StationNameOrigin(dcWE, 0, 0, 90, 0, 0, 80, 120, 70, 14, 6, true), QPoint(73, 117));
    // Centre alignment and offsets.
    EXPECT_EQ(StationNameOrigin(dcWE, 1, 1, 0, 5, -2, 80, 120, 70, 14, 6, true), QPoint(50, 121));
    // The preview's own row for NS, right, 45; the plan draws it uncorrected.
    const QPoint own = StationNameOrigin(dcNS, 1, 0, 45, 0, 0, 120, 80, 70, 14, 8, true);
    EXPECT_EQ(own, QPoint(124, 73 + 7 - 7)); // Rnd(sqrt(10.5^2 / 2)) = 7
    EXPECT_EQ(StationNameOrigin(dcNS, 1, 0, 45, 0, 0, 120, 80, 70, 14, 8, false), QPoint(124, 73));
    // Diagonal classes keep their base origin, also for a stored rotation.
    EXPECT_EQ(StationNameOrigin(dcSWNE, 0, 0, 0, 0, 0, 160, 80, 70, 14, 6, true), QPoint(160 - 7 - 70 - 3, 73));
    EXPECT_EQ(StationNameOrigin(dcNWSE, 1, 0, 45, 0, 0, 80, 80, 70, 14, 6, true), QPoint(80 - 7 - 70 - 3, 73));
    // An empty name (Wt 0) gives a finite origin.
    EXPECT_EQ(StationNameOrigin(dcWE, 0, 2, -45, 0, 0, 80, 120, 0, 14, 6, true).x(), 80 + 2);
}

// The station names skip measuring where the origin does not depend on the width; every
// side, alignment and rotation must then give the same origin for any width.
TEST(StylePreview, NameOriginsThatNeedNoWidthIgnoreIt)
{
    for (int cls : {dcWE, dcNS, dcNWSE, dcSWNE})
        for (int position = 0; position <= 1; ++position)
            for (int direction = 0; direction <= 2; ++direction)
                for (int rotation : {0, 45, -45, 90, -90})
                    for (bool previewRow : {false, true}) {
                        auto origin = [&](int width) {
                            return StationNameOrigin(cls, position, direction, rotation, 3, -2, 200, 150, width, 14,
                                                     6, previewRow);
                        };
                        const bool differs = origin(0) != origin(70) || origin(1) != origin(333);
                        EXPECT_EQ(differs, StationNameNeedsWidth(cls, position, direction))
                            << cls << ' ' << position << ' ' << direction << ' ' << rotation;
                    }
}
