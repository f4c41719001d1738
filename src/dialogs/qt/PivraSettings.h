#pragma once
// The options the window keeps between runs (the last folders, cropping, the
// page colour), all in one file of the user's configuration folder.
#include <QSettings>

#include "platform/MessageBox.h"

namespace pivra {

inline QSettings PivraSettings() { return QSettings(QStringLiteral("PIVRA"), QStringLiteral("pivra")); }

// Stores a choice the user made for the next start, at once; when the file
// cannot be written (a read-only or full configuration folder) the user is
// told that the choice lasts only until the window closes.
inline void KeepForNextStart(const QString& key, const QVariant& value) {
    QSettings settings = PivraSettings();
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() == QSettings::NoError) return;
    MessageBox("This choice lasts only until PIVRA closes: the settings file " + settings.fileName().toStdString() +
                   " could not be written.",
               MB_OK | MB_ICONEXCLAMATION, AppTitle);
}

}  // namespace pivra
