#include "platform/file_address.h"

QUrl FileAddressUrl(const QString &address)
{
    if (!address.startsWith(QLatin1String("file:///"), Qt::CaseInsensitive))
        return QUrl();
    QString path = address.mid(8);
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    const bool drivePath = path.size() >= 2 && path[1] == QLatin1Char(':');
    if (!drivePath)
        path.prepend(QLatin1Char('/'));
    return QUrl::fromLocalFile(path);
}
