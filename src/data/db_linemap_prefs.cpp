#include "data/db_linemap.h"

#include "data/color_convert.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/db_linemap_p.h"

#include <algorithm>

using namespace dbfunc;

namespace {

const QString kLineMapID = QStringLiteral("LineMapID");

// ---------------------------------------------------------------- the style row

// Writes the record into the row being appended or edited, column by column.
class RowWriter
{
public:
    explicit RowWriter(Table &table) : m_table(table) {}

    void integer(const QString &name, int value) { m_table.fieldByName(name).setInteger(value); }
    void boolean(const QString &name, bool value) { m_table.fieldByName(name).setBoolean(value); }
    void text(const QString &name, const QString &value) { m_table.fieldByName(name).setString(value); }
    void color(const QString &name, int value)
    {
        int r = 0, g = 0, b = 0;
        ColorToRGBParts(value, r, g, b);
        integer(name + QStringLiteral("Red"), r);
        integer(name + QStringLiteral("Green"), g);
        integer(name + QStringLiteral("Blue"), b);
    }
    void font(const QString &name, const FontValue &font, bool withColor)
    {
        integer(name + QStringLiteral("Charset"), font.charset);
        if (withColor)
            color(name + QStringLiteral("Color"), int(font.color & 0xFFFFFF));
        text(name + QStringLiteral("Name"), font.name);
        integer(name + QStringLiteral("Size"), font.size);
        boolean(name + QStringLiteral("StyleBold"), font.bold);
        boolean(name + QStringLiteral("StyleItalic"), font.italic);
        boolean(name + QStringLiteral("StyleUnderline"), font.underline);
        boolean(name + QStringLiteral("StyleStrikeOut"), font.strikeOut);
    }
    void direction(const QString &cls, const TStationDirectionPrefs &d)
    {
        const QString p = QStringLiteral("Station") + cls;
        integer(p + QStringLiteral("Position"), d.Position);
        integer(p + QStringLiteral("OffsetX"), d.OffsetX);
        integer(p + QStringLiteral("OffsetY"), d.OffsetY);
        integer(p + QStringLiteral("TextDirection"), d.TextDirection);
        integer(p + QStringLiteral("Rotation"), d.Rotation);
    }

private:
    Table &m_table;
};

// Reads the current row; damaged values (parts beyond 0..255, bytes out of range) are brought
// into range rather than failing the read.
class RowReader
{
public:
    explicit RowReader(Table &table) : m_table(table) {}

