#include "app/editor_data.h"

#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"

#include <QSet>

#include <exception>

namespace {

const QString ID = QStringLiteral("ID");

template <typename R, typename F> R safely(R fallback, F &&body)
{
    try {
        return body();
    } catch (const std::exception &) {
        return fallback;
    }
}

int intOf(Table &t, const QString &field, int fallback)
{
    Field f = t.fieldByName(field);
    if (f.isNull())
        return fallback;
    return safely(fallback, [&] { return f.asInteger(); });
}

// Sets fields of the table's first row; an empty table gets the row appended.
template <typename F> bool setFirstRow(Table &t, F &&set)
{
    return safely(false, [&] {
        TableGuard r(t, QString());
        t.first();
        if (t.eof())
            t.append();
        else
            t.edit();
        set(t);
        t.post();
        return true;
    });
}

} // namespace

QStringList NamesInIdOrder(Table &table, const QString &nameField)
{
    QStringList names;
    safely(false, [&] {
        TableGuard r(table, QStringLiteral("idxID"));
        for (table.first(); !table.eof(); table.next()) {
            const QString name = table.fieldByName(nameField).asString();
            if (!name.isEmpty())
                names << name;
        }
        return true;
    });
    return names;
}

QStringList NewStationNames()
{
    QStringList names;
    safely(false, [&] {
        Table &t = dm1->cdsNewStations;
        TableGuard r(t, QStringLiteral("idxID"));
        for (t.first(); !t.eof(); t.next()) {
            const QString name = GetStationNameByID(intOf(t, QStringLiteral("StationID"), -1));
            if (!name.isEmpty())
                names << name;
        }
        return true;
    });
    return names;
}

QStringList LineStationNamesOf(int LineID)
{
    QStringList names;
    safely(false, [&] {
        Table &t = dm1->cdsLineStations;
        Table &s = dm1->cdsStations;
        TableGuard r(t, QStringLiteral("idxLineStations"));
        TableGuard rs(s, QStringLiteral("idxID"));
        for (t.findNearest({LineID}); !t.eof(); t.next()) {
            if (intOf(t, QStringLiteral("LineID"), -1) != LineID)
                break;
            const int stationID = intOf(t, QStringLiteral("StationID"), -1);
            if (s.findKey({stationID})) {
                const QString name = s.fieldByName(QStringLiteral("Station")).asString();
                if (!name.isEmpty())
                    names << name;
            }
        }
        return true;
    });
    return names;
}

bool LineHasStations(int LineID)
{
    return safely(false, [&] {
        TableGuard r(dm1->cdsLineStations, QStringLiteral("idxLineID"));
        return dm1->cdsLineStations.findKey({LineID});
    });
}

bool LineHasConnections(int LineID)
{
    return safely(false, [&] {
        TableGuard r(dm1->cdsLineConnections, QStringLiteral("idxLineID"));
        return dm1->cdsLineConnections.findKey({LineID});
    });
}

bool AppendLineStations(int LineID, const QStringList &StationNames)
{
    Table &t = dm1->cdsLineStations;
    return safely(false, [&] {
        TableGuard r(t, QString());
        int number = 0;
        for (const QString &name : StationNames) {
            t.append();
            t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
            t.fieldByName(QStringLiteral("LineStationNumber")).setInteger(++number);
            t.fieldByName(QStringLiteral("StationID")).setInteger(GetStationIDByName(name));
            t.post();
        }
        return true;
    });
}

std::optional<RgbColor> LineGraphicColorOf(int LineID)
{
    return safely(std::optional<RgbColor>(), [&]() -> std::optional<RgbColor> {
        Table &t = dm1->cdsLineGraphic;
        TableGuard r(t, QStringLiteral("idxLineID"));
        if (!t.findKey({LineID}))
            return std::nullopt;
        return RgbColor{intOf(t, QStringLiteral("ColorRed"), 0), intOf(t, QStringLiteral("ColorGreen"), 0),
                        intOf(t, QStringLiteral("ColorBlue"), 0)};
    });
}

