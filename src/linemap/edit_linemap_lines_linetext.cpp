// Line-label mode of the plan drawing editor: visibility, colours and offsets of one line's labels.

#include "linemap/edit_linemap_lines.h"

#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/line_course_save.h"
#include "linemap/linemap_render.h"
#include "linemap/plan_style_rules.h"
#include "linemap/plan_tables.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/table.h"

namespace {

// The label files of the plans, saved together when label mode is left with Save and read
// back together when it is cancelled.
struct LabelFile
{
    bool (*save)();
    bool (*load)();
    LineMapTable table;
};
const LabelFile kLabelFiles[] = {{&SaveLineMapLineTextVisible, &LoadLineMapLineTextVisible, LineMapTable::TextVisible},
                                 {&SaveLineMapLineTextColor, &LoadLineMapLineTextColor, LineMapTable::TextColor},
                                 {&SaveLineMapLineTextOffset, &LoadLineMapLineTextOffset, LineMapTable::TextOffset}};

QString labelFileName(const LabelFile &f)
{
    return LineMapTableFile(f.table).fileName;
}

bool visibleRow(int LineMapID, int LineID)
{
    return SeekPlanRow(dm1->cdsLineMapLineTextVisible, QStringLiteral("idxMapLine"), {LineMapID, LineID});
}

bool colorRow(int LineMapID, int LineID)
{
    return SeekPlanRow(dm1->cdsLineMapLineTextColor, QStringLiteral("idxMapLine"), {LineMapID, LineID});
}

bool offsetRow(int LineMapID, int LineID, int Position)
{
    return SeekPlanRow(dm1->cdsLineMapLineTextOffset, QStringLiteral("idxMapLinePosition"),
                       {LineMapID, LineID, Position});
}

bool boolField(Table &t, const char *Name)
{
    return t.fieldByName(QLatin1String(Name)).asBoolean();
}

int intField(Table &t, const char *Name)
{
    return t.fieldByName(QLatin1String(Name)).asInteger();
}

// The colour of the row's Red, Green and Blue fields under Prefix ("Color" or "BackgroundColor").
std::uint32_t colorOf(Table &t, const char *Prefix)
{
    const auto part = [&t, Prefix](const char *Name) {
        return std::uint32_t(t.fieldByName(QLatin1String(Prefix) + QLatin1String(Name)).asInteger() & 0xFF);
    };
    return part("Red") | (part("Green") << 8) | (part("Blue") << 16);
}

// Writes fields of the current row; the row stays where the seek left it.
template <typename Change>
void editRow(Table &t, Change change)
{
    try {
        t.edit();
        change(t);
        t.post();
    } catch (const TableError &) {
        t.cancel();
    }
}

void setColor(Table &t, const char *Prefix, std::uint32_t Color)
{
    t.fieldByName(QLatin1String(Prefix) + QLatin1String("Red")).setInteger(int(Color & 0xFF));
    t.fieldByName(QLatin1String(Prefix) + QLatin1String("Green")).setInteger(int((Color >> 8) & 0xFF));
    t.fieldByName(QLatin1String(Prefix) + QLatin1String("Blue")).setInteger(int((Color >> 16) & 0xFF));
}

} // namespace

void TfmEditLineMapLines::bbEditLineTextClick()
{
    if (!takeModeLine())
        return;
    LoadLineCourse(State);
    ShowLineTextPrefs();
    if (lbStepSize1->currentRow() < 0)
        lbStepSize1->setCurrentRow(0);
    lbStepSize1Click();
    ShowLineHeader();
    EnterMode(tsLineTextPrefs);
}

