#pragma once
// Which notices each list button and the search show, chosen from the user's
// role and review right. Leaders and reviewers see their whole section, other
// clerks only the notices they handle, users without list rights nothing.

#include "app/sql_dialect.h"
#include "app/sql_statement.h"

struct UserRecord;

enum class NoticeList { NotReviewed, NotPrinted, NotBilled, Billed, Rejected };

Statement noticeListStatement(NoticeList list, const UserRecord &user);
// Notices of the user's scope whose number contains the text, in every state.
// The text is matched literally: "%" and "_" are no wildcards.
Statement noticeSearchStatement(const QString &text, const UserRecord &user, const SqlDialect &dialect);
// The list that shows nothing in normal operation.
Statement emptyNoticeList();
