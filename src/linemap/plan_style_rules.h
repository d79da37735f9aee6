#pragma once

#include <QString>
#include <QStringList>

#include <climits>

#include "data/db_linemap.h"

// The rules of the plan style settings box, without widgets: what the station-name and
// transfer-station controls show for a record, and how each edit changes the record. The window
// applies a rule to its TLineMapPrefs and then shows the view the rule leaves.

// The record's default name placement of a direction class (0 WE, 1 NS, 2 NWSE, 3 SWNE).
TStationDirectionPrefs &StationPrefs(TLineMapPrefs &Prefs, int Cls);
const TStationDirectionPrefs &StationPrefs(const TLineMapPrefs &Prefs, int Cls);

// What the station page shows for one direction class. The offset edits show distances away
// from the line on the chosen side, so a stored offset may be shown negated.
struct TStationClassView
{
    QStringList PositionItems;
    int PositionIndex = 0;
    QString LabelH;
    QString LabelV;
    int ShownH = 0;
    int ShownV = 0;
    bool AlignVisible = false;
    int AlignIndex = 0;
    bool DirectionVisible = false;
    QStringList DirectionItems;
    int DirectionIndex = 0;
};
TStationClassView StationClassView(const TLineMapPrefs &Prefs, int Cls);

// The sign (+1 or -1) with which a stored offset of a class and Position is shown.
int StationOffsetXSign(int Cls, int Position);
int StationOffsetYSign(int Cls, int Position);

// Offset rule: the shown value Shown becomes the stored offset (negated where it is shown so).
void StationOffsetRule(TLineMapPrefs &Prefs, int Cls, bool Horizontal, int Shown);
// Position rule: the side P (0 or 1); offsets keep their shown numbers, the rotation follows.
void StationPositionRule(TLineMapPrefs &Prefs, int Cls, int P);
// Alignment rule (WE only): item 0 left, 1 centre, 2 right.
void StationAlignRule(TLineMapPrefs &Prefs, int Cls, int Item);
// Direction rule: the chosen item of the direction box.
void StationDirectionRule(TLineMapPrefs &Prefs, int Cls, int Item);

// The transfer-station page.
QStringList MultiStationPositionItems(); // the twelve positions, index = MultiStationPosition
QStringList MultiStationAlignItems();    // "Left", "Center", "Right"
struct TMultiStationView
{
    bool AlignEnabled = false;
    int AlignIndex = 0;
    QStringList DirectionItems;
    int DirectionIndex = 0;
};
TMultiStationView MultiStationView(const TLineMapPrefs &Prefs);
// The rotation of a direction item for a position and alignment; item 0 is always 0.
int MultiStationRotationOf(int Position, int Align, int Item);
void MultiStationPositionRule(TLineMapPrefs &Prefs, int Position);
void MultiStationAlignRule(TLineMapPrefs &Prefs, int Align);
void MultiStationDirectionRule(TLineMapPrefs &Prefs, int Item);

// What leaving an edit did.
enum class TEditResult {
    SetBack, // empty text: the edit shows the stored value again, nothing changed
    Stored,  // the field took the value: modified
    Refused, // the text was not accepted (reported or beeped): the edit shows the stored value
};

// Reads a 32-bit integer the way the number fields do: optional blanks, one optional sign,
// digits. False for anything else or a value out of range.
bool ParseIntegerText(const QString &Text, int &Value);

// Number rule: empty trimmed text sets back; a text that is no integer shows
// "'<text>' is not a valid integer value" and is refused; a value below Minimum beeps and is
// refused; otherwise Field takes the value.
TEditResult NumberRule(const QString &Text, int &Field, int Minimum = INT_MIN);
// Name rule: empty trimmed text sets back; a name that cannot be stored in the files'
// character set is refused (CheckAnsiText reports it); otherwise Name takes the untrimmed text.
TEditResult NameRule(const QString &Text, QString &Name);
// The offset rule's text handling around StationOffsetRule.
TEditResult StationOffsetTextRule(TLineMapPrefs &Prefs, int Cls, bool Horizontal, const QString &Text);

// The background image kinds the settings box can show: ".bmp", ".jpg"/".jpeg", ".ico" are
// shown; ".wmf"/".emf" keep their name without a picture; anything else is dropped.
enum class TBackgroundKind { Bitmap, Jpeg, Icon, Metafile, Other };
TBackgroundKind BackgroundKindOf(const QString &FileName);
