#include "audit_report.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/user_refusal.h"

#include <QDir>
#include <QSqlField>
#include <QSqlRecord>

namespace masterdata {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

QSqlRecord textRecord(const QList<std::pair<QString, QString>> &fields)
{
    QSqlRecord record;
    for (const auto &[name, value] : fields) {
        QSqlField field(name, QMetaType(QMetaType::QString));
        field.setValue(value);
        record.append(field);
    }
    return record;
}

}  // namespace

std::optional<QStringList> auditDepartmentsFor(const UserRecord &viewer)
{
    switch (viewer.typeId) {
    case codes::RoleShipAffairsLeader:
        return QStringList{codes::kShipAffairs};
    case codes::RoleInspectionLeader:
        return QStringList{codes::kInspection};
    case codes::RoleFinanceLeader:
        return QStringList{};
    default:
        return std::nullopt;
    }
}

AuditView readAuditView(QSqlDatabase db, const UserRecord &viewer, const QDate &from, const QDate &to)
{
    const std::optional<QStringList> departments = auditDepartmentsFor(viewer);
    if (!departments)
        throw UserRefusal(kAuditNotAllowed);
    if (from > to)
        throw UserRefusal(kAuditRangeReversed);
    AuditView view;
    view.from = from;
    view.to = to;
    if (departments->isEmpty())
        view.scope = QStringLiteral("全部科室");
    else if (departments->contains(codes::kInspection))
        view.scope = QStringLiteral("船检科的账号、收费项目和名称表");
    else
        view.scope = QStringLiteral("%1的账号和收费项目").arg(departments->join(QStringLiteral("、")));
    view.rows = audit::readChanges(db, from, to, *departments);
    return view;
}

QString auditTableText(const QString &table)
{
    static const QList<std::pair<QString, QString>> texts{
        {QStringLiteral("person"), QStringLiteral("用户账号")},
        {QStringLiteral("itemcw"), QStringLiteral("船务科收费项目")},
        {QStringLiteral("itemcj"), QStringLiteral("船检科收费项目")},
        {QStringLiteral("company"), QStringLiteral("记账公司")},
        {QStringLiteral("buildtype"), QStringLiteral("建造检验项目")},
        {QStringLiteral("runtype"), QStringLiteral("营运检验项目")},
        {QStringLiteral("othertype"), QStringLiteral("其他检验项目")},
    };
    for (const auto &[name, text] : texts)
        if (name == table)
            return text;
    return table;
}

QStringList auditColumnTitles()
{
    return {QStringLiteral("时间"), QStringLiteral("账号"), QStringLiteral("姓名"),
            QStringLiteral("科室"), QStringLiteral("数据"), QStringLiteral("记录"),
            QStringLiteral("操作"), QStringLiteral("原值"), QStringLiteral("新值")};
}

QStringList auditRowTexts(const audit::Row &row)
{
    return {row.time.toString(kTimeFormat),
            row.account,
            row.fullName,
            row.department,
            auditTableText(row.table),
            row.rowKey,
            row.action,
            row.before,
            row.after};
}

Report buildAuditReport(const AuditView &view)
{
    ReportRows trail{{textRecord({{QStringLiteral("scope"), view.scope},
                                  {QStringLiteral("from"), view.from.toString(kDateFormat)},
                                  {QStringLiteral("to"), view.to.toString(kDateFormat)},
                                  {QStringLiteral("count"), QString::number(view.rows.size())},
                                  {QStringLiteral("printed"), QDateTime::currentDateTime().toString(kTimeFormat)}})},
                     0};
    static const QStringList fields{QStringLiteral("time"),       QStringLiteral("account"), QStringLiteral("fullname"),
                                    QStringLiteral("department"), QStringLiteral("data"),    QStringLiteral("row"),
                                    QStringLiteral("action"),     QStringLiteral("before"),  QStringLiteral("after")};
    ReportRows changes;
    ReportTable table;
    table.rows << auditColumnTitles();
    for (const audit::Row &row : view.rows) {
        const QStringList texts = auditRowTexts(row);
        QList<std::pair<QString, QString>> named;
        for (int i = 0; i < fields.size(); ++i)
            named.append({fields[i], texts[i]});
        changes.records << textRecord(named);
        table.rows << texts;
    }
    changes.current = changes.records.isEmpty() ? -1 : 0;

    Report report;
    report.setDataset(QStringLiteral("trail"), fixedRows(trail), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("changes"), fixedRows(changes), ReportRange::AllRows);
    report.setTable(table);
    report.setExportName(
        QStringLiteral("修改记录_%1_%2")
            .arg(view.from.toString(QStringLiteral("yyyyMMdd")), view.to.toString(QStringLiteral("yyyyMMdd"))));
    report.loadFromFile(QDir::toNativeSeparators(kAuditTemplate));
    return report;
}

}  // namespace masterdata
