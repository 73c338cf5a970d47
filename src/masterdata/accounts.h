#pragma once
// User accounts kept by the section leaders and the finance leader: which
// accounts a leader keeps, adding one with its checks, changing a role and
// deleting an account without leaving a section that nobody can administer.

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
// row stays open.
NewAccount storeNewAccount(NamedQuery &q, int nameBytes);

// Deletes the current account. Refuses (UserRefusal) the administrator's own
// account and the last account of a leader role (4, 6, 8), without which
// nobody could administer that section's accounts any more.
void deleteAccount(NamedQuery &q, const UserRecord &administrator);

// Refuses (UserRefusal) a role change of the row in editing that would take
// the last leader of a section out of that role.
void checkRoleChange(NamedQuery &q);

}  // namespace masterdata
