// The settings box of the plan list: shows the record in its controls and applies each edit.
#include "linemap/edit_line_network_plans.h"

#include <QFileInfo>
#include <QPixmap>

#include "linemap/linemap_canvas.h"
#include "linemap/linemap_export.h"
#include "linemap/linemap_records.h"
#include "linemap/plan_style_rules.h"
#include "linemap/style_preview.h"
#include "platform/dialog_service.h"

namespace {

void setCombo(QComboBox *box, const QStringList &items, int index)
{
    const QSignalBlocker block(box);
    QStringList current;
    for (int i = 0; i < box->count(); ++i)
        current << box->itemText(i);
    if (current != items) {
        box->clear();
        box->addItems(items);
    }
    box->setCurrentIndex(index);
}

void setColor(ColorBox *box, int color)
{
    const QSignalBlocker block(box);
    box->setColorValue(std::uint32_t(color));
}

void setCheck(QCheckBox *box, bool on)
{
    const QSignalBlocker block(box);
    box->setChecked(on);
}

} // namespace

QImage TfmEditLineNetworkPlans::PreviewImage() const
{
    QImage image = NewPlanPicture(kPreviewSize, kPreviewSize);
    QPainter painter(&image);
    BeginPlanPainter(painter);
    PaintPreview(painter, m_prefs, m_class);
    return image;
}

void TfmEditLineNetworkPlans::repaintPreview()
{
    pbPreview->update();
}

void TfmEditLineNetworkPlans::showFontName(QLineEdit *edit, const FontValue &font)
{
    edit->setText(font.name);
    QFont face(font.name);
    face.setPointSize(8);
    edit->setFont(face);
}

void TfmEditLineNetworkPlans::ShowLineMapPrefs()
{
    eMapName->setText(m_prefs.Name);
    eMapWidth->setText(QString::number(m_prefs.Width));
    eMapHeight->setText(QString::number(m_prefs.Height));
    setColor(cobBackgroundColor, m_prefs.BackgroundColor);
    setCheck(cbBackgroundImageOn, m_prefs.BackgroundImageOn);
    eBackgroundImage->setEnabled(m_prefs.BackgroundImageOn);
    sbBackgroundImage->setEnabled(m_prefs.BackgroundImageOn);
    iBackgroundImage->setVisible(m_prefs.BackgroundImageOn);
    iBackgroundImage->clear();
    eBackgroundImage->setText(m_prefs.BackgroundImage);
    setCheck(cbLineDefaultColor, m_prefs.LineDefaultColor);
    cobLineColor->setVisible(!m_prefs.LineDefaultColor);
    lLineColor->setVisible(!m_prefs.LineDefaultColor);
    setColor(cobLineColor, m_prefs.LineColor);
    setCheck(cbLineTextStart, m_prefs.LineTextPosStart);
    setCheck(cbLineTextEnd, m_prefs.LineTextPosEnd);
    setCheck(cbLineTextOther, m_prefs.LineTextPosOther);
    showFontName(eLineTextFont, m_prefs.LineTextFont);
    setCheck(cbLineTextDefaultColor, m_prefs.LineTextDefaultColor);
    cobLineTextColor->setVisible(!m_prefs.LineTextDefaultColor);
    lLineTextColor->setVisible(!m_prefs.LineTextDefaultColor);
    setCheck(cbLineTextDefaultBackgroundColor, m_prefs.LineTextDefaultBackgroundColor);
    cobLineTextBackgroundColor->setVisible(!m_prefs.LineTextDefaultBackgroundColor);
    lLineTextBackgroundColor->setVisible(!m_prefs.LineTextDefaultBackgroundColor);
    setColor(cobLineTextColor, m_prefs.LineTextColor);
    setColor(cobLineTextBackgroundColor, m_prefs.LineTextBackgroundColor);
    eLineTextDistance->setText(QString::number(m_prefs.LineTextDistance));
    setColor(cobVehicleColor, m_prefs.VehicleColor);
    eLineWidth->setText(QString::number(m_prefs.LineDrawWidth));
    eLineRasterWidth->setText(QString::number(m_prefs.LineRasterWidth));
    showFontName(eStationFont, m_prefs.StationFont);
    selectClass(dcWE);
    showFontName(eMultiStationFont, m_prefs.MultiStationFont);
    setCheck(cbMultiStationRoundSelfPos, m_prefs.MultiStationRoundSelfPos);
    setCheck(cbMultiStationTextInheritSelfPos, m_prefs.MultiStationTextInheritSelfPos);
    setCheck(cbMultiStationRoundParallel, m_prefs.MultiStationRoundParallel);
    setCheck(cbMultiStationAutoPos, m_prefs.MultiStationAutoPos);
    eMultiStationDistanceH->setText(QString::number(m_prefs.MultiStationOffsetX));
    eMultiStationDistanceV->setText(QString::number(m_prefs.MultiStationOffsetY));
    showMultiStation();
}