void RemoveLineGraphicRow(int LineID)
{
    safely(false, [&] {
        Table &t = dm1->cdsLineGraphic;
        TableGuard r(t, QStringLiteral("idxLineID"));
        while (t.findKey({LineID}))
            t.remove();
        return true;
    });
}

RgbColor PrefsLineColor()
{
    return safely(RgbColor(), [&] {
        Table &t = dm1->cdsPrefs;
        TableGuard r(t, QString());
        t.first();
        if (t.eof())
            return RgbColor();
        return RgbColor{intOf(t, QStringLiteral("LineColorRed"), 0), intOf(t, QStringLiteral("LineColorGreen"), 0),
                        intOf(t, QStringLiteral("LineColorBlue"), 0)};
    });
}

bool SetPrefsLineColor(const RgbColor &color)
{
    return setFirstRow(dm1->cdsPrefs, [&](Table &t) {
        t.fieldByName(QStringLiteral("LineColorRed")).setInteger(color.red);
        t.fieldByName(QStringLiteral("LineColorGreen")).setInteger(color.green);
        t.fieldByName(QStringLiteral("LineColorBlue")).setInteger(color.blue);
    });
}

int ProjectMaxDriveMinutes(int fallback)
{
    return safely(fallback, [&] {
        Table &t = dm1->cdsProject;
        TableGuard r(t, QString());
        t.first();
        return t.eof() ? fallback : intOf(t, QStringLiteral("MaxDriveMinutes"), fallback);
    });
}

bool SetProjectMaxDriveMinutes(int minutes)
{
    return setFirstRow(dm1->cdsProject,
                       [&](Table &t) { t.fieldByName(QStringLiteral("MaxDriveMinutes")).setInteger(minutes); });
}

QString NormalizedDays(const QString &days)
{
    QString d = days.left(7);
    while (d.size() < 7)
        d += QLatin1Char('0');
    return d;
}

QVector<TDayGroup> ReadDayGroups()
{
    QVector<TDayGroup> groups;
    safely(false, [&] {
        Table &t = dm1->cdsDayGroups;
        TableGuard r(t, QStringLiteral("idxID"));
        for (t.first(); !t.eof(); t.next()) {
            if (t.fieldByName(ID).isNull())
                continue;
            TDayGroup g;
            g.ID = intOf(t, ID, 0);
            g.Group = t.fieldByName(QStringLiteral("Group")).asString();
            g.Days = NormalizedDays(t.fieldByName(QStringLiteral("Days")).asString());
            g.Text = t.fieldByName(QStringLiteral("Text")).asString();
            groups << g;
        }
        return true;
    });
    return groups;
}

bool WriteDayGroupRows(const QVector<TDayGroup> &groups)
{
    return safely(false, [&] {
        Table &t = dm1->cdsDayGroups;
        TableGuard r(t, QString());
        t.emptyDataSet();
        for (const TDayGroup &g : groups) {
            t.append();
            t.fieldByName(ID).setInteger(g.ID);
            t.fieldByName(QStringLiteral("Group")).setString(g.Group);
            t.fieldByName(QStringLiteral("Days")).setString(g.Days);
            t.fieldByName(QStringLiteral("Text")).setString(g.Text);
            t.post();
        }
        return true;
    });
}

QString FailedSaveMessage(const Table &table, const QString &file, const QString &message)
{
    if (ProjectFileDamaged(table, file) || ProjectChange::lastFailureTold())
        return QString();
    const QString text =
        message.isEmpty() ? QStringLiteral("Error saving the file %s").replace(QStringLiteral("%s"), file) : message;
    return ansi::withWriteReason(text);
}

void ReportFailedSave(const Table &table, const QString &file, const QString &message)
{
    const QString text = FailedSaveMessage(table, file, message);
    if (!text.isEmpty())
        dialogs().showMessage(text);
}

QString DuplicateDayGroup(const QVector<TDayGroup> &groups)
{
    QSet<QString> names, texts;
    for (const TDayGroup &g : groups) {
        if (names.contains(g.Group))
            return g.Group;
        if (texts.contains(g.Text))
            return g.Text;
        names.insert(g.Group);
        texts.insert(g.Text);
    }
    return QString();
}
