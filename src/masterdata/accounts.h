#pragma once
// User accounts kept by the section leaders and the finance leader: which
// accounts a leader keeps, adding one with its checks, changing a role and
// deleting an account without leaving a section that nobody can administer.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

class NamedQuery;
struct UserRecord;

namespace masterdata {

// The accounts a section leader keeps in the user administration.
struct AccountSection
{
    QString heading;
    QString listStatement;
    QStringList roleTexts;  // the role drop-down, in this order
    int newAccountRole;
};
// For a ship affairs (4) or ship inspection (6) leader; none for other roles.
std::optional<AccountSection> accountSection(int typeId);

inline const QString kFinanceListStatement = QStringLiteral(
    "select name,nickname,password,typeid from person where (typeid=7 or typeid=8)");
inline constexpr int kNewFinanceRole = 7;

// Widths of the account columns in GBK bytes. A finance account's name may be
// longer; it never stands in a notice's handler or reviewer.
inline constexpr int kSectionNameBytes = 6;
inline constexpr int kFinanceNameBytes = 10;
inline constexpr int kNicknameBytes = 8;
inline constexpr int kPasswordBytes = 8;

inline const QString kAccountFieldsEmpty = QStringLiteral("真实姓名，登录名和初始密码均不可为空");
inline const QString kLoginNameTaken = QStringLiteral("该登录名已被使用，请使用其它登录名重新注册");

enum class NewAccount { Stored, FieldsEmpty, LoginNameTaken };

// Stores the account being added in the query. The login name is checked
// against the accounts of every role. On a refusal nothing is stored and the
// row stays open. The account, without its password, enters the trail of
// master data changes under the administrator's name.
NewAccount storeNewAccount(NamedQuery &q, int nameBytes, const UserRecord &administrator);

// Deletes the current account, recorded in the trail. Refuses (UserRefusal)
// the administrator's own account and the last account of a leader role (4,
// 6, 8), without which nobody could administer that section's accounts any
// more.
void deleteAccount(NamedQuery &q, const UserRecord &administrator);

// Refuses (UserRefusal) a role change of the row in editing that would take
// the last leader of a section out of that role.
void checkRoleChange(NamedQuery &q);

// Resetting a password: a section leader gives a clerk (the section's staff
// role) of the own section a new password, typed twice. The trail records
// that it was reset, never the password.
inline const QString kPasswordEmpty = QStringLiteral("新密码不可为空");
inline const QString kPasswordsDiffer = QStringLiteral("两次输入的新密码不一致，请重新输入");
inline const QString kPasswordTooLong = QStringLiteral("新密码不能超过8个字节");
inline const QString kPasswordNotYours = QStringLiteral(
    "只能重置本科室工作人员的密码，其他科室的账号和领导的账号不能重置");
inline const QString kPasswordAccountGone = QStringLiteral("该账号已不存在，密码未能重置");

// Throws UserRefusal with one of the texts above (the leader not a section
// leader also gives kPasswordNotYours), DbError when the database refuses.
void resetPassword(QSqlDatabase db, const UserRecord &leader, const QString &nickname, const QString &password,
                   const QString &repeated);

}  // namespace masterdata
