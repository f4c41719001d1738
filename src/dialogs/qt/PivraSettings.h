#pragma once
// The options the window keeps between runs (the last folders, cropping, the
// page colour), all in one file of the user's configuration folder.
#include <QSettings>

namespace pivra {

inline QSettings PivraSettings() { return QSettings(QStringLiteral("PIVRA"), QStringLiteral("pivra")); }

}  // namespace pivra