// ---------------------------------------------------------------- the common page

void TfmEditLineNetworkPlans::eMapNameExit()
{
    QString name = m_prefs.Name;
    const TEditResult r = NameRule(eMapName->text(), name);
    if (r == TEditResult::Stored) {
        m_prefs.Name = name;
        SetModified();
    } else {
        eMapName->setText(m_prefs.Name);
    }
}

void TfmEditLineNetworkPlans::numberExit(QLineEdit *edit, int &field, bool repaint, int minimum)
{
    const TEditResult r = NumberRule(edit->text(), field, minimum);
    edit->setText(QString::number(field));
    if (r != TEditResult::Stored)
        return;
    SetModified();
    if (repaint)
        repaintPreview();
}

void TfmEditLineNetworkPlans::eMapWidthExit() { numberExit(eMapWidth, m_prefs.Width, false); }
void TfmEditLineNetworkPlans::eMapHeightExit() { numberExit(eMapHeight, m_prefs.Height, false); }
// A raster width below 1 is refused: every plan routine divides by it.
void TfmEditLineNetworkPlans::eLineRasterWidthExit() { numberExit(eLineRasterWidth, m_prefs.LineRasterWidth, true, 1); }
void TfmEditLineNetworkPlans::eLineWidthExit() { numberExit(eLineWidth, m_prefs.LineDrawWidth, true); }
void TfmEditLineNetworkPlans::eLineTextDistanceExit() { numberExit(eLineTextDistance, m_prefs.LineTextDistance, false); }
void TfmEditLineNetworkPlans::eMultiStationDistanceHExit()
{
    numberExit(eMultiStationDistanceH, m_prefs.MultiStationOffsetX, true);
}
void TfmEditLineNetworkPlans::eMultiStationDistanceVExit()
{
    numberExit(eMultiStationDistanceV, m_prefs.MultiStationOffsetY, true);
}

void TfmEditLineNetworkPlans::cobBackgroundColorChange(std::uint32_t color)
{
    m_prefs.BackgroundColor = int(color);
    SetModified();
    repaintPreview();
}

void TfmEditLineNetworkPlans::cbBackgroundImageOnClick()
{
    m_prefs.BackgroundImageOn = cbBackgroundImageOn->isChecked();
    eBackgroundImage->setEnabled(m_prefs.BackgroundImageOn);
    sbBackgroundImage->setEnabled(m_prefs.BackgroundImageOn);
    iBackgroundImage->setVisible(m_prefs.BackgroundImageOn);
    SetModified();
}

void TfmEditLineNetworkPlans::sbBackgroundImageClick()
{
    const QString file = dialogs().getOpenFileName(QString(), QFileInfo(m_prefs.BackgroundImage).absolutePath(),
                                                   QStringLiteral("Bitmaps (*.bmp)|*.bmp"), QStringLiteral(".bmp"));
    if (!file.isEmpty()) {
        m_prefs.BackgroundImage = file;
        eBackgroundImage->setText(file);
        QImage picture;
        switch (BackgroundKindOf(file)) {
        case TBackgroundKind::Bitmap: picture = ReadPictureFile(file, "BMP"); break;
        case TBackgroundKind::Jpeg: picture = ReadJpegFile(file); break;
        case TBackgroundKind::Icon: picture = ReadPictureFile(file, "ICO"); break;
        case TBackgroundKind::Metafile: break; // no metafile reader: the name stays, no picture
        case TBackgroundKind::Other:
            m_prefs.BackgroundImage.clear();
            eBackgroundImage->clear();
            break;
        }
        if (picture.isNull())
            iBackgroundImage->clear();
        else
            iBackgroundImage->setPixmap(QPixmap::fromImage(picture.scaled(iBackgroundImage->size(),
                                                                          Qt::KeepAspectRatio,
                                                                          Qt::SmoothTransformation)));
    }
    SetModified();
}

// ---------------------------------------------------------------- the lines page

void TfmEditLineNetworkPlans::cbLineDefaultColorClick()
{
    m_prefs.LineDefaultColor = cbLineDefaultColor->isChecked();
    cobLineColor->setVisible(!m_prefs.LineDefaultColor);
    lLineColor->setVisible(!m_prefs.LineDefaultColor);
    setColor(cobLineColor, m_prefs.LineColor);
    SetModified();
}

void TfmEditLineNetworkPlans::cobLineColorChange(std::uint32_t color)
{
    m_prefs.LineColor = int(color);
    SetModified();
    repaintPreview();
}

void TfmEditLineNetworkPlans::cobVehicleColorChange(std::uint32_t color)
{
    m_prefs.VehicleColor = int(color);
    SetModified();
}