    int integer(const QString &name) { return m_table.fieldByName(name).asInteger(); }
    std::uint8_t byte(const QString &name) { return std::uint8_t(std::clamp(integer(name), 0, 255)); }
    bool boolean(const QString &name) { return m_table.fieldByName(name).asBoolean(); }
    QString text(const QString &name) { return m_table.fieldByName(name).asString(); }
    int color(const QString &name)
    {
        auto part = [&](const char *suffix) { return std::clamp(integer(name + QLatin1String(suffix)), 0, 255); };
        return RGBPartsToColor(part("Red"), part("Green"), part("Blue"));
    }
    void font(const QString &name, FontValue &font, bool withColor)
    {
        font.charset = integer(name + QStringLiteral("Charset"));
        if (withColor)
            font.color = std::uint32_t(color(name + QStringLiteral("Color")));
        font.name = text(name + QStringLiteral("Name"));
        font.size = integer(name + QStringLiteral("Size"));
        font.bold = boolean(name + QStringLiteral("StyleBold"));
        font.italic = boolean(name + QStringLiteral("StyleItalic"));
        font.underline = boolean(name + QStringLiteral("StyleUnderline"));
        font.strikeOut = boolean(name + QStringLiteral("StyleStrikeOut"));
    }
    void direction(const QString &cls, TStationDirectionPrefs &d)
    {
        const QString p = QStringLiteral("Station") + cls;
        d.Position = byte(p + QStringLiteral("Position"));
        d.OffsetX = integer(p + QStringLiteral("OffsetX"));
        d.OffsetY = integer(p + QStringLiteral("OffsetY"));
        d.TextDirection = byte(p + QStringLiteral("TextDirection"));
        d.Rotation = integer(p + QStringLiteral("Rotation"));
    }

private:
    Table &m_table;
};

void writePrefs(Table &t, int lineMapID, const TLineMapPrefs &p)
{
    RowWriter w(t);
    w.integer(kLineMapID, lineMapID);
    w.integer(QStringLiteral("Width"), p.Width);
    w.integer(QStringLiteral("Height"), p.Height);
    w.color(QStringLiteral("BackgroundColor"), p.BackgroundColor);
    w.boolean(QStringLiteral("BackgroundImageOn"), p.BackgroundImageOn);
    w.text(QStringLiteral("BackgroundImage"), p.BackgroundImage);
    w.integer(QStringLiteral("LineRasterWidth"), p.LineRasterWidth);
    w.boolean(QStringLiteral("LineDefaultColor"), p.LineDefaultColor);
    w.color(QStringLiteral("LineColor"), p.LineColor);
    w.integer(QStringLiteral("LineDrawWidth"), p.LineDrawWidth);
    w.boolean(QStringLiteral("LineTextPosStart"), p.LineTextPosStart);
    w.boolean(QStringLiteral("LineTextPosEnd"), p.LineTextPosEnd);
    w.boolean(QStringLiteral("LineTextPosOther"), p.LineTextPosOther);
    w.font(QStringLiteral("LineTextFont"), p.LineTextFont, false);
    w.boolean(QStringLiteral("LineTextDefaultColor"), p.LineTextDefaultColor);
    w.color(QStringLiteral("LineTextColor"), p.LineTextColor);
    w.boolean(QStringLiteral("LineTextDefaultBackgroundColor"), p.LineTextDefaultBackgroundColor);
    w.color(QStringLiteral("LineTextBackgroundColor"), p.LineTextBackgroundColor);
    w.integer(QStringLiteral("LineTextDistance"), p.LineTextDistance);
    w.color(QStringLiteral("VehicleColor"), p.VehicleColor);
    w.font(QStringLiteral("StationFont"), p.StationFont, true);
    w.direction(QStringLiteral("WE"), p.WE);
    w.direction(QStringLiteral("NS"), p.NS);
    w.direction(QStringLiteral("NWSE"), p.NWSE);
    w.direction(QStringLiteral("SWNE"), p.SWNE);
    w.font(QStringLiteral("MultiStationFont"), p.MultiStationFont, true);
    w.boolean(QStringLiteral("MultiStationRoundSelfPos"), p.MultiStationRoundSelfPos);
    w.boolean(QStringLiteral("MultiStationTextInheritSelfPos"), p.MultiStationTextInheritSelfPos);
    w.boolean(QStringLiteral("MultiStationRoundParallel"), p.MultiStationRoundParallel);
    w.boolean(QStringLiteral("MultiStationAutoPos"), p.MultiStationAutoPos);
    w.integer(QStringLiteral("MultiStationPosition"), p.MultiStationPosition);
    w.integer(QStringLiteral("MultiStationAlign"), p.MultiStationAlign);
    w.integer(QStringLiteral("MultiStationOffsetX"), p.MultiStationOffsetX);
    w.integer(QStringLiteral("MultiStationOffsetY"), p.MultiStationOffsetY);
    w.integer(QStringLiteral("MultiStationRotation"), p.MultiStationRotation);
}

void readPrefs(Table &t, TLineMapPrefs &p)
{
    RowReader r(t);
    p.Width = r.integer(QStringLiteral("Width"));
    p.Height = r.integer(QStringLiteral("Height"));
    p.BackgroundColor = r.color(QStringLiteral("BackgroundColor"));
    p.BackgroundImageOn = r.boolean(QStringLiteral("BackgroundImageOn"));
    p.BackgroundImage = r.text(QStringLiteral("BackgroundImage"));
    p.LineRasterWidth = r.integer(QStringLiteral("LineRasterWidth"));
    p.LineDefaultColor = r.boolean(QStringLiteral("LineDefaultColor"));
    p.LineColor = r.color(QStringLiteral("LineColor"));
    p.LineDrawWidth = r.integer(QStringLiteral("LineDrawWidth"));
    p.LineTextPosStart = r.boolean(QStringLiteral("LineTextPosStart"));
    p.LineTextPosEnd = r.boolean(QStringLiteral("LineTextPosEnd"));
    p.LineTextPosOther = r.boolean(QStringLiteral("LineTextPosOther"));
    r.font(QStringLiteral("LineTextFont"), p.LineTextFont, false);
    p.LineTextDefaultColor = r.boolean(QStringLiteral("LineTextDefaultColor"));
    p.LineTextColor = r.color(QStringLiteral("LineTextColor"));
    p.LineTextDefaultBackgroundColor = r.boolean(QStringLiteral("LineTextDefaultBackgroundColor"));
    p.LineTextBackgroundColor = r.color(QStringLiteral("LineTextBackgroundColor"));
    p.LineTextDistance = r.integer(QStringLiteral("LineTextDistance"));
    p.VehicleColor = r.color(QStringLiteral("VehicleColor"));
    r.font(QStringLiteral("StationFont"), p.StationFont, true);
    r.direction(QStringLiteral("WE"), p.WE);
    r.direction(QStringLiteral("NS"), p.NS);
    r.direction(QStringLiteral("NWSE"), p.NWSE);
    r.direction(QStringLiteral("SWNE"), p.SWNE);
    r.font(QStringLiteral("MultiStationFont"), p.MultiStationFont, true);
    p.MultiStationRoundSelfPos = r.boolean(QStringLiteral("MultiStationRoundSelfPos"));
    p.MultiStationTextInheritSelfPos = r.boolean(QStringLiteral("MultiStationTextInheritSelfPos"));
    p.MultiStationRoundParallel = r.boolean(QStringLiteral("MultiStationRoundParallel"));
    p.MultiStationAutoPos = r.boolean(QStringLiteral("MultiStationAutoPos"));
    p.MultiStationPosition = r.byte(QStringLiteral("MultiStationPosition"));
    p.MultiStationAlign = r.byte(QStringLiteral("MultiStationAlign"));
    p.MultiStationOffsetX = r.integer(QStringLiteral("MultiStationOffsetX"));
    p.MultiStationOffsetY = r.integer(QStringLiteral("MultiStationOffsetY"));
    p.MultiStationRotation = r.integer(QStringLiteral("MultiStationRotation"));
}

// Opens cdsLineMapPrefs on idxMapID and looks the plan's row up; callers switch any filter off.
bool findPrefsRow(Table &t, int lineMapID)
{
    t.open();
    t.setIndexName(QStringLiteral("idxMapID"));
    return t.findKey({lineMapID});
}
} // namespace

