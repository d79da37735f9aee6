#pragma once

#include <QString>
#include <QUrl>

// The file that a "file:///" address of the program names. Such an address is a plain path
// behind the scheme: a "#" or "%" of a folder name belongs to the name, not to the address,
// and "C:/..." keeps its drive. Empty for any other text.
QUrl FileAddressUrl(const QString &address);