void TfmEditLineNetworkPlans::cbLineTextStartClick()
{
    m_prefs.LineTextPosStart = cbLineTextStart->isChecked();
    SetModified();
}

void TfmEditLineNetworkPlans::cbLineTextEndClick()
{
    m_prefs.LineTextPosEnd = cbLineTextEnd->isChecked();
    SetModified();
}

void TfmEditLineNetworkPlans::cbLineTextOtherClick()
{
    m_prefs.LineTextPosOther = cbLineTextOther->isChecked();
    SetModified();
}

void TfmEditLineNetworkPlans::cbLineTextDefaultColorClick()
{
    m_prefs.LineTextDefaultColor = cbLineTextDefaultColor->isChecked();
    cobLineTextColor->setVisible(!m_prefs.LineTextDefaultColor);
    lLineTextColor->setVisible(!m_prefs.LineTextDefaultColor);
    setColor(cobLineTextColor, m_prefs.LineTextColor);
    SetModified();
}

void TfmEditLineNetworkPlans::cbLineTextDefaultBackgroundColorClick()
{
    m_prefs.LineTextDefaultBackgroundColor = cbLineTextDefaultBackgroundColor->isChecked();
    cobLineTextBackgroundColor->setVisible(!m_prefs.LineTextDefaultBackgroundColor);
    lLineTextBackgroundColor->setVisible(!m_prefs.LineTextDefaultBackgroundColor);
    setColor(cobLineTextBackgroundColor, m_prefs.LineTextBackgroundColor);
    SetModified();
}

void TfmEditLineNetworkPlans::cobLineTextColorChange(std::uint32_t color)
{
    m_prefs.LineTextColor = int(color);
    SetModified();
}

void TfmEditLineNetworkPlans::cobLineTextBackgroundColorChange(std::uint32_t color)
{
    m_prefs.LineTextBackgroundColor = int(color);
    SetModified();
}

// The settings count as modified whether the dialog was confirmed or cancelled.
bool TfmEditLineNetworkPlans::chooseFont(QLineEdit *edit, FontValue &font, bool withColor, bool withEffects)
{
    FontValue chosen = font;
    const bool ok = dialogs().chooseFont(chosen, withColor, withEffects);
    if (ok) {
        if (!withEffects) {
            chosen.underline = false;
            chosen.strikeOut = false;
        }
        if (!withColor)
            chosen.color = font.color;
        font = chosen;
        showFontName(edit, font);
    }
    SetModified();
    return ok;
}

void TfmEditLineNetworkPlans::sbLineTextFontClick()
{
    FontValue start = m_lineTextFontChosen ? m_lineTextDialogFont : m_prefs.LineTextFont;
    if (chooseFont(eLineTextFont, start, false, false)) {
        m_lineTextDialogFont = start;
        m_lineTextFontChosen = true;
        const std::uint32_t color = m_prefs.LineTextFont.color;
        m_prefs.LineTextFont = start;
        m_prefs.LineTextFont.color = color;
    }
}

void TfmEditLineNetworkPlans::sbStationFontClick()
{
    chooseFont(eStationFont, m_prefs.StationFont, true, true);
    repaintPreview();
}

void TfmEditLineNetworkPlans::sbMultiStationFontClick()
{
    chooseFont(eMultiStationFont, m_prefs.MultiStationFont, true, true);
}

// ---------------------------------------------------------------- the stations page

void TfmEditLineNetworkPlans::selectClass(int Cls)
{
    m_class = Cls;
    showStationClass();
    repaintPreview();
}

void TfmEditLineNetworkPlans::showStationClass()
{
    const TStationClassView v = StationClassView(m_prefs, m_class);
    rgStationPositionItem0->setText(v.PositionItems.value(0));
    rgStationPositionItem1->setText(v.PositionItems.value(1));
    (v.PositionIndex == 0 ? rgStationPositionItem0 : rgStationPositionItem1)->setChecked(true);
    lStationTextDistanceH->setText(v.LabelH);
    lStationTextDistanceV->setText(v.LabelV);
    eStationTextDistanceH->setText(QString::number(v.ShownH));
    eStationTextDistanceV->setText(QString::number(v.ShownV));
    cbStationAlign->setVisible(v.AlignVisible);
    lStationAlign->setVisible(v.AlignVisible);
    {
        const QSignalBlocker block(cbStationAlign);
        cbStationAlign->setCurrentIndex(v.AlignIndex);
    }
    cbStationDirection->setVisible(v.DirectionVisible);
    lStationDirection->setVisible(v.DirectionVisible);
    if (!v.DirectionItems.isEmpty())
        setCombo(cbStationDirection, v.DirectionItems, v.DirectionIndex);
}