void TfmEditLineMapLines::ShowLineTextPrefs()
{
    const TLineMapPrefs &p = State.Prefs;
    const int map = State.LineMapID;
    const int line = State.CurrentLineID;

    Table &v = dm1->cdsLineMapLineTextVisible;
    if (visibleRow(map, line)) {
        cbLineTextVisibleDefaultProperties->setChecked(false);
        cbLineTextVisibleStart->setChecked(boolField(v, "Start"));
        cbLineTextVisibleEnd->setChecked(boolField(v, "End"));
        cbLineTextVisibleOther->setChecked(boolField(v, "Other"));
        cbLineTextVisibleStart->setEnabled(true);
        cbLineTextVisibleEnd->setEnabled(true);
    } else {
        cbLineTextVisibleDefaultProperties->setChecked(true);
        cbLineTextVisibleStart->setChecked(p.LineTextPosStart);
        cbLineTextVisibleEnd->setChecked(p.LineTextPosEnd);
        cbLineTextVisibleOther->setChecked(p.LineTextPosOther);
        cbLineTextVisibleStart->setEnabled(false);
        cbLineTextVisibleEnd->setEnabled(false);
    }

    // The plan's label colours, as the labels without a colour row are drawn.
    const std::uint32_t planText =
        p.LineTextDefaultColor ? GetLineColor(p, line) : std::uint32_t(p.LineTextColor);
    const std::uint32_t planBackground =
        p.LineTextDefaultBackgroundColor ? GetLineColor(p, line) : std::uint32_t(p.LineTextBackgroundColor);
    Table &c = dm1->cdsLineMapLineTextColor;
    if (colorRow(map, line)) {
        const bool ownText = !boolField(c, "DefaultColor");
        const bool ownBackground = !boolField(c, "DefaultBackgroundColor");
        cbLineTextColorDefaultProperties->setChecked(false);
        cbLineTextDefaultLineColor->setChecked(!ownText);
        cbLineTextDefaultLineColor->setEnabled(true);
        cobLineTextColor->setColorValue(ownText ? colorOf(c, "Color") : planText);
        cbLineTextDefaultLineBackgroundColor->setChecked(!ownBackground);
        cbLineTextDefaultLineBackgroundColor->setEnabled(true);
        cobLineTextBackgroundColor->setColorValue(ownBackground ? colorOf(c, "BackgroundColor") : planBackground);
    } else {
        cbLineTextColorDefaultProperties->setChecked(true);
        cbLineTextDefaultLineColor->setChecked(p.LineTextDefaultColor);
        cbLineTextDefaultLineColor->setEnabled(false);
        cbLineTextDefaultLineBackgroundColor->setChecked(p.LineTextDefaultBackgroundColor);
        cbLineTextDefaultLineBackgroundColor->setEnabled(false);
        cobLineTextColor->setColorValue(planText);
        cobLineTextBackgroundColor->setColorValue(planBackground);
    }
    showLineTextColorBoxes();

    cbLineTextPosition->setCurrentIndex(0);
    showLineTextOffset();
}

// The colour boxes as the check boxes above them say.
void TfmEditLineMapLines::showLineTextColorBoxes()
{
    lLineTextColor->setVisible(!cbLineTextDefaultLineColor->isChecked());
    cobLineTextColor->setVisible(!cbLineTextDefaultLineColor->isChecked());
    lLineTextBackgroundColor->setVisible(!cbLineTextDefaultLineBackgroundColor->isChecked());
    cobLineTextBackgroundColor->setVisible(!cbLineTextDefaultLineBackgroundColor->isChecked());
    // Without the line's colour row a chosen colour would be stored nowhere: the boxes only
    // show the plan's colours then, like the check boxes above them.
    const bool own = !cbLineTextColorDefaultProperties->isChecked();
    cobLineTextColor->setEnabled(own);
    cobLineTextBackgroundColor->setEnabled(own);
}

// The offset row of the chosen end, or "0" and disabled without one.
void TfmEditLineMapLines::showLineTextOffset()
{
    const int position = cbLineTextPosition->currentIndex() + 1;
    Table &o = dm1->cdsLineMapLineTextOffset;
    const bool found = offsetRow(State.LineMapID, State.CurrentLineID, position);
    eLineTextDistanceH->setText(found ? QString::number(intField(o, "X")) : QStringLiteral("0"));
    eLineTextDistanceV->setText(found ? QString::number(intField(o, "Y")) : QStringLiteral("0"));
    eLineTextDistanceH->setEnabled(found);
    eLineTextDistanceV->setEnabled(found);
    cbLineTextNoChange->setChecked(!found);
}

void TfmEditLineMapLines::cbLineTextVisibleDefaultPropertiesClick()
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    const TLineMapPrefs &p = State.Prefs;
    if (!cbLineTextVisibleDefaultProperties->isChecked()) {
        if (!visibleRow(State.LineMapID, State.CurrentLineID))
            AddLineTextVisible(State.LineMapID, State.CurrentLineID, p.LineTextPosStart, p.LineTextPosEnd,
                               p.LineTextPosOther);
        Table &v = dm1->cdsLineMapLineTextVisible;
        if (visibleRow(State.LineMapID, State.CurrentLineID)) {
            cbLineTextVisibleStart->setChecked(boolField(v, "Start"));
            cbLineTextVisibleEnd->setChecked(boolField(v, "End"));
            cbLineTextVisibleOther->setChecked(boolField(v, "Other"));
        }
        cbLineTextVisibleStart->setEnabled(true);
        cbLineTextVisibleEnd->setEnabled(true);
    } else {
        cbLineTextVisibleStart->setChecked(p.LineTextPosStart);
        cbLineTextVisibleEnd->setChecked(p.LineTextPosEnd);
        cbLineTextVisibleOther->setChecked(p.LineTextPosOther);
        cbLineTextVisibleStart->setEnabled(false);
        cbLineTextVisibleEnd->setEnabled(false);
        DeleteLineTextVisible(State.LineMapID, State.CurrentLineID);
    }
}

