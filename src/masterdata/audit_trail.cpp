#include "audit_trail.h"

#include "app/codes.h"
#include "app/current_user.h"

#include <QSqlField>

namespace masterdata {

namespace {

struct Column
{
    QString name;
    QString label;
    QString (*text)(const QVariant &);
};

QString plain(const QVariant &v)
{
    return v.toString();
}

QString role(const QVariant &v)
{
    return codes::roleText(v.toInt());
}

QString right(const QVariant &v)
{
    return codes::rightText(v.toInt());
}

QString price(const QVariant &v)
{
    return QString::number(v.toDouble(), 'f', 2);
}

const QString kPerson = QStringLiteral("person");

// The columns the trail keeps, in the order the windows show them. The
// password is none of them.
QList<Column> columnsOf(const QString &table)
{
    const Column name{QStringLiteral("name"), QStringLiteral("名称"), plain};
    const Column order{QStringLiteral("orderx"), QStringLiteral("次序"), plain};
    if (table == kPerson)
        return {{QStringLiteral("name"), QStringLiteral("姓名"), plain},
                {QStringLiteral("nickname"), QStringLiteral("登录名"), plain},
                {QStringLiteral("typeid"), QStringLiteral("身份"), role},
                {QStringLiteral("checker"), QStringLiteral("审核权"), right},
                {QStringLiteral("admin"), QStringLiteral("开票权"), right}};
    if (table == QLatin1String("itemcw"))
        return {name,
                {QStringLiteral("danjia"), QStringLiteral("单价"), price},
                {QStringLiteral("type"), QStringLiteral("所属类型"), plain},
                order};
    if (table == QLatin1String("itemcj"))
        return {name, order};
    return {name};
}

bool sameValue(const QSqlRecord &a, const QSqlRecord &b, const QString &column)
{
    const QVariant x = a.value(column);
    const QVariant y = b.value(column);
    return x.isNull() == y.isNull() && (x.isNull() || x.toString() == y.toString());
}

}  // namespace

QString auditDepartment(const QString &table, const QSqlRecord &row)
{
    if (table == kPerson)
        return codes::departmentForRole(row.value(QStringLiteral("typeid")).toInt());
    if (table == QLatin1String("itemcw"))
        return codes::kShipAffairs;
    return codes::kInspection;  // itemcj and the name lists
}

QString auditRowKey(const QString &table, const QSqlRecord &row)
{
    if (table == kPerson)
        return QStringLiteral("%1（%2）")
            .arg(row.value(QStringLiteral("nickname")).toString(), row.value(QStringLiteral("name")).toString());
    return row.value(QStringLiteral("name")).toString();
}

QString describeValues(const QString &table, const QSqlRecord &row, const QStringList &only)
{
    QStringList parts;
    for (const Column &c : columnsOf(table)) {
        if (!only.isEmpty() && !only.contains(c.name))
            continue;
        if (row.indexOf(c.name) < 0)
            continue;
        if (row.isNull(c.name)) {
            // A changed column that has no value now, or had none before.
            if (!only.isEmpty())
                parts << c.label + QStringLiteral("：")
                             + (c.text == right ? right(QVariant()) : QStringLiteral("（空）"));
            continue;
        }
        parts << c.label + QStringLiteral("：") + c.text(row.value(c.name));
    }
    return parts.join(QStringLiteral("；"));
}

void recordChange(QSqlDatabase db, const UserRecord &actor, const QString &table, const QSqlRecord &row,
                  const QString &action, const QString &before, const QString &after)
{
    audit::appendChange(db, actor,
                        {auditDepartment(table, row), table, auditRowKey(table, row), action, before, after});
}

void recordStored(QSqlDatabase db, const UserRecord &actor, const QString &table, const NamedQuery::StoredRow &stored)
{
    if (stored.inserted) {
        recordChange(db, actor, table, stored.after, audit::kAdded, QString(), describeValues(table, stored.after));
        return;
    }
    QStringList changed;
    for (const Column &c : columnsOf(table))
        if (stored.after.indexOf(c.name) >= 0 && !sameValue(stored.before, stored.after, c.name))
            changed << c.name;
    if (changed.isEmpty())
        return;
    // An account is the section's whose role it had: a role changes within a section.
    recordChange(db, actor, table, stored.before, audit::kChanged, describeValues(table, stored.before, changed),
                 describeValues(table, stored.after, changed));
}

NamedQuery::StoreRecorder storeRecorder(const QString &table, const UserRecord &actor)
{
    return [table, actor](QSqlDatabase db, const NamedQuery::StoredRow &stored) {
        recordStored(db, actor, table, stored);
    };
}

void recordDeletion(QSqlDatabase db, const UserRecord &actor, const QString &table, const QSqlRecord &row)
{
    recordChange(db, actor, table, row, audit::kDeleted, describeValues(table, row), QString());
}

}  // namespace masterdata