// An offset edit that still holds the focus (a switch made from the keyboard) has not run its
// exit yet: its number belongs to the class and side shown until now.
void TfmEditLineNetworkPlans::storeFocusedStationOffset()
{
    if (eStationTextDistanceH->hasFocus())
        stationOffsetExit(true);
    else if (eStationTextDistanceV->hasFocus())
        stationOffsetExit(false);
}

void TfmEditLineNetworkPlans::bbLineWEClick()
{
    storeFocusedStationOffset();
    selectClass(dcWE);
}

void TfmEditLineNetworkPlans::bbLineNSClick()
{
    storeFocusedStationOffset();
    selectClass(dcNS);
}

void TfmEditLineNetworkPlans::bbLineNWSEClick()
{
    storeFocusedStationOffset();
    selectClass(dcNWSE);
}

void TfmEditLineNetworkPlans::bbLineSWNEClick()
{
    storeFocusedStationOffset();
    selectClass(dcSWNE);
}

void TfmEditLineNetworkPlans::rgStationPositionClick(int P)
{
    storeFocusedStationOffset();
    // Only a change of side is an edit: the rules negate offsets and rotations.
    if (P == StationPrefs(m_prefs, m_class).Position)
        return;
    StationPositionRule(m_prefs, m_class, P);
    showStationClass();
    SetModified();
    repaintPreview();
}

void TfmEditLineNetworkPlans::stationOffsetExit(bool Horizontal)
{
    const QLineEdit *edit = Horizontal ? eStationTextDistanceH : eStationTextDistanceV;
    const TEditResult r = StationOffsetTextRule(m_prefs, m_class, Horizontal, edit->text());
    showStationClass();
    if (r != TEditResult::Stored)
        return;
    SetModified();
    repaintPreview();
}

void TfmEditLineNetworkPlans::eStationTextDistanceHExit() { stationOffsetExit(true); }
void TfmEditLineNetworkPlans::eStationTextDistanceVExit() { stationOffsetExit(false); }

void TfmEditLineNetworkPlans::cbStationAlignChange(int Item)
{
    if (Item == StationPrefs(m_prefs, m_class).TextDirection)
        return;
    StationAlignRule(m_prefs, m_class, Item);
    showStationClass();
    SetModified();
    repaintPreview();
}

void TfmEditLineNetworkPlans::cbStationDirectionChange(int Item)
{
    StationDirectionRule(m_prefs, m_class, Item);
    showStationClass();
    SetModified();
    repaintPreview();
}

// ---------------------------------------------------------------- the transfer-station page

void TfmEditLineNetworkPlans::showMultiStation()
{
    const TMultiStationView v = MultiStationView(m_prefs);
    setCombo(cbMultiStationPosition, MultiStationPositionItems(), m_prefs.MultiStationPosition <= 11
                                                                      ? m_prefs.MultiStationPosition
                                                                      : -1);
    setCombo(cbMultiStationAlign, MultiStationAlignItems(), v.AlignIndex);
    cbMultiStationAlign->setEnabled(v.AlignEnabled);
    setCombo(cbMultiStationDirection, v.DirectionItems, v.DirectionIndex);
    cbMultiStationDirection->setEnabled(true);
    cbMultiStationPosition->setVisible(!m_prefs.MultiStationAutoPos);
}

void TfmEditLineNetworkPlans::cbMultiStationRoundSelfPosClick()
{
    m_prefs.MultiStationRoundSelfPos = cbMultiStationRoundSelfPos->isChecked();
    SetModified();
}

void TfmEditLineNetworkPlans::cbMultiStationTextInheritSelfPosClick()
{
    m_prefs.MultiStationTextInheritSelfPos = cbMultiStationTextInheritSelfPos->isChecked();
    SetModified();
}

void TfmEditLineNetworkPlans::cbMultiStationRoundParallelClick()
{
    m_prefs.MultiStationRoundParallel = cbMultiStationRoundParallel->isChecked();
    SetModified();
}

void TfmEditLineNetworkPlans::cbMultiStationAutoPosClick()
{
    m_prefs.MultiStationAutoPos = cbMultiStationAutoPos->isChecked();
    cbMultiStationPosition->setVisible(!m_prefs.MultiStationAutoPos);
    SetModified();
}

void TfmEditLineNetworkPlans::cbMultiStationPositionChange(int Index)
{
    MultiStationPositionRule(m_prefs, Index);
    showMultiStation();
    SetModified();
}

void TfmEditLineNetworkPlans::cbMultiStationAlignChange(int Index)
{
    MultiStationAlignRule(m_prefs, Index);
    showMultiStation();
    SetModified();
}

void TfmEditLineNetworkPlans::cbMultiStationDirectionChange(int Item)
{
    MultiStationDirectionRule(m_prefs, Item);
    SetModified();
}