void TfmEditLineMapLines::lineTextVisibleClick(bool AtStart)
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs || !visibleRow(State.LineMapID, State.CurrentLineID))
        return;
    const bool on = (AtStart ? cbLineTextVisibleStart : cbLineTextVisibleEnd)->isChecked();
    const QString field = AtStart ? QStringLiteral("Start") : QStringLiteral("End");
    editRow(dm1->cdsLineMapLineTextVisible, [on, &field](Table &t) { t.fieldByName(field).setBoolean(on); });
    RedrawWhole();
}

void TfmEditLineMapLines::cbLineTextVisibleStartClick() { lineTextVisibleClick(true); }
void TfmEditLineMapLines::cbLineTextVisibleEndClick() { lineTextVisibleClick(false); }

void TfmEditLineMapLines::cbLineTextColorDefaultPropertiesClick()
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    const TLineMapPrefs &p = State.Prefs;
    if (!cbLineTextColorDefaultProperties->isChecked()) {
        if (!colorRow(State.LineMapID, State.CurrentLineID)) {
            const std::uint32_t text = std::uint32_t(p.LineTextColor);
            const std::uint32_t back = std::uint32_t(p.LineTextBackgroundColor);
            AddLineTextColor(State.LineMapID, State.CurrentLineID, p.LineTextDefaultColor, int(text & 0xFF),
                             int((text >> 8) & 0xFF), int((text >> 16) & 0xFF), p.LineTextDefaultBackgroundColor,
                             int(back & 0xFF), int((back >> 8) & 0xFF), int((back >> 16) & 0xFF));
        }
        Table &c = dm1->cdsLineMapLineTextColor;
        if (colorRow(State.LineMapID, State.CurrentLineID)) {
            cbLineTextDefaultLineColor->setChecked(boolField(c, "DefaultColor"));
            cobLineTextColor->setColorValue(colorOf(c, "Color"));
            cbLineTextDefaultLineBackgroundColor->setChecked(boolField(c, "DefaultBackgroundColor"));
            cobLineTextBackgroundColor->setColorValue(colorOf(c, "BackgroundColor"));
        }
        cbLineTextDefaultLineColor->setEnabled(true);
        cbLineTextDefaultLineBackgroundColor->setEnabled(true);
    } else {
        cbLineTextDefaultLineColor->setChecked(p.LineTextDefaultColor);
        cbLineTextDefaultLineColor->setEnabled(false);
        cobLineTextColor->setColorValue(std::uint32_t(p.LineTextColor));
        cbLineTextDefaultLineBackgroundColor->setChecked(p.LineTextDefaultBackgroundColor);
        cbLineTextDefaultLineBackgroundColor->setEnabled(false);
        cobLineTextBackgroundColor->setColorValue(std::uint32_t(p.LineTextBackgroundColor));
        DeleteLineTextColor(State.LineMapID, State.CurrentLineID);
    }
    showLineTextColorBoxes();
    RedrawWhole();
}

// The text's (Background false) or the background's "line colour" box: stored in the line's
// colour row when it has one; the own colour box shows only without the tick.
void TfmEditLineMapLines::lineTextFromLineClick(bool Background)
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    const bool fromLine =
        (Background ? cbLineTextDefaultLineBackgroundColor : cbLineTextDefaultLineColor)->isChecked();
    ColorBox *box = Background ? cobLineTextBackgroundColor : cobLineTextColor;
    const char *prefix = Background ? "BackgroundColor" : "Color";
    const QString field = Background ? QStringLiteral("DefaultBackgroundColor") : QStringLiteral("DefaultColor");
    Table &c = dm1->cdsLineMapLineTextColor;
    if (colorRow(State.LineMapID, State.CurrentLineID)) {
        editRow(c, [fromLine, &field](Table &t) { t.fieldByName(field).setBoolean(fromLine); });
        if (fromLine && colorRow(State.LineMapID, State.CurrentLineID))
            box->setColorValue(colorOf(c, prefix));
    }
    (Background ? lLineTextBackgroundColor : lLineTextColor)->setVisible(!fromLine);
    box->setVisible(!fromLine);
    RedrawWhole();
}

