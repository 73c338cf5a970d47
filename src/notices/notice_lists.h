#pragma once
// Which notices each list button and the search show, chosen from the user's
// role and review right. Leaders and reviewers see their whole section, other
// clerks only the notices they handle, users without list rights nothing.

#include "app/sql_dialect.h"
#include "app/sql_statement.h"

#include <QSqlDatabase>

struct UserRecord;

enum class NoticeList { NotReviewed, NotPrinted, NotBilled, Billed, Rejected };

Statement noticeListStatement(NoticeList list, const UserRecord &user);
// Notices of the user's scope whose number contains the text, in every state,
// found the given way. The text is matched literally: "%" and "_" are no
// wildcards.
Statement noticeSearchStatement(const QString &text, const UserRecord &user, const SqlDialect &dialect,
                                IdSearch way);

// Up to this many numbers containing the text, the search looks them up in the
// substring index and sorts them; from this many on it walks the list's
// ordered index, where the first screen of matches lies close to the start.
constexpr int kIdLookupLimit = 2000;
// The way to search for the text: a count through the substring index, capped
// at `limit`, decides. Throws DbError.
IdSearch chooseIdSearch(QSqlDatabase db, const QString &text, int limit = kIdLookupLimit);
// The search as the main window runs it: the way chosen, then the statement.
Statement noticeSearch(QSqlDatabase db, const QString &text, const UserRecord &user, int limit = kIdLookupLimit);
// The list that shows nothing in normal operation.
Statement emptyNoticeList();
