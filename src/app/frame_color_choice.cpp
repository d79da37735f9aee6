#include "app/frame_color_choice.h"

#include "data/color_convert.h"
#include "platform/dialog_service.h"
#include "widgets/line_edit_filters.h"

#include <QApplication>
#include <QFocusEvent>
#include <QRegularExpression>

namespace {

// A colour part as the user may give it: a whole number from 0 to 255, nothing else (the
// decimal key filter passes a comma, and pasted text passes no filter at all).
int partValue(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!digits.match(text).hasMatch())
        return -1;
    const int v = text.toInt();
    return v <= 255 ? v : -1;
}

bool leftField(const QFocusEvent *event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

bool isHexText(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{3}|[0-9A-Fa-f]{6})$"));
    return hex.match(text).hasMatch();
}

} // namespace

TFrameColorChoice::TFrameColorChoice(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
    // Enter moves on before the character filter sees the key: the filter installed last runs first.
    for (QLineEdit *e : {eRedColor, eGreenColor, eBlueColor}) {
        installKeyFilter(e, KeyFilterKind::Decimal);
        installKeyFilter(e, KeyFilterKind::EnterToNext);
    }
    installKeyFilter(eHexColor, KeyFilterKind::Hex);
    installKeyFilter(eHexColor, KeyFilterKind::EnterToNext);
    for (QLineEdit *e : {eRedColor, eGreenColor, eBlueColor, eHexColor}) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this] {
            ColorChange();
            emit ColorChanged();
        });
    }
    connect(cobColorSelect, &ColorBox::clicked, this, &TFrameColorChoice::cobColorSelectClick);
    connect(cobColorSelect, &ColorBox::colorChanged, this, [this] {
        cobColorSelectChange();
        emit ColorSelectChanged();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now && isAncestorOf(now) && !(old && isAncestorOf(old)))
            FrameEnter();
    });
    cobColorSelect->setColorValue(0);
}

bool TFrameColorChoice::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving a field is a focus move inside the program; a message box or another window
    // taking the focus is not.
    if (event->type() == QEvent::FocusOut && leftField(static_cast<QFocusEvent *>(event))) {
        if (watched == eRedColor)
            eRedColorExit();
        else if (watched == eGreenColor)
            eGreenColorExit();
        else if (watched == eBlueColor)
            eBlueColorExit();
        else if (watched == eHexColor)
            eHexColorExit();
    }
    return QFrame::eventFilter(watched, event);
}

void TFrameColorChoice::Init()
{
    if (m_tag != 0)
        return;
    Red = Green = Blue = 0;
    HexColor = QStringLiteral("000000");
    m_tag = 1;
}

void TFrameColorChoice::FrameEnter()
{
    Init();
}

void TFrameColorChoice::setFieldText(QLineEdit *field, const QString &text)
{
    // Program-set texts are no edits of the user's; setText also starts a new undo memory.
    const QSignalBlocker block(field);
    field->setText(text);
}

void TFrameColorChoice::showColor()
{
    setFieldText(eRedColor, Red < 0 ? QString() : QString::number(Red));
    setFieldText(eGreenColor, Green < 0 ? QString() : QString::number(Green));
    setFieldText(eBlueColor, Blue < 0 ? QString() : QString::number(Blue));
    setFieldText(eHexColor, HexColor);
    if (Red < 0 || Green < 0 || Blue < 0)
        cobColorSelect->clearColor();
    else
        cobColorSelect->setColorValue(std::uint32_t(Red + Green * 256 + Blue * 65536));
}

void TFrameColorChoice::SetRGBColor(int R, int G, int B)
{
    // Stored values may be damaged; the frame only ever holds what it can show.
    Red = qBound(0, R, 255);
    Green = qBound(0, G, 255);
    Blue = qBound(0, B, 255);
    HexColor = RGBToHexString(Red, Green, Blue);
    m_tag = 1;
    showColor();
}

void TFrameColorChoice::SetHexColor(const QString &Hex)
{
    if (Hex.size() != 6 || !isHexText(Hex))
        return;
    SetRGBColor(Hex.mid(0, 2).toInt(nullptr, 16), Hex.mid(2, 2).toInt(nullptr, 16), Hex.mid(4, 2).toInt(nullptr, 16));
}

void TFrameColorChoice::SetNoColor()
{
    Red = Green = Blue = -1;
    HexColor.clear();
    showColor();
    hide();
}

void TFrameColorChoice::refuse(QLineEdit *field, const QString &lastGood)
{
    dialogs().beep();
    setFieldText(field, lastGood);
    field->setFocus();
}

void TFrameColorChoice::partExit(QLineEdit *field, int &part)
{
    const QString lastGood = part < 0 ? QString() : QString::number(part);
    if (field->text() == lastGood)
        return;
    const int v = partValue(field->text());
    if (v < 0) {
        refuse(field, lastGood);
        return;
    }
    part = v;
    // A part given to a frame without a colour makes the others black.
    Red = qMax(Red, 0);
    Green = qMax(Green, 0);
    Blue = qMax(Blue, 0);
    HexColor = RGBToHexString(Red, Green, Blue);
    showColor();
}

void TFrameColorChoice::eRedColorExit()
{
    partExit(eRedColor, Red);
}
void TFrameColorChoice::eGreenColorExit()
{
    partExit(eGreenColor, Green);
}
void TFrameColorChoice::eBlueColorExit()
{
    partExit(eBlueColor, Blue);
}

void TFrameColorChoice::eHexColorExit()
{
    QString text = eHexColor->text();
    if (text == HexColor)
        return;
    if (!isHexText(text)) {
        refuse(eHexColor, HexColor);
        return;
    }
    if (text.size() == 3)
        text = QString(text[0]) + text[0] + text[1] + text[1] + text[2] + text[2];
    SetHexColor(text);
}

void TFrameColorChoice::cobColorSelectClick()
{
    if (HexColor.size() < 6)
        SetRGBColor(0, 0, 0);
}

void TFrameColorChoice::cobColorSelectChange()
{
    cobColorSelect->setFocus();
    int r = 0, g = 0, b = 0;
    ColorToRGBParts(int(cobColorSelect->colorValue()), r, g, b);
    Red = r;
    Green = g;
    Blue = b;
    HexColor = RGBToHexString(r, g, b);
    m_tag = 1;
    setFieldText(eRedColor, QString::number(Red));
    setFieldText(eGreenColor, QString::number(Green));
    setFieldText(eBlueColor, QString::number(Blue));
    setFieldText(eHexColor, HexColor);
}
