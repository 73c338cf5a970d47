#pragma once
// The embedded database file as the connection opened it. A file copied or
// moved over it, or deleted, while the program runs leaves the connection on
// the old file (and its write-ahead log beside the new one): a write then
// lands in a file nobody reads any more, or corrupts the new one. Every
// write first makes sure the path still names the file that was opened.

#include <QSqlDatabase>
#include <QString>

// Notes which file (device and inode) the connection's path names now,
// right after the connection opened. Nothing for the servers.
void rememberOpenedFile(const QSqlDatabase &db);
// Throws DatabaseFileReplaced when the connection's path no longer names the
// file it opened (another moved over it, or it was moved away or deleted).
// A file copied over it keeps its device and inode and is not seen. Nothing for the servers,
// and nothing where the system cannot tell files apart.
void requireOpenedFile(const QSqlDatabase &db);
// After a statement of the connection: the file as it stands now becomes
// what the next write compares with.
void noteOpenedFile(const QSqlDatabase &db);
// Forgets the connection (it is removed).
void forgetOpenedFile(const QString &connectionName);
