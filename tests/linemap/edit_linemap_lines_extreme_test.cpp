// The drawing editor opened on a plan whose files hold values at the ends of the 32-bit range:
// every mode is entered and worked with the buttons and lists as a user would; the sanitizer
// build checks that no step overflows, and the course save stores the right direction.

#include "linemap/edit_linemap_lines.h"

#include "extreme_plan.h"
#include "plan_editor_fixture.h"

#include <QComboBox>
#include <QListWidget>

#include <functional>
#include <string>

namespace {

class ExtremePlanEditor : public PlanEditorWindow
{
protected:
    void SetUp() override
    {
        PlanEditorWindow::SetUp();
        extreme::writeFiles();
        if (HasFatalFailure())
            return;
        CreateEmptyLineStations();
        appendRows(dm1->cdsLineStations, {"LineID", "LineStationNumber", "StationID"},
                   {{1, 1, 1}, {1, 2, 2}, {1, 3, 6}, {2, 1, 2}, {2, 2, 3}, {3, 1, 5}, {3, 2, 6}});
        openEditor();
    }

    // Picks every row of a list in turn, as clicks do, and runs step after each.
    void everyRow(const char *list, const std::function<void()> &step = [] {})
    {
        QListWidget *w = ed<QListWidget>(list);
        for (int i = 0; i < w->count(); ++i) {
            w->setCurrentRow(i);
            emit w->itemClicked(w->item(i));
            step();
        }
    }
    void everyDirection()
    {
        for (const char *b : {"bbDir0", "bbDir45", "bbDir90", "bbDir135", "bbDir180", "bbDir225", "bbDir270",
                              "bbDir315", "bbDir90", "bbDir90", "bbDir270"})
            click(b);
    }
    void largestStep(const char *list)
    {
        QListWidget *w = ed<QListWidget>(list);
        w->setCurrentRow(w->count() - 1);
        emit w->itemClicked(w->currentItem());
    }
};

} // namespace

TEST_F(ExtremePlanEditor, EveryModeRunsOnTheExtremeFiles)
{
    TLineMapEditorState &s = fmEditLineMapLines->State;
    ASSERT_FALSE(s.Picture.isNull());
    for (const char *box : {"cbShowRaster", "cbShowRaster"})
        click(box);

    // Line mode on every line: the sections picked, the cursor moved, a stroke drawn from the
    // plan's corner, then cancelled.
    for (const char *line : {"L1", "L2", "L3"}) {
        choose("lbLines", QString::fromLatin1(line));
        click("bbEditLine");
        EXPECT_EQ(page(), "tsLinePrefs");
        EXPECT_EQ(items("lbLineSections1").size(), line == std::string("L1") ? 2 : 1);
        largestStep("lbStepSize1");
        everyRow("lbLineSections1", [&] { everyDirection(); });
        fmEditLineMapLines->iPreviewMouseDown(395, 295);
        everyDirection();
        click("bbLineDrawOnOff");
        everyDirection();
        click("bbLineDrawOnOff");
        click("bbCancelLine");
    }

    // L3's course saved again: its section from the far left to the far right runs right.
    choose("lbLines", QStringLiteral("L3"));
    click("bbEditLine");
    click("bbSaveLine");
    dm1->cdsLineMapLineSections.setIndexName("idxMapLineSection");
    dm1->cdsLineMapLineSections.setFilter(QStringLiteral("LineID = 3"));
    dm1->cdsLineMapLineSections.setFiltered(true);
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineSections, {"StartX", "EndX", "Degree"}), "-2147483647,2147483647,90");
    dm1->cdsLineMapLineSections.setFiltered(false);

    // Station mode on L1 and L2: every stop and section picked, the stop moved along the course.
    for (const char *line : {"L1", "L2"}) {
        choose("lbLines", QString::fromLatin1(line));
        click("bbEditStations");
        EXPECT_EQ(page(), "tsStationPrefs");
        EXPECT_EQ(items("lbStations").size(), line == std::string("L1") ? 3 : 2);
        largestStep("lbStepSize2");
        everyRow("lbStations", [&] {
            click("rbStationOn");
            everyRow("lbLineSections2", [&] { everyDirection(); });
        });
        // The stops distributed from each end: the names at the course's ends are shown first.
        for (DialogService::Answer reverse : {DialogService::Answer::No, DialogService::Answer::Yes}) {
            m_dialogs.answers = {reverse};
            click("bbStationsArrange");
        }
        EXPECT_TRUE(m_dialogs.answers.empty());
        click("bbCancelStations");
    }

    // Transfer stations: every station with every name position.
    click("bbEditMultiStations");
    EXPECT_EQ(items("lbMultiStations").size(), 4); // B, C, D and F stand on more than one place
    everyRow("lbMultiStations", [&] {
        QComboBox *positions = ed<QComboBox>("cbMultiStationPosition");
        for (int i = 0; i < positions->count(); ++i)
            positions->setCurrentIndex(i);
    });
    click("bbCancelMultiStations");

    // Line labels of every line.
    for (const char *line : {"L1", "L2", "L3"}) {
        choose("lbLines", QString::fromLatin1(line));
        click("bbEditLineText");
        click("btCancelLineText");
    }
    EXPECT_FALSE(s.Picture.isNull());
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join(" | ").toStdString();
}
