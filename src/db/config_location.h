#pragma once
// Where the initialisation file is looked for, in this order: config/config.ini
// under the working directory (a program folder of its own, or the build
// folder), then the workstation's system configuration that the Debian
// package installs. A relative embedded database file named by the system
// configuration lies in the data folder, which the workstation's users may
// write; named by any other file, it counts from the working directory.

#include "db_settings.h"

#include <QString>
#include <QStringList>

struct ConfigPlaces
{
    // Empty where the platform has no system configuration.
    QString systemConfig;
    QString dataFolder;

    // The places this build was made for (/etc/nollard, /var/lib/nollard).
    static ConfigPlaces installed();
};

struct ConfigLocation
{
    // The file read, or, when none exists, the first one looked for.
    QString file;
    bool found = false;
    // Where a relative embedded database file lies.
    QString embeddedFolder;
    // Every file looked for, in order.
    QStringList lookedFor;
};

// Finds the file, looking under workingFolder first.
ConfigLocation locateConfig(const QString &workingFolder, const ConfigPlaces &places = ConfigPlaces::installed());

// A file named by the user (dbadmin --config): relative embedded files count
// from the data folder for the system configuration, from fallbackFolder for
// any other file.
ConfigLocation configAt(const QString &file, const QString &fallbackFolder,
                        const ConfigPlaces &places = ConfigPlaces::installed());

// The settings of the file, an embedded database file's name made absolute.
DbSettings readSettings(const ConfigLocation &location);
