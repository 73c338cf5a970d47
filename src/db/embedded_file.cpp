#include "embedded_file.h"

#include "db_error.h"
#include "sql_dialect.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <optional>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

// The file a path names now. Only its name is looked up: opening the file, or
// the log's shared index beside it, and closing it again would drop the
// locks that SQLite holds on it in this process.
struct FileState
{
    quint64 device = 0;
    quint64 inode = 0;
};

std::optional<FileState> stateOf(const QString &absolutePath)
{
#if defined(Q_OS_UNIX)
    struct stat st
    {};
    if (::stat(QFile::encodeName(absolutePath).constData(), &st) != 0)
        return std::nullopt;
    return FileState{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
#else
    // Windows does not let another program replace, overwrite or delete a
    // file that the database holds open.
    Q_UNUSED(absolutePath);
    return std::nullopt;
#endif
}

struct Opened
{
    QString path;  // absolute: the working folder may change later
    FileState state;
};

QMutex lock;
QHash<QString, Opened> &opened()
{
    static QHash<QString, Opened> files;
    return files;
}

bool sameFile(const FileState &a, const FileState &b)
{
    return a.device == b.device && a.inode == b.inode;
}

}  // namespace

void rememberOpenedFile(const QSqlDatabase &db)
{
    if (!SqlDialect(db).isEmbeddedFile())
        return;
    const QString path = QFileInfo(db.databaseName()).absoluteFilePath();
    const std::optional<FileState> state = stateOf(path);
    const QMutexLocker locker(&lock);
    if (state)
        opened().insert(db.connectionName(), Opened{path, *state});
    else
        opened().remove(db.connectionName());
}

void requireOpenedFile(const QSqlDatabase &db)
{
    std::optional<Opened> known;
    {
        const QMutexLocker locker(&lock);
        const auto it = opened().constFind(db.connectionName());
        if (it != opened().constEnd())
            known = *it;
    }
    if (!known)
        return;
    const std::optional<FileState> now = stateOf(known->path);
    if (!now || !sameFile(known->state, *now))
        throw DatabaseFileReplaced(known->path);
    const QMutexLocker locker(&lock);
    const auto it = opened().find(db.connectionName());
    if (it != opened().end())
        it->state = *now;
}

void noteOpenedFile(const QSqlDatabase &db)
{
    const QMutexLocker locker(&lock);
    const auto it = opened().find(db.connectionName());
    if (it == opened().end())
        return;
    const std::optional<FileState> now = stateOf(it->path);
    // Anything doubtful is left for the next write's check to decide.
    if (now && sameFile(it->state, *now))
        it->state = *now;
}

void forgetOpenedFile(const QString &connectionName)
{
    const QMutexLocker locker(&lock);
    opened().remove(connectionName);
}