namespace dbfunc {

bool hasLineMapPrefsRow(int lineMapID)
{
    Table &t = dm1->cdsLineMapPrefs;
    return guarded(t, false, [&] {
        Unfiltered all(t);
        return findPrefsRow(t, lineMapID);
    });
}

} // namespace dbfunc

// ---------------------------------------------------------------- the style row

bool AddLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs)
{
    Table &t = dm1->cdsLineMapPrefs;
    bool added = guarded(t, false, [&] {
        Unfiltered all(t);
        if (findPrefsRow(t, LineMapID))
            return false;
        t.append();
        writePrefs(t, LineMapID, Prefs);
        t.post();
        return true;
    });
    if (!added)
        return false;
    const bool ok = SaveLineMapPrefs();
    guarded(t, [&] { t.close(); });
    return ok;
}

bool UpdateLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs)
{
    Table &t = dm1->cdsLineMapPrefs;
    const bool updated = guarded(t, false, [&] {
        Unfiltered all(t);
        if (!findPrefsRow(t, LineMapID))
            return false;
        t.edit();
        writePrefs(t, LineMapID, Prefs);
        t.post();
        return true;
    });
    return updated && SaveLineMapPrefs();
}

bool ReadLineMapPrefs(int LineMapID, TLineMapPrefs &Prefs)
{
    Table &t = dm1->cdsLineMapPrefs;
    // Filled into a copy, so a row that cannot be read leaves the record as it was.
    TLineMapPrefs read = Prefs;
    if (!guarded(t, false, [&] {
            Unfiltered all(t);
            if (!findPrefsRow(t, LineMapID))
                return false;
            readPrefs(t, read);
            return true;
        }))
        return false;
    Prefs = read;
    return true;
}

bool DeleteLineMapPrefs(int LineMapID)
{
    Table &t = dm1->cdsLineMapPrefs;
    const bool found = guarded(t, false, [&] {
        Unfiltered all(t);
        if (!findPrefsRow(t, LineMapID))
            return false;
        t.remove();
        return true;
    });
    return found && SaveLineMapPrefs();
}
