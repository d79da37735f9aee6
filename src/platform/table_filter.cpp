#include "platform/table.h"

#include <QRegularExpression>

// ---------------------------------------------------------------- filter

void Table::setFilter(const QString &expression)
{
    std::vector<FilterTerm> terms = parseFilter(expression);
    checkBrowseMode();
    m_filterText = expression;
    m_filterTerms = std::move(terms);
    if (m_filtered && m_state == State::Browse)
        first();
}

std::vector<Table::FilterTerm> Table::parseFilter(const QString &expression) const
{
    const auto notUnderstood = [&] {
        return TableError(QStringLiteral("Filter expression not understood: %1").arg(expression));
    };
    std::vector<FilterTerm> terms;
    static const QRegularExpression token(
        QStringLiteral(R"(\s*(?:('(?:[^']|'')*')|("(?:[^"]|"")*")|(<>|=)|([^\s='"<>]+)))"));
    QStringList tokens;
    QList<int> kinds; // 0 quoted, 1 operator, 2 word
    qsizetype pos = 0;
    const QString expr = expression.trimmed();
    while (pos < expr.size()) {
        const auto m =
            token.match(expr, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch() || m.capturedLength() == 0)
            throw notUnderstood();
        if (m.capturedLength(1) > 0 || m.capturedLength(2) > 0) {
            QString q = m.capturedLength(1) > 0 ? m.captured(1) : m.captured(2);
            const QChar qc = q.front();
            q = q.mid(1, q.size() - 2);
            q.replace(QString(2, qc), QString(qc));
            tokens << q;
            kinds << 0;
        } else if (m.capturedLength(3) > 0) {
            tokens << m.captured(3);
            kinds << 1;
        } else {
            tokens << m.captured(4);
            kinds << 2;
        }
        pos = m.capturedEnd();
        while (pos < expr.size() && expr[pos].isSpace())
            ++pos;
    }
    if (!tokens.isEmpty()) {
        terms.emplace_back();
        int i = 0;
        while (true) {
            if (i + 2 >= tokens.size() || kinds[i] != 2 || kinds[i + 1] != 1)
                throw notUnderstood();
            const int col = findFieldIndex(tokens[i]);
            if (col < 0 && !m_fields.isEmpty())
                throw TableError(QStringLiteral("Field '%1' not found in %2").arg(tokens[i], m_name));
            Condition c{col, tokens[i + 1] == QLatin1String("<>"), TableCell(tokens[i + 2])};
            if (col >= 0) {
                // The value takes the field's type, so a text field compares texts ("05" is not 5).
                try {
                    c.value = convert(col, QVariant(tokens[i + 2]), Purpose::Search);
                } catch (const TableError &) {
                    throw notUnderstood();
                }
                if (c.value.isNull())
                    throw notUnderstood();
            }
            terms.back().conditions.push_back(c);
            i += 3;
            if (i >= tokens.size())
                break;
            const QString joiner = tokens[i].toLower();
            if (kinds[i] != 2 || (joiner != QLatin1String("and") && joiner != QLatin1String("or")) ||
                i + 1 >= tokens.size())
                throw notUnderstood();
            if (joiner == QLatin1String("or"))
                terms.emplace_back();
            ++i;
        }
    }
    return terms;
}

void Table::setFiltered(bool on)
{
    checkBrowseMode();
    m_filtered = on;
    if (m_state == State::Browse)
        first();
}

bool Table::matchesFilter(const Row *row) const
{
    if (!m_filtered || m_filterTerms.empty())
        return true;
    for (const FilterTerm &term : m_filterTerms) {
        bool all = true;
        for (const Condition &c : term.conditions) {
            if (c.column < 0 || c.column >= m_fields.size()) {
                all = false;
                break;
            }
            const TableCell &v = row->cells()[c.column];
            if (v.isNull()) { // a null equals nothing and differs from nothing
                all = false;
                break;
            }
            const bool equal = compareCells(v, c.value) == 0;
            if (equal == c.notEqual) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
    }
    return false;
}
