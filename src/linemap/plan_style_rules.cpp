#include "linemap/plan_style_rules.h"

#include <QFileInfo>

#include <climits>
#include <cstdlib>

#include "data/common_helpers.h"
#include "linemap/linemap_records.h"
#include "linemap/station_text_choices.h"
#include "platform/dialog_service.h"

TStationDirectionPrefs &StationPrefs(TLineMapPrefs &Prefs, int Cls)
{
    switch (Cls) {
    case dcNS: return Prefs.NS;
    case dcNWSE: return Prefs.NWSE;
    case dcSWNE: return Prefs.SWNE;
    default: return Prefs.WE;
    }
}

const TStationDirectionPrefs &StationPrefs(const TLineMapPrefs &Prefs, int Cls)
{
    return StationPrefs(const_cast<TLineMapPrefs &>(Prefs), Cls);
}

int StationOffsetXSign(int Cls, int Position)
{
    switch (Cls) {
    case dcNS: return Position == 0 ? -1 : 1;
    case dcNWSE: return Position == 0 ? 1 : -1;
    case dcSWNE: return Position == 0 ? -1 : 1;
    default: return 1;
    }
}

int StationOffsetYSign(int Cls, int Position)
{
    if (Cls == dcNS)
        return 1;
    return Position == 0 ? -1 : 1;
}
namespace {

// The sign flips of offsets and rotations on a value from the settings file: the lowest int
// has no positive counterpart and becomes the highest.
int flipped(int v)
{
    return v == INT_MIN ? INT_MAX : -v;
}

int withSign(int sign, int v)
{
    return sign < 0 ? flipped(v) : v;
}

int weSizeIndex(int Rotation)
{
    switch (Rotation == INT_MIN ? 0 : std::abs(Rotation)) {
    case 45: return 1;
    case 90: return 2;
    default: return 0;
    }
}

// NS items: "horizontal", "diagonal up", "diagonal down"; which rotation is "up" depends on the side.
int nsIndex(int Position, int Rotation)
{
    const int up = Position == 0 ? -45 : 45;
    if (Rotation == up)
        return 1;
    if (Rotation == -up)
        return 2;
    return 0;
}

// The sign of a WE rotation for a side and alignment: the text leans away from the line.
int weSign(int Position, int TextDirection)
{
    if ((Position == 0 && TextDirection == 2) || (Position == 1 && TextDirection == 0))
        return -1;
    return 1;
}

} // namespace

TStationClassView StationClassView(const TLineMapPrefs &Prefs, int Cls)
{
    const TStationDirectionPrefs &p = StationPrefs(Prefs, Cls);
    TStationClassView v;
    v.PositionIndex = p.Position == 0 ? 0 : 1;
    v.ShownH = withSign(StationOffsetXSign(Cls, p.Position), p.OffsetX);
    v.ShownV = withSign(StationOffsetYSign(Cls, p.Position), p.OffsetY);
    switch (Cls) {
    case dcNS:
        v.PositionItems = {QStringLiteral("Left"), QStringLiteral("Right")};
        v.LabelH = QStringLiteral("Horizontal text offset:");
        v.LabelV = QStringLiteral("Vertical text placement");
        v.DirectionVisible = true;
        v.DirectionItems = {QStringLiteral("horizontal"), QStringLiteral("diagonal up"),
                            QStringLiteral("diagonal down")};
        v.DirectionIndex = nsIndex(p.Position, p.Rotation);
        break;
    case dcNWSE:
    case dcSWNE:
        v.PositionItems = {UpperFirst(QStringLiteral("above")), UpperFirst(QStringLiteral("below"))};
        v.LabelH = QStringLiteral("Horizontal text offset:");
        v.LabelV = QStringLiteral("Vertical text offset:");
        break;
    default:
        v.PositionItems = {QStringLiteral("above"), QStringLiteral("below")};
        v.LabelH = QStringLiteral("Horizontal text placement:");
        v.LabelV = QStringLiteral("Vertical text offset:");
        v.AlignVisible = true;
        v.AlignIndex = p.TextDirection <= 2 ? p.TextDirection : 0;
        v.DirectionItems = {QStringLiteral("horizontal"), QStringLiteral("diagonal"), QStringLiteral("vertical")};
        v.DirectionVisible = p.TextDirection != 1;
        v.DirectionIndex = v.DirectionVisible ? weSizeIndex(p.Rotation) : 0;
        break;
    }
    return v;
}

