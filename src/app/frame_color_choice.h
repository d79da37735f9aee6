#pragma once

#include "ui_frame_color_choice.h"

#include <QFrame>
#include <QString>

// The colour-choice panel: one RGB colour from the colour box, as three decimal parts or as
// six (or three) hexadecimal digits. Red, Green, Blue and HexColor always hold what the fields
// show once a field has been left; -1 each (and an empty HexColor) while the frame holds no
// colour. Hosts connect to ColorChanged and ColorSelectChanged to mark themselves unsaved:
// both follow the user's edits only, never a colour set by the program.
class TFrameColorChoice : public QFrame, private Ui::TFrameColorChoice
{
    Q_OBJECT

public:
    explicit TFrameColorChoice(QWidget *parent = nullptr);

    int Red = 0;
    int Green = 0;
    int Blue = 0;
    QString HexColor = QStringLiteral("000000");

    void Init();
    void SetRGBColor(int R, int G, int B);
    void SetHexColor(const QString &Hex); // a text that is not six hexadecimal digits changes nothing
    void SetNoColor();
    // The initialised mark: 0 until the frame is first entered or given a colour.
    int tag() const { return m_tag; }

    // Handlers, public so hosts and tests can run them as the events would.
    void FrameEnter();
    void eRedColorExit();
    void eGreenColorExit();
    void eBlueColorExit();
    void eHexColorExit();
    void cobColorSelectClick();
    void cobColorSelectChange();
    void ColorChange() {}

signals:
    // The user changed the text of one of the four fields.
    void ColorChanged();
    // The user chose a colour in the colour box; the fields already show it.
    void ColorSelectChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void partExit(QLineEdit *field, int &part);
    void refuse(QLineEdit *field, const QString &lastGood);
    void showColor(); // the four fields and the colour box from Red, Green, Blue and HexColor
    void setFieldText(QLineEdit *field, const QString &text);

    int m_tag = 0;
};
