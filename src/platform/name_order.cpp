#include "platform/name_order.h"

namespace {

// The name as it sorts: decomposed, without its combining marks, case folded.
QString sortKey(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        if (ch.category() == QChar::Mark_NonSpacing)
            continue;
        if (ch == QChar(0x00DF)) { // ß has no decomposition of its own
            key += QStringLiteral("ss");
            continue;
        }
        key += ch;
    }
    return key.toCaseFolded();
}

} // namespace

int CompareNames(const QString &a, const QString &b)
{
    if (const int c = sortKey(a).compare(sortKey(b)); c != 0)
        return c < 0 ? -1 : 1;
    if (const int c = QString::compare(a, b, Qt::CaseInsensitive); c != 0)
        return c < 0 ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}