void StationOffsetRule(TLineMapPrefs &Prefs, int Cls, bool Horizontal, int Shown)
{
    TStationDirectionPrefs &p = StationPrefs(Prefs, Cls);
    if (Horizontal)
        p.OffsetX = withSign(StationOffsetXSign(Cls, p.Position), Shown);
    else
        p.OffsetY = withSign(StationOffsetYSign(Cls, p.Position), Shown);
}

void StationPositionRule(TLineMapPrefs &Prefs, int Cls, int P)
{
    TStationDirectionPrefs &p = StationPrefs(Prefs, Cls);
    P = P == 0 ? 0 : 1;
    if (P != p.Position) {
        if (StationOffsetXSign(Cls, 0) != StationOffsetXSign(Cls, 1))
            p.OffsetX = flipped(p.OffsetX);
        if (StationOffsetYSign(Cls, 0) != StationOffsetYSign(Cls, 1))
            p.OffsetY = flipped(p.OffsetY);
    }
    p.Position = std::uint8_t(P);
    switch (Cls) {
    case dcWE:
        p.Rotation = withSign(weSign(P, p.TextDirection), p.Rotation < 0 ? flipped(p.Rotation) : p.Rotation);
        break;
    case dcNS:
        p.Rotation = flipped(p.Rotation);
        break;
    default:
        p.Rotation = 0;
        break;
    }
}

void StationAlignRule(TLineMapPrefs &Prefs, int Cls, int Item)
{
    TStationDirectionPrefs &p = StationPrefs(Prefs, Cls);
    if (Item == 1) {
        p.TextDirection = 1;
        p.Rotation = 0;
        return;
    }
    p.TextDirection = Item == 2 ? 2 : 0;
    p.Rotation = flipped(p.Rotation);
}

void StationDirectionRule(TLineMapPrefs &Prefs, int Cls, int Item)
{
    TStationDirectionPrefs &p = StationPrefs(Prefs, Cls);
    if (Cls == dcWE) {
        static const int sizes[] = {0, 45, 90};
        const int size = Item >= 0 && Item <= 2 ? sizes[Item] : 0;
        p.Rotation = size * weSign(p.Position, p.TextDirection);
    } else if (Cls == dcNS) {
        const int up = p.Position == 0 ? -45 : 45;
        p.Rotation = Item == 1 ? up : (Item == 2 ? -up : 0);
    } else {
        p.Rotation = 0;
    }
}

QStringList MultiStationPositionItems()
{
    return {QStringLiteral("Right Top"),    QStringLiteral("Right Center"),  QStringLiteral("Right Bottom"),
            QStringLiteral("Left Top"),     QStringLiteral("Left Center"),   QStringLiteral("Left Bottom"),
            QStringLiteral("Top Left"),     QStringLiteral("Top Center"),    QStringLiteral("Top Right"),
            QStringLiteral("Bottom Left"),  QStringLiteral("Bottom Center"), QStringLiteral("Bottom Right")};
}

