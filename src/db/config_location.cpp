#include "config_location.h"

#include <QDir>
#include <QFileInfo>

ConfigPlaces ConfigPlaces::installed()
{
    ConfigPlaces places;
#if defined(NOLLARD_SYSTEM_CONFIG) && defined(NOLLARD_DATA_FOLDER)
    places.systemConfig = QStringLiteral(NOLLARD_SYSTEM_CONFIG);
    places.dataFolder = QStringLiteral(NOLLARD_DATA_FOLDER);
#endif
    // Tests keep a workstation's installed configuration out of their runs.
    places.systemConfig = qEnvironmentVariable("NOLLARD_SYSTEM_CONFIG", places.systemConfig);
    places.dataFolder = qEnvironmentVariable("NOLLARD_DATA_FOLDER", places.dataFolder);
    return places;
}

namespace {

// Two names of one file: through links where both exist, else as written
// (QFileInfo's own comparison of files that do not exist is undefined).
bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

}  // namespace

ConfigLocation configAt(const QString &file, const QString &fallbackFolder, const ConfigPlaces &places)
{
    ConfigLocation where;
    where.file = QFileInfo(file).absoluteFilePath();
    where.found = QFileInfo(where.file).isFile();
    where.lookedFor = {where.file};
    const bool system = !places.systemConfig.isEmpty() && sameFile(where.file, places.systemConfig);
    where.embeddedFolder = QDir(system ? places.dataFolder : fallbackFolder).absolutePath();
    return where;
}

ConfigLocation locateConfig(const QString &workingFolder, const ConfigPlaces &places)
{
    const QString own = QDir(workingFolder).absoluteFilePath(QStringLiteral("config/config.ini"));
    QStringList candidates{own};
    if (!places.systemConfig.isEmpty())
        candidates << places.systemConfig;
    // An existing file that cannot be read is still the one meant: its
    // problem is told, rather than another file quietly read in its place.
    for (const QString &candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            ConfigLocation where = configAt(candidate, workingFolder, places);
            where.lookedFor = candidates;
            return where;
        }
    }
    ConfigLocation where = configAt(own, workingFolder, places);
    where.lookedFor = candidates;
    return where;
}

DbSettings readSettings(const ConfigLocation &location)
{
    DbSettings s = DbSettings::fromFile(location.file);
    if (s.kind() == DbKind::SQLite && !s.dataSource.isEmpty() && QFileInfo(s.dataSource).isRelative())
        s.dataSource = QDir(location.embeddedFolder).absoluteFilePath(s.dataSource);
    return s;
}
