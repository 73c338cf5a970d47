#include "embedded_file.h"

#include "db_error.h"
#include "sql_dialect.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QThread>

#include <cstring>
#include <optional>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

struct LogIndex
{
    QByteArray salts;
    quint32 copied = 0;
    quint32 copying = 0;
};

// The file a path names now, and how its content stood.
struct FileState
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    // Under the write-ahead log, SQLite itself writes the file only when it
    // copies frames from the log into it (a checkpoint), and records that in
    // the log's shared index. Absent without a shared index.
    std::optional<LogIndex> log;
};

std::optional<LogIndex> logIndexOf(const QString &path)
{
    QFile shm(path + QStringLiteral("-shm"));
    if (!shm.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = shm.read(136);
    if (head.size() < 136)
        return std::nullopt;
    // In the machine's byte order: the index header's salts (byte 32), the
    // checkpoint record's frames copied (96) and being copied (128).
    auto word = [&head](int offset) {
        quint32 value = 0;
        memcpy(&value, head.constData() + offset, sizeof value);
        return value;
    };
    return LogIndex{head.mid(32, 8), word(96), word(128)};
}

std::optional<FileState> stateOf(const QString &absolutePath)
{
#if defined(Q_OS_UNIX)
    struct stat st
    {};
    if (::stat(QFile::encodeName(absolutePath).constData(), &st) != 0)
        return std::nullopt;
    return FileState{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino), static_cast<qint64>(st.st_size),
                     static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     logIndexOf(absolutePath)};
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

// Whether SQLite may have copied frames into the file in between: frames
// were (being) copied, or a log that had been written began anew (which it
// does only once every frame was copied). A log's first salts follow no copy.
bool checkpointed(const LogIndex &before, const LogIndex &now)
{
    const bool logWritten = before.salts.count('\0') != before.salts.size();
    return now.copied != before.copied || now.copying != before.copying || (now.salts != before.salts && logWritten);
}

// The file's content changed while SQLite copied nothing into it: another
// program wrote it (a copy over it).
bool overwritten(const FileState &before, const FileState &now)
{
    const bool changed = before.size != now.size || before.modifiedNs != now.modifiedNs;
    return changed && before.log && now.log && !checkpointed(*before.log, *now.log);
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
    std::optional<FileState> now = stateOf(known->path);
    // A checkpoint of another program writes the file a moment before it
    // records the copy: a change seen in between is looked at again.
    for (int wait = 0; now && sameFile(known->state, *now) && overwritten(known->state, *now) && wait < 10; ++wait) {
        QThread::msleep(20);
        now = stateOf(known->path);
    }
    if (!now || !sameFile(known->state, *now) || overwritten(known->state, *now))
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
    if (now && sameFile(it->state, *now) && !overwritten(it->state, *now))
        it->state = *now;
}

void forgetOpenedFile(const QString &connectionName)
{
    const QMutexLocker locker(&lock);
    opened().remove(connectionName);
}