QStringList MultiStationAlignItems()
{
    return {QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")};
}

namespace {

QStringList multiDirectionItems(int Position, int Align)
{
    if (Position >= 0 && Position <= 5)
        return {QStringLiteral("horizontal"), QStringLiteral("diagonal up"), QStringLiteral("diagonal down")};
    if (Position == 7 || Position == 10)
        return {QStringLiteral("horizontal"), Align == 1 ? QStringLiteral("vertical") : QStringLiteral("diagonal")};
    return {QStringLiteral("horizontal"), QStringLiteral("diagonal"), QStringLiteral("vertical")};
}

} // namespace

int MultiStationRotationOf(int Position, int Align, int Item)
{
    if (Item <= 0)
        return 0;
    switch (Position) {
    case 0: case 1: case 2: return Item == 1 ? 45 : -45;
    case 3: case 4: case 5: return Item == 1 ? -45 : 45;
    case 6: case 11: return Item == 1 ? 45 : 90;
    case 8: case 9: return Item == 1 ? -45 : -90;
    case 7: return Align == 1 ? 90 : (Align == 2 ? -45 : 45);
    case 10: return Align == 1 ? 90 : (Align == 2 ? 45 : -45);
    default: return 0;
    }
}

TMultiStationView MultiStationView(const TLineMapPrefs &Prefs)
{
    TMultiStationView v;
    const int pos = Prefs.MultiStationPosition;
    v.AlignEnabled = pos == 7 || pos == 10;
    v.AlignIndex = Prefs.MultiStationAlign <= 2 ? Prefs.MultiStationAlign : 0;
    v.DirectionItems = multiDirectionItems(pos, v.AlignIndex);
    for (int i = 1; i < v.DirectionItems.size(); ++i)
        if (MultiStationRotationOf(pos, v.AlignIndex, i) == Prefs.MultiStationRotation)
            v.DirectionIndex = i;
    return v;
}

void MultiStationPositionRule(TLineMapPrefs &Prefs, int Position)
{
    if (Position < 0 || Position > 11)
        return;
    Prefs.MultiStationPosition = std::uint8_t(Position);
    if (const int forced = MultiStationForcedAlign(Position); forced >= 0)
        Prefs.MultiStationAlign = std::uint8_t(forced);
    Prefs.MultiStationRotation = 0;
}

void MultiStationAlignRule(TLineMapPrefs &Prefs, int Align)
{
    if (Align < 0 || Align > 2)
        return;
    if (Prefs.MultiStationPosition == 7 || Prefs.MultiStationPosition == 10)
        Prefs.MultiStationRotation = 0;
    Prefs.MultiStationAlign = std::uint8_t(Align);
}

void MultiStationDirectionRule(TLineMapPrefs &Prefs, int Item)
{
    Prefs.MultiStationRotation = MultiStationRotationOf(Prefs.MultiStationPosition, Prefs.MultiStationAlign, Item);
}

bool ParseIntegerText(const QString &Text, int &Value)
{
    bool ok = false;
    const qlonglong v = Text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < INT_MIN || v > INT_MAX)
        return false;
    Value = int(v);
    return true;
}

TEditResult NumberRule(const QString &Text, int &Field, int Minimum)
{
    if (Text.trimmed().isEmpty())
        return TEditResult::SetBack;
    int value = 0;
    if (!ParseIntegerText(Text, value)) {
        dialogs().showMessage(QStringLiteral("'%1' is not a valid integer value").arg(Text));
        return TEditResult::Refused;
    }
    if (value < Minimum) {
        dialogs().beep();
        return TEditResult::Refused;
    }
    Field = value;
    return TEditResult::Stored;
}

TEditResult NameRule(const QString &Text, QString &Name)
{
    if (Text.trimmed().isEmpty())
        return TEditResult::SetBack;
    if (!CheckAnsiText(Text))
        return TEditResult::Refused;
    Name = Text;
    return TEditResult::Stored;
}

TEditResult StationOffsetTextRule(TLineMapPrefs &Prefs, int Cls, bool Horizontal, const QString &Text)
{
    int shown = 0;
    const TEditResult r = NumberRule(Text, shown);
    if (r == TEditResult::Stored)
        StationOffsetRule(Prefs, Cls, Horizontal, shown);
    return r;
}

TBackgroundKind BackgroundKindOf(const QString &FileName)
{
    const QString ext = QFileInfo(FileName).suffix().toLower();
    if (ext == QLatin1String("bmp"))
        return TBackgroundKind::Bitmap;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return TBackgroundKind::Jpeg;
    if (ext == QLatin1String("ico"))
        return TBackgroundKind::Icon;
    if (ext == QLatin1String("wmf") || ext == QLatin1String("emf"))
        return TBackgroundKind::Metafile;
    return TBackgroundKind::Other;
}
