#include "data/db_linemap.h"

#include "data/color_convert.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/db_linemap_p.h"

#include <algorithm>
#include <optional>

using namespace dbfunc;

namespace {

const QString kLineMapID = QStringLiteral("LineMapID");

// ---------------------------------------------------------------- the style row

// The row's columns are listed once, in prefsColumns: Row is a RowWriter given the record, or a
// RowReader given the record to fill, so writing and reading cannot disagree about a column.

// Writes the record into the row being appended or edited.
class RowWriter
{
public:
    explicit RowWriter(Table &table) : m_table(table) {}

    void integer(const QString &name, int value) { m_table.fieldByName(name).setInteger(value); }
    void byte(const QString &name, std::uint8_t value) { integer(name, value); }
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
    void color(const QString &name, std::uint32_t value) { color(name, int(value & 0xFFFFFF)); }

private:
    Table &m_table;
};

// Reads the current row; damaged values (parts beyond 0..255, bytes out of range) are brought
// into range rather than failing the read.
class RowReader
{
public:
    explicit RowReader(Table &table) : m_table(table) {}

    void integer(const QString &name, int &value) { value = m_table.fieldByName(name).asInteger(); }
    void byte(const QString &name, std::uint8_t &value)
    {
        value = std::uint8_t(std::clamp(m_table.fieldByName(name).asInteger(), 0, 255));
    }
    void boolean(const QString &name, bool &value) { value = m_table.fieldByName(name).asBoolean(); }
    void text(const QString &name, QString &value) { value = m_table.fieldByName(name).asString(); }
    void color(const QString &name, int &value)
    {
        auto part = [&](const char *suffix) {
            return std::clamp(m_table.fieldByName(name + QLatin1String(suffix)).asInteger(), 0, 255);
        };
        value = RGBPartsToColor(part("Red"), part("Green"), part("Blue"));
    }
    void color(const QString &name, std::uint32_t &value)
    {
        int c = 0;
        color(name, c);
        value = std::uint32_t(c);
    }

private:
    Table &m_table;
};

template <typename Row, typename Font> void fontColumns(Row &row, const QString &name, Font &font, bool withColor)
{
    row.integer(name + QStringLiteral("Charset"), font.charset);
    if (withColor)
        row.color(name + QStringLiteral("Color"), font.color);
    row.text(name + QStringLiteral("Name"), font.name);
    row.integer(name + QStringLiteral("Size"), font.size);
    row.boolean(name + QStringLiteral("StyleBold"), font.bold);
    row.boolean(name + QStringLiteral("StyleItalic"), font.italic);
    row.boolean(name + QStringLiteral("StyleUnderline"), font.underline);
    row.boolean(name + QStringLiteral("StyleStrikeOut"), font.strikeOut);
}

template <typename Row, typename Direction> void directionColumns(Row &row, const QString &cls, Direction &d)
{
    const QString p = QStringLiteral("Station") + cls;
    row.byte(p + QStringLiteral("Position"), d.Position);
    row.integer(p + QStringLiteral("OffsetX"), d.OffsetX);
    row.integer(p + QStringLiteral("OffsetY"), d.OffsetY);
    row.byte(p + QStringLiteral("TextDirection"), d.TextDirection);
    row.integer(p + QStringLiteral("Rotation"), d.Rotation);
}

// Every column but LineMapID.
template <typename Row, typename Prefs> void prefsColumns(Row &row, Prefs &p)
{
    row.integer(QStringLiteral("Width"), p.Width);
    row.integer(QStringLiteral("Height"), p.Height);
    row.color(QStringLiteral("BackgroundColor"), p.BackgroundColor);
    row.boolean(QStringLiteral("BackgroundImageOn"), p.BackgroundImageOn);
    row.text(QStringLiteral("BackgroundImage"), p.BackgroundImage);
    row.integer(QStringLiteral("LineRasterWidth"), p.LineRasterWidth);
    row.boolean(QStringLiteral("LineDefaultColor"), p.LineDefaultColor);
    row.color(QStringLiteral("LineColor"), p.LineColor);
    row.integer(QStringLiteral("LineDrawWidth"), p.LineDrawWidth);
    row.boolean(QStringLiteral("LineTextPosStart"), p.LineTextPosStart);
    row.boolean(QStringLiteral("LineTextPosEnd"), p.LineTextPosEnd);
    row.boolean(QStringLiteral("LineTextPosOther"), p.LineTextPosOther);
    fontColumns(row, QStringLiteral("LineTextFont"), p.LineTextFont, false);
    row.boolean(QStringLiteral("LineTextDefaultColor"), p.LineTextDefaultColor);
    row.color(QStringLiteral("LineTextColor"), p.LineTextColor);
    row.boolean(QStringLiteral("LineTextDefaultBackgroundColor"), p.LineTextDefaultBackgroundColor);
    row.color(QStringLiteral("LineTextBackgroundColor"), p.LineTextBackgroundColor);
    row.integer(QStringLiteral("LineTextDistance"), p.LineTextDistance);
    row.color(QStringLiteral("VehicleColor"), p.VehicleColor);
    fontColumns(row, QStringLiteral("StationFont"), p.StationFont, true);
    directionColumns(row, QStringLiteral("WE"), p.WE);
    directionColumns(row, QStringLiteral("NS"), p.NS);
    directionColumns(row, QStringLiteral("NWSE"), p.NWSE);
    directionColumns(row, QStringLiteral("SWNE"), p.SWNE);
    fontColumns(row, QStringLiteral("MultiStationFont"), p.MultiStationFont, true);
    row.boolean(QStringLiteral("MultiStationRoundSelfPos"), p.MultiStationRoundSelfPos);
    row.boolean(QStringLiteral("MultiStationTextInheritSelfPos"), p.MultiStationTextInheritSelfPos);
    row.boolean(QStringLiteral("MultiStationRoundParallel"), p.MultiStationRoundParallel);
    row.boolean(QStringLiteral("MultiStationAutoPos"), p.MultiStationAutoPos);
    row.byte(QStringLiteral("MultiStationPosition"), p.MultiStationPosition);
    row.byte(QStringLiteral("MultiStationAlign"), p.MultiStationAlign);
    row.integer(QStringLiteral("MultiStationOffsetX"), p.MultiStationOffsetX);
    row.integer(QStringLiteral("MultiStationOffsetY"), p.MultiStationOffsetY);
    row.integer(QStringLiteral("MultiStationRotation"), p.MultiStationRotation);
}

void writePrefs(Table &t, int lineMapID, const TLineMapPrefs &p)
{
    RowWriter w(t);
    w.integer(kLineMapID, lineMapID);
    prefsColumns(w, p);
}

void readPrefs(Table &t, TLineMapPrefs &p)
{
    RowReader r(t);
    prefsColumns(r, p);
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
        TableGuard all(t, TableGuard::Filter);
        return findPrefsRow(t, lineMapID);
    });
}

} // namespace dbfunc

