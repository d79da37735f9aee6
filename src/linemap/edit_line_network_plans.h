#pragma once

#include "ui_edit_line_network_plans.h"

#include <QDialog>
#include <QImage>

#include "data/db_linemap.h"

// The list of line network plans with the style settings box, shown modally by the main
// window after it loaded the shared plan tables. New and Edit open the settings box; Save writes
// the plan and its settings row; Edit line map opens the drawing editor on the selected plan.
class TfmEditLineNetworkPlans : public QDialog, private Ui::TfmEditLineNetworkPlans
{
    Q_OBJECT

public:
    explicit TfmEditLineNetworkPlans(QWidget *parent = nullptr);
    ~TfmEditLineNetworkPlans() override;

    // The plan the drawing editor opens: the selected entry of the list; empty when none.
    QString SelectedLineMapName() const;

    // The settings being edited and the selected direction class of the station page.
    const TLineMapPrefs &LineMapPrefs() const { return m_prefs; }
    int SelectedStationClass() const { return m_class; }
    // The preview as the settings box shows it, at 96 dpi.
    QImage PreviewImage() const;

    void btNewLineMapClick();
    void btLineMapEditClick();
    void btLineMapDeleteClick();
    void bbLineMapWorkClick();
    void btSaveClick();
    void btCancelClick();
    void ClearModified();
    void SetModified();
    void ShowLineMapPrefs();

    // Settings box handlers.
    void eMapNameExit();
    void eMapWidthExit();
    void eMapHeightExit();
    void eLineRasterWidthExit();
    void eLineWidthExit();
    void eLineTextDistanceExit();
    void eMultiStationDistanceHExit();
    void eMultiStationDistanceVExit();
    void eStationTextDistanceHExit();
    void eStationTextDistanceVExit();
    void cobBackgroundColorChange(std::uint32_t color);
    void cobLineColorChange(std::uint32_t color);
    void cobVehicleColorChange(std::uint32_t color);
    void cobLineTextColorChange(std::uint32_t color);
    void cobLineTextBackgroundColorChange(std::uint32_t color);
    void cbBackgroundImageOnClick();
    void sbBackgroundImageClick();
    void cbLineDefaultColorClick();
    void cbLineTextStartClick();
    void cbLineTextEndClick();
    void cbLineTextOtherClick();
    void cbLineTextDefaultColorClick();
    void cbLineTextDefaultBackgroundColorClick();
    void sbLineTextFontClick();
    void sbStationFontClick();
    void sbMultiStationFontClick();
    void bbLineWEClick();
    void bbLineNSClick();
    void bbLineNWSEClick();
    void bbLineSWNEClick();
    void rgStationPositionClick(int P);
    void cbStationAlignChange(int Item);
    void cbStationDirectionChange(int Item);
    void cbMultiStationRoundSelfPosClick();
    void cbMultiStationTextInheritSelfPosClick();
    void cbMultiStationRoundParallelClick();
    void cbMultiStationAutoPosClick();
    void cbMultiStationPositionChange(int Index);
    void cbMultiStationAlignChange(int Index);
    void cbMultiStationDirectionChange(int Item);

    // Closing is allowed only in list mode (Escape, the title bar and Close alike).
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    friend void SetEnglishCaptions();

    void FormCreate();
    void FormShow();
    void FormClose();
    void listMode();
    void settingsMode();
    void reloadProjectPrefs();
    bool reloadPrefsForSave();
    bool writePrefsRow(int LineMapID);
    void selectClass(int Cls);
    void showStationClass();
    void stationOffsetExit(bool Horizontal);
    void storeFocusedStationOffset();
    void showMultiStation();
    void repaintPreview();
    void numberExit(QLineEdit *edit, int &field, bool repaint, int minimum = INT_MIN);
    void showFontName(QLineEdit *edit, const FontValue &font);
    bool chooseFont(QLineEdit *edit, FontValue &font, bool withColor, bool withEffects);

    TLineMapPrefs m_prefs;
    int m_class = 0; // selected direction class of the station page
    bool m_modified = false;
    FontValue m_lineTextDialogFont; // the line-label dialog starts from its last choice
    bool m_lineTextFontChosen = false;
};

extern TfmEditLineNetworkPlans *fmEditLineNetworkPlans;
