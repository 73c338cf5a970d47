#pragma once
// Which notices each list button and the search show, chosen from the user's
// role and review right. Leaders and reviewers see their whole section, other
// clerks only the notices they handle, users without list rights nothing.

#include "db/sql_dialect.h"
#include "db/sql_statement.h"

#include <QSqlDatabase>
#include <QStringList>
#include <optional>

struct UserRecord;

enum class NoticeList { NotReviewed, NotPrinted, NotBilled, Billed, Rejected };

Statement noticeListStatement(NoticeList list, const UserRecord &user);
// Up to this many numbers containing the text, the search reads those
// notices by their number and sorts them; from this many on it walks the
// list's ordered index, where the first screen of matches lies close to the
// start.
constexpr int kIdLookupLimit = 2000;
// The numbers of every section that contain the text, found through the
// substring index: nothing when the database has no index for the text (it
// is too short) or when `limit` numbers or more contain it. Throws DbError.
std::optional<QStringList> findNoticeNumbers(QSqlDatabase db, const QString &text, int limit = kIdLookupLimit);
// Notices of the user's scope whose number contains the text, in every state:
// among `numbers` (see findNoticeNumbers), or, without them, found by walking
// the list. The text is matched literally: "%" and "_" are no wildcards.
Statement noticeSearchStatement(const QString &text, const UserRecord &user, const SqlDialect &dialect,
                                const std::optional<QStringList> &numbers);
// The search as the main window runs it: the numbers looked up, then the
// statement.
Statement noticeSearch(QSqlDatabase db, const QString &text, const UserRecord &user, int limit = kIdLookupLimit);
// The list that shows nothing in normal operation.
Statement emptyNoticeList();
