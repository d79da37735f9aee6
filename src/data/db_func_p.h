#pragma once

// Shared by the units of db_func only.

#include "data/main_globals.h"

#include "platform/table.h"

#include <QChar>
#include <QString>

#include <exception>

namespace dbfunc {

inline const QChar kQuote = QLatin1Char('"');

inline QString projectFile(const QString &file) { return ProjectDir + QLatin1Char('/') + file; }

// Runs a table routine so that no table error leaves it: a failing step gives the fallback
// result, which is what the routine reports for a failure anyway.
// A row left half-edited by the failure is dropped.
template <typename R, typename F>
R guarded(Table &table, R fallback, F &&body)
{
    try {
        return body();
    } catch (const std::exception &) {
        table.cancel();
        return fallback;
    }
}

template <typename F>
void guarded(Table &table, F &&body)
{
    try {
        body();
    } catch (const std::exception &) {
        table.cancel();
    }
}

// Switches a table's filter off for the life of the object: the ID rule, the duplicate test
// and the files written must see every row, whatever filter an editor left on the table.
class Unfiltered
{
public:
    explicit Unfiltered(Table &table) : m_table(table), m_wasFiltered(table.filtered())
    {
        if (m_wasFiltered)
            m_table.setFiltered(false);
    }
    ~Unfiltered()
    {
        if (!m_wasFiltered)
            return;
        try {
            // Leaving through an error: a half-edited row must not be posted by the filter switch.
            if (std::uncaught_exceptions() > 0)
                m_table.cancel();
            m_table.setFiltered(true);
        } catch (const std::exception &) {
        }
    }
    Unfiltered(const Unfiltered &) = delete;
    Unfiltered &operator=(const Unfiltered &) = delete;

private:
    Table &m_table;
    bool m_wasFiltered;
};

} // namespace dbfunc
