#include "first_accounts.h"

#include "app/codes.h"
#include "db/connection.h"
#include "db/gbk_text.h"
#include "db/schema.h"
#include "db/sql_statement.h"
#include "db/transaction.h"
#include "db/user_refusal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>

namespace dbadmin {

namespace {

const QString kConnection = QStringLiteral("dbadmin-init");

// The widths of the account windows' fields: a name the window could not
// show whole is refused here too.
int nameWidth(int typeId)
{
    return typeId == 8 ? 10 : 6;
}
constexpr int kLoginWidth = 8;
constexpr int kPasswordWidth = 8;

void checkAccount(const FirstAccount &a)
{
    const QString role = codes::roleText(a.typeId);
    if (a.name.trimmed().isEmpty() || a.login.trimmed().isEmpty())
        throw UserRefusal(QStringLiteral("%1：真实姓名和登录名均不可为空").arg(role));
    for (const QString &value : {a.name, a.login, a.password})
        if (gbk::hasControlCharacters(value))
            throw UserRefusal(QStringLiteral("%1：%2").arg(role, gbk::controlCharacterMessage()));
    if (!gbk::fits(a.name, nameWidth(a.typeId)))
        throw UserRefusal(QStringLiteral("%1：真实姓名“%2”超过 %3 个字节（一个汉字占两个字节）")
                              .arg(role, a.name)
                              .arg(nameWidth(a.typeId)));
    if (!gbk::fits(a.login, kLoginWidth))
        throw UserRefusal(
            QStringLiteral("%1：登录名“%2”超过 %3 个字节（一个汉字占两个字节）").arg(role, a.login).arg(kLoginWidth));
    if (!gbk::fits(a.password, kPasswordWidth))
        throw UserRefusal(QStringLiteral("%1：密码超过 %2 个字节").arg(role).arg(kPasswordWidth));
}

int tablesIn(QSqlDatabase db)
{
    const QStringList present = db.tables();
    int count = 0;
    for (const QString &table : systemTables())
        if (present.contains(table, Qt::CaseInsensitive))
            ++count;
    return count;
}

// The new embedded file is made readable and writable for the group before
// the database writes to it: the journal files that SQLite makes beside it
// take its permissions, and the data folder's group passes to all of them.
void createSharedFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw UserRefusal(QStringLiteral("无法创建数据库文件 %1：%2。\n请以能写入文件夹 %3 的用户运行"
                                         "（安装包的数据文件夹属于用户组 nollard：sudo adduser 用户名 nollard，"
                                         "重新登录后生效）。")
                              .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), file.errorString(),
                                   QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther);
}

struct Connected
{
    QSqlDatabase db;
    explicit Connected(const DbSettings &s) { db = openConnection(s, kConnection); }
    ~Connected()
    {
        db = QSqlDatabase();
        closeConnection(kConnection);
    }
};

}  // namespace

QList<FirstAccount> defaultFirstAccounts()
{
    return {
        {4, QStringLiteral("船务科"), QStringLiteral("cwld"), {}},
        {6, QStringLiteral("船检科"), QStringLiteral("cjld"), {}},
        {8, QStringLiteral("财务科"), QStringLiteral("cwkld"), {}},
    };
}

void applyAccountOption(FirstAccount &account, const QString &option)
{
    // The password comes last, so it may hold a colon.
    const QStringList parts = option.split(QLatin1Char(':'));
    if (parts.size() < 2)
        throw UserRefusal(QStringLiteral("“%1”应写成 登录名:真实姓名[:密码]").arg(option));
    if (!parts[0].isEmpty())
        account.login = parts[0];
    if (!parts[1].isEmpty())
        account.name = parts[1];
    if (parts.size() > 2)
        account.password = parts.mid(2).join(QLatin1Char(':'));
}

QString generatedPassword()
{
    static const QString letters = QStringLiteral("abcdefghjkmnpqrstuvwxyz23456789");
    QString password;
    for (int i = 0; i < kPasswordWidth; ++i)
        password += letters.at(QRandomGenerator::system()->bounded(int(letters.size())));
    return password;
}

QList<FirstAccount> initDatabase(const DbSettings &settings, const QString &schemaFolder, QList<FirstAccount> accounts)
{
    QStringList logins;
    for (FirstAccount &a : accounts) {
        if (a.password.isEmpty())
            a.password = generatedPassword();
        checkAccount(a);
        if (logins.contains(a.login))
            throw UserRefusal(QStringLiteral("登录名“%1”用了两次").arg(a.login));
        logins << a.login;
    }
    if (settings.kind() == DbKind::SQLite && !QFileInfo::exists(settings.dataSource))
        createSharedFile(settings.dataSource);

    Connected c(settings);
    const int tables = tablesIn(c.db);
    if (tables > 0 && tables < systemTables().size())
        throw UserRefusal(QStringLiteral("数据库中只有本系统的部分表（%1 张，共 %2 张），没有创建账号")
                              .arg(tables)
                              .arg(systemTables().size()));
    if (tables == 0)
        createSchema(c.db, schemaFolder);
    {
        QSqlQuery q = runStatement(c.db, QStringLiteral("select count(*) from person"));
        if (q.next() && q.value(0).toInt() > 0)
            throw UserRefusal(QStringLiteral("数据库中已有 %1 个用户账号，没有创建账号；"
                                             "账号由各科领导在“用户管理”和“财务人员管理”中维护")
                                  .arg(q.value(0).toInt()));
    }
    Transaction transaction(c.db);
    for (const FirstAccount &a : accounts) {
        const int right = a.typeId == 8 ? 0 : 1;
        runStatement(c.db,
                     QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) "
                                    "values (?,?,?,?,?,?)"),
                     {a.name, a.login, a.password, a.typeId, right, right})
            .finish();
    }
    transaction.commit();
    return accounts;
}

QString firstAccountsText(const QList<FirstAccount> &accounts)
{
    QString text = QStringLiteral(
        "已创建第一批账号（密码只显示这一次，请记下并转交本人，本人登录后可在“账号和密码更改”中更改）：");
    for (const FirstAccount &a : accounts)
        text += QStringLiteral("\n%1  登录名 %2  姓名 %3  密码 %4")
                    .arg(codes::roleText(a.typeId), a.login, a.name, a.password);
    return text;
}

}  // namespace dbadmin