void TfmEditLineMapLines::cbLineTextDefaultLineColorMouseUp() { lineTextFromLineClick(false); }
void TfmEditLineMapLines::cbLineTextDefaultLineBackgroundColorMouseUp() { lineTextFromLineClick(true); }

void TfmEditLineMapLines::lineTextColorChange(bool Background)
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs || !colorRow(State.LineMapID, State.CurrentLineID))
        return;
    const std::uint32_t color = (Background ? cobLineTextBackgroundColor : cobLineTextColor)->colorValue();
    const char *prefix = Background ? "BackgroundColor" : "Color";
    editRow(dm1->cdsLineMapLineTextColor, [prefix, color](Table &t) { setColor(t, prefix, color); });
    RedrawWhole();
}

void TfmEditLineMapLines::cobLineTextColorChange() { lineTextColorChange(false); }
void TfmEditLineMapLines::cobLineTextBackgroundColorChange() { lineTextColorChange(true); }

void TfmEditLineMapLines::cbLineTextPositionChange()
{
    if (pcPrefs->currentWidget() == tsLineTextPrefs)
        showLineTextOffset();
}

void TfmEditLineMapLines::cbLineTextNoChangeClick()
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    const int position = cbLineTextPosition->currentIndex() + 1;
    if (!cbLineTextNoChange->isChecked()) {
        if (!offsetRow(State.LineMapID, State.CurrentLineID, position))
            AddLineTextOffset(State.LineMapID, State.CurrentLineID, position,
                              position == 1 ? 1 : int(State.Sections.size()), 0, 0);
        showLineTextOffset();
    } else {
        eLineTextDistanceH->setText(QStringLiteral("0"));
        eLineTextDistanceV->setText(QStringLiteral("0"));
        eLineTextDistanceH->setEnabled(false);
        eLineTextDistanceV->setEnabled(false);
        DeleteLineTextOffsetAtPosition(State.LineMapID, State.CurrentLineID, position);
    }
    RedrawWhole();
}

void TfmEditLineMapLines::lineTextOffsetExit(bool Horizontal)
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    QLineEdit *edit = Horizontal ? eLineTextDistanceH : eLineTextDistanceV;
    const char *name = Horizontal ? "X" : "Y";
    const int position = cbLineTextPosition->currentIndex() + 1;
    Table &o = dm1->cdsLineMapLineTextOffset;
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        const bool found = offsetRow(State.LineMapID, State.CurrentLineID, position);
        edit->setText(found ? QString::number(intField(o, name)) : QStringLiteral("0"));
    } else {
        int value = 0;
        if (!ParseIntegerText(text, value)) {
            dialogs().showMessage(QStringLiteral("'%1' is not a valid integer value").arg(text));
            return;
        }
        if (offsetRow(State.LineMapID, State.CurrentLineID, position))
            editRow(o, [name, value](Table &t) { t.fieldByName(QLatin1String(name)).setInteger(value); });
    }
    RedrawWhole();
}

void TfmEditLineMapLines::eLineTextDistanceHExit() { lineTextOffsetExit(true); }
void TfmEditLineMapLines::eLineTextDistanceVExit() { lineTextOffsetExit(false); }

void TfmEditLineMapLines::btSaveLineTextClick()
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    // A label file that could not be read is not written over (they hold every plan's labels).
    auto file = [](const LabelFile &f) { return LineMapTableFile(f.table); };
    if (RefuseDamagedFiles({file(kLabelFiles[0]), file(kLabelFiles[1]), file(kLabelFiles[2])}))
        return;
    ProjectChange change;
    change.keepTablesOnUndo();
    for (const LabelFile &f : kLabelFiles) {
        ansi::setLastWriteError(QString());
        if (!f.save()) {
            // A failed write keeps the mode with its changes, and nothing of it is written: the
            // save can be tried again, and Cancel reads the files back.
            change.finish(false);
            dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the file %1").arg(labelFileName(f))));
            return;
        }
    }
    if (!FinishModeSave(change))
        return;
    LeaveMode();
}

void TfmEditLineMapLines::btCancelLineTextClick()
{
    if (pcPrefs->currentWidget() != tsLineTextPrefs)
        return;
    for (const LabelFile &f : kLabelFiles)
        if (!f.load())
            dialogs().showMessage(QStringLiteral("Error loading the file %1!").arg(labelFileName(f)));
    LeaveMode();
}