// ---------------------------------------------------------------- the style row

bool AddLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs)
{
    Table &t = dm1->cdsLineMapPrefs;
    // A failed write takes the row out again: the table holds what the file holds.
    std::optional<RowsBackup> before = backUpRows(t);
    bool added = guarded(t, false, [&] {
        TableGuard all(t, TableGuard::Filter);
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
    if (!ok)
        restoreRows(t, before);
    guarded(t, [&] { t.close(); });
    return ok;
}

bool UpdateLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs)
{
    Table &t = dm1->cdsLineMapPrefs;
    std::optional<RowsBackup> before = backUpRows(t);
    const bool updated = guarded(t, false, [&] {
        TableGuard all(t, TableGuard::Filter);
        if (!findPrefsRow(t, LineMapID))
            return false;
        t.edit();
        writePrefs(t, LineMapID, Prefs);
        t.post();
        return true;
    });
    if (!updated)
        return false;
    if (SaveLineMapPrefs())
        return true;
    restoreRows(t, before);
    return false;
}

bool ReadLineMapPrefs(int LineMapID, TLineMapPrefs &Prefs)
{
    Table &t = dm1->cdsLineMapPrefs;
    // Filled into a copy, so a row that cannot be read leaves the record as it was.
    TLineMapPrefs read = Prefs;
    if (!guarded(t, false, [&] {
            TableGuard all(t, TableGuard::Filter);
            if (!findPrefsRow(t, LineMapID))
                return false;
            readPrefs(t, read);
            return true;
        }))
        return false;
    Prefs = read;
    return true;
}

bool ReadLineMapPrefsOrDefault(int LineMapID, TLineMapPrefs &Prefs)
{
    if (ReadLineMapPrefs(LineMapID, Prefs))
        return true;
    // The template is read into a table of its own: the project's rows, and the mark of a
    // damaged project file that keeps saves from writing over it, stay as they are.
    TLineMapPrefs defaults;
    defaults.Name = Prefs.Name;
    Table scratch(QStringLiteral("LineMapPrefsTemplate"));
    scratch.fieldDefs() = dm1->cdsLineMapPrefs.fieldDefs();
    scratch.indexDefs() = dm1->cdsLineMapPrefs.indexDefs();
    guarded(scratch, [&] {
        if (importLineMapPrefs(DefaultLineMapPrefsFile, scratch, false) != PrefsImport::Read
            || !findPrefsRow(scratch, 1))
            return;
        TLineMapPrefs read = defaults;
        readPrefs(scratch, read);
        defaults = read;
    });
    Prefs = defaults;
    return false;
}

bool DeleteLineMapPrefs(int LineMapID)
{
    Table &t = dm1->cdsLineMapPrefs;
    std::optional<RowsBackup> before = backUpRows(t);
    const bool found = guarded(t, false, [&] {
        TableGuard all(t, TableGuard::Filter);
        if (!findPrefsRow(t, LineMapID))
            return false;
        t.remove();
        return true;
    });
    if (!found)
        return false;
    if (SaveLineMapPrefs())
        return true;
    restoreRows(t, before);
    return false;
}
