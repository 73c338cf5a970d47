#include "accounts.h"

#include "audit_trail.h"
#include "named_rows.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/gbk_text.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/transaction.h"
#include "db/user_refusal.h"

#include <QSqlQuery>

namespace masterdata {

namespace {

const QString kName = QStringLiteral("name");
const QString kNickname = QStringLiteral("nickname");
const QString kPassword = QStringLiteral("password");
const QString kTypeId = QStringLiteral("typeid");
const QString kPerson = QStringLiteral("person");

bool isLeaderRole(int role)
{
    return role == codes::RoleShipAffairsLeader || role == codes::RoleInspectionLeader
           || role == codes::RoleFinanceLeader;
}

int otherAccountsOfRole(QSqlDatabase db, int role, const QString &nickname)
{
    QSqlQuery q = runStatement(db, QStringLiteral("select count(*) from person where typeid=? and nickname<>?"),
                               {role, nickname});
    const int count = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return count;
}

}  // namespace

std::optional<AccountSection> accountSection(int typeId)
{
    if (typeId == codes::RoleShipAffairsLeader)
        return AccountSection{
            QStringLiteral("船务科用户管理"),
            QStringLiteral("select name,nickname,password,typeid,checker,admin from person where typeid=3 or typeid=4"),
            {codes::roleText(codes::RoleShipAffairsLeader), codes::roleText(codes::RoleShipAffairsStaff)},
            codes::RoleShipAffairsStaff};
    if (typeId == codes::RoleInspectionLeader)
        return AccountSection{
            QStringLiteral("船检科用户管理"),
            QStringLiteral("select name,nickname,password,typeid,checker,admin from person where typeid=5 or typeid=6"),
            {codes::roleText(codes::RoleInspectionLeader), codes::roleText(codes::RoleInspectionStaff)},
            codes::RoleInspectionStaff};
    return std::nullopt;
}

NewAccount storeNewAccount(NamedQuery &q, int nameBytes, const UserRecord &administrator)
{
    for (const QString &column : {kName, kNickname, kPassword})
        if (q.value(column).toString().isEmpty())
            return NewAccount::FieldsEmpty;
    cutToWidth(q, kName, nameBytes);
    cutToWidth(q, kNickname, kNicknameBytes);
    cutToWidth(q, kPassword, kPasswordBytes);
    return storeUnlessTaken(q, kPerson, kNickname, storeRecorder(kPerson, administrator)) ? NewAccount::Stored
                                                                                          : NewAccount::LoginNameTaken;
}

void deleteAccount(NamedQuery &q, const UserRecord &administrator)
{
    if (q.currentRow() < 0)
        return;
    if (q.state() != NamedQuery::State::Browsing)
        q.cancel();
    const int row = q.currentRow();
    const QString nickname = q.value(kNickname).toString();
    const int role = q.value(kTypeId).toInt();
    if (nickname == administrator.nickname)
        throw UserRefusal(QStringLiteral("不能删除自己正在使用的账号"));
    {
        // The count and the delete in one transaction, so the last leader is
        // seen as the last one.
        Transaction transaction(q.database());
        if (isLeaderRole(role) && otherAccountsOfRole(q.database(), role, nickname) == 0)
            throw UserRefusal(QStringLiteral("该账号是最后一个%1账号，删除后将无人能管理本科室的账号，不能删除")
                                  .arg(codes::roleText(role)));
        QSqlQuery stored = runStatement(q.database(), QStringLiteral("select * from person where nickname=?"),
                                        {nickname});
        const QSqlRecord was = stored.next() ? stored.record() : QSqlRecord();
        stored.finish();
        if (deleteRow(q.database(), kPerson, kNickname, nickname) && !was.isEmpty())
            recordDeletion(q.database(), administrator, kPerson, was);
        transaction.commit();
    }
    reopenAt(q, row);
}

void checkRoleChange(NamedQuery &q)
{
    const int before = q.model()->record(q.currentRow()).value(kTypeId).toInt();
    const int after = q.value(kTypeId).toInt();
    if (before == after || !isLeaderRole(before))
        return;
    if (otherAccountsOfRole(q.database(), before, q.value(kNickname).toString()) == 0)
        throw UserRefusal(QStringLiteral("该账号是最后一个%1账号，改变身份后将无人能管理本科室的账号，不能更改")
                              .arg(codes::roleText(before)));
}

}  // namespace masterdata

namespace masterdata {

void resetPassword(QSqlDatabase db, const UserRecord &leader, const QString &nickname, const QString &password,
                   const QString &repeated)
{
    const std::optional<AccountSection> section = accountSection(leader.typeId);
    if (!section)
        throw UserRefusal(kPasswordNotYours);
    if (password.isEmpty())
        throw UserRefusal(kPasswordEmpty);
    if (password != repeated)
        throw UserRefusal(kPasswordsDiffer);
    if (!gbk::fits(password, kPasswordBytes))
        throw UserRefusal(kPasswordTooLong);

    Transaction transaction(db);
    // The role as stored now: an account made a leader meanwhile is refused.
    QSqlQuery q = runStatement(db, QStringLiteral("select * from person where nickname=?"), {nickname});
    if (!q.next())
        throw UserRefusal(kPasswordAccountGone);
    const QSqlRecord account = q.record();
    q.finish();
    if (account.value(kTypeId).toInt() != section->newAccountRole)
        throw UserRefusal(kPasswordNotYours);
    QSqlQuery update = runStatement(db, QStringLiteral("update person set password=? where nickname=? and typeid=?"),
                                    {password, nickname, section->newAccountRole});
    const int changed = update.numRowsAffected();
    update.finish();
    if (changed == 0)
        throw UserRefusal(kPasswordAccountGone);
    recordChange(db, leader, kPerson, account, audit::kPasswordReset, QString(),
                 QStringLiteral("密码已重置（不记录密码）"));
    transaction.commit();
}

}  // namespace masterdata
