#include "schema_upgrade.h"

#include "db_error.h"
#include "schema.h"
#include "schema_file.h"
#include "schema_version.h"
#include "sql_dialect.h"
#include "sql_statement.h"
#include "transaction.h"
#include "user_refusal.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// A key of the current schema that older tables do not enforce.
struct KeyRule
{
    QString table;
    QStringList columns;
    QString what;       // what a value of the key is, for the report
    QString condition;  // rows the key applies to; empty: all
    QString shown;      // a column naming the rows that share a value
};

const QList<KeyRule> &keyRules()
{
    static const QList<KeyRule> rules{
        {QStringLiteral("notice"), {QStringLiteral("ID")}, QStringLiteral("notice number"), {}, {}},
        {QStringLiteral("notice"),
         {QStringLiteral("billcode")},
         QStringLiteral("bill number"),
         QStringLiteral("billcode <> ''"),
         QStringLiteral("ID")},
        {QStringLiteral("person"), {QStringLiteral("nickname")}, QStringLiteral("login name"), {}, {}},
        {QStringLiteral("company"), {QStringLiteral("name")}, QStringLiteral("company"), {}, {}},
        {QStringLiteral("buildtype"), {QStringLiteral("name")}, QStringLiteral("inspection content"), {}, {}},
        {QStringLiteral("runtype"), {QStringLiteral("name")}, QStringLiteral("inspection content"), {}, {}},
        {QStringLiteral("othertype"), {QStringLiteral("name")}, QStringLiteral("inspection content"), {}, {}},
        {QStringLiteral("itemcj"), {QStringLiteral("name")}, QStringLiteral("fee item"), {}, {}},
        {QStringLiteral("itemcw"), {QStringLiteral("name")}, QStringLiteral("fee item"), {}, {}},
        {QStringLiteral("statistic"),
         {QStringLiteral("year"), QStringLiteral("department")},
         QStringLiteral("year and section"),
         {},
         {}},
        {QStringLiteral("statistic2"),
         {QStringLiteral("year"), QStringLiteral("type")},
         QStringLiteral("year and inspection kind"),
         {},
         {}},
    };
    return rules;
}

constexpr int kListedValues = 20;
const QString kOldPrefix = QStringLiteral("upgrade_old_");
const QString kSchemaVersionTable = QStringLiteral("schemaversion");

// Statements that change the schema cannot be prepared on every server.
void execute(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DbError(q.lastError());
}

bool hasTable(const QSqlDatabase &db, const QString &name)
{
    return hasDatabaseTable(db, name);
}

QString quoted(const QSqlDatabase &db, const QString &name)
{
    return db.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

QStringList fieldNames(const QSqlDatabase &db, const QString &table)
{
    const QSqlRecord record = db.record(table);
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

void checkKeyRule(QSqlDatabase db, const KeyRule &rule, QStringList &problems)
{
    const QString keys = rule.columns.join(QLatin1Char(','));
    const QString where = rule.condition.isEmpty() ? QString() : QStringLiteral(" where ") + rule.condition;
    for (const QString &column : rule.columns) {
        if (!rule.condition.isEmpty())
            continue;  // a conditional key leaves the other rows free
        QSqlQuery q = runStatement(db,
                                   QStringLiteral("select count(*) from %1 where %2 is null").arg(rule.table, column));
        if (q.next() && q.value(0).toInt() > 0)
            problems << QStringLiteral("%1.%2: %3 rows have no %4")
                            .arg(rule.table, column)
                            .arg(q.value(0).toInt())
                            .arg(rule.what);
    }
    QSqlQuery q = runStatement(
        db, QStringLiteral("select %1, count(*) from %2%3 group by %1 having count(*) > 1 order by %1")
                .arg(keys, rule.table, where));
    int listed = 0;
    int more = 0;
    QList<QVariantList> repeated;
    while (q.next()) {
        if (listed++ >= kListedValues) {
            ++more;
            continue;
        }
        QVariantList values;
        QStringList texts;
        for (int i = 0; i < rule.columns.size(); ++i) {
            values << q.value(i);
            texts << QLatin1Char('\'') + q.value(i).toString() + QLatin1Char('\'');
        }
        repeated << values;
        problems << QStringLiteral("%1.%2: %3 %4 is held by %5 rows")
                        .arg(rule.table, keys, rule.what, texts.join(QStringLiteral(", ")))
                        .arg(q.value(rule.columns.size()).toInt());
    }
    q.finish();
    if (!rule.shown.isEmpty()) {
        // Name the rows, so that the administrator can mend them.
        for (int i = 0; i < repeated.size(); ++i) {
            QSqlQuery rows = runStatement(
                db, QStringLiteral("select %1 from %2 where %3 = ? order by %1").arg(rule.shown, rule.table, keys),
                repeated[i]);
            QStringList names;
            while (rows.next())
                names << rows.value(0).toString();
            const qsizetype at = problems.size() - repeated.size() + i;
            problems[at] += QStringLiteral(" (%1 %2)").arg(rule.shown, names.join(QStringLiteral(", ")));
        }
    }
    if (more > 0)
        problems << QStringLiteral("%1.%2: and %3 more repeated values").arg(rule.table, keys).arg(more);
}

// Bill numbers are printed numbers: an older program kept them as typed
// ("5"), this one writes seven digits ("0000005"). Two texts of the same
// number are the same paper form twice, which the unique index on the text
// does not see.
void checkBillNumbersAsNumbers(QSqlDatabase db, QStringList &problems)
{
    if (!hasTable(db, QStringLiteral("notice")))
        return;
    QSqlQuery q = runStatement(db, QStringLiteral("select billcode,ID from notice where billcode <> '' "
                                                  "order by billcode,ID"));
    QMap<qint64, QStringList> holders;  // number -> "'text' (ID x)"
    QMap<qint64, QSet<QString>> texts;
    static const QRegularExpression digits(QStringLiteral("^\\d{1,18}$"));
    while (q.next()) {
        const QString text = q.value(0).toString().trimmed();
        if (!digits.match(text).hasMatch())
            continue;
        const qint64 number = text.toLongLong();
        holders[number] << QStringLiteral("'%1' (ID %2)").arg(q.value(0).toString(), q.value(1).toString());
        texts[number].insert(text);
    }
    q.finish();
    int listed = 0;
    int more = 0;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (it.value().size() < 2)
            continue;  // one text held twice is the key rule's to report
        if (listed++ >= kListedValues) {
            ++more;
            continue;
        }
        problems << QStringLiteral("notice.billcode: bill number %1 is held as %2")
                        .arg(it.key())
                        .arg(holders.value(it.key()).join(QStringLiteral(" and ")));
    }
    if (more > 0)
        problems << QStringLiteral("notice.billcode: and %1 more bill numbers held in two forms").arg(more);
}

}  // namespace

QStringList upgradeProblems(QSqlDatabase db, const QString &schemaFolder)
{
    const SchemaDeclarations target = declarationsOf(schemaFileStatements(SqlDialect::kindOf(db), schemaFolder));
    QStringList problems;
    for (const KeyRule &rule : keyRules())
        if (hasTable(db, rule.table))
            checkKeyRule(db, rule, problems);

    if (hasTable(db, QStringLiteral("itemofnotice"))) {
        QSqlQuery q = runStatement(db, QStringLiteral("select count(*) from itemofnotice where ID is null"));
        if (q.next() && q.value(0).toInt() > 0)
            problems << QStringLiteral("itemofnotice.ID: %1 fee lines belong to no notice").arg(q.value(0).toInt());
    }
    if (hasTable(db, QStringLiteral("counter"))) {
        QSqlQuery q = runStatement(db, QStringLiteral("select count(*) from counter"));
        if (q.next() && q.value(0).toInt() != 1)
            problems << QStringLiteral("counter: must hold exactly one row, holds %1").arg(q.value(0).toInt());
    }
    checkBillNumbersAsNumbers(db, problems);
    // A date the program cannot read is counted by no statistics run.
    int unreadable = 0;
    if (hasTable(db, QStringLiteral("notice")))
        for (const StoredDate &date : nonStandardNoticeDates(db))
            if (date.repaired.isEmpty() && unreadable++ < kListedValues)
                problems << QStringLiteral("notice.Rdate: '%1' of notice %2 cannot be read as a date unambiguously; "
                                           "write it as yyyy-MM-dd HH:mm:ss")
                                .arg(date.text, date.noticeId);
    if (unreadable > kListedValues)
        problems
            << QStringLiteral("notice.Rdate: and %1 more dates that cannot be read").arg(unreadable - kListedValues);
    // A column the current tables lack would be lost with its values.
    for (const QString &table : target.tables) {
        if (table == kSchemaVersionTable || !hasTable(db, table))
            continue;
        for (const QString &column : fieldNames(db, table))
            if (!target.columns.value(table).contains(column.toLower()))
                problems << QStringLiteral("%1.%2: not a column of the current schema; its values would be lost")
                                .arg(table, column);
    }
    return problems;
}

UpgradeOutcome upgradeSchema(QSqlDatabase db, const QString &schemaFolder)
{
    const SqlDialect dialect(db);
    UpgradeOutcome outcome;
    outcome.fromVersion = schemaVersionOf(db);
    outcome.toVersion = kSchemaVersion;
    if (outcome.fromVersion == kNoSchema)
        throw UserRefusal(QStringLiteral("the database holds no notice table: it is not a Nollard database "
                                         "(an empty one gets its tables from create-schema)"));
    if (outcome.fromVersion > kSchemaVersion)
        throw UserRefusal(QStringLiteral("the database has schema version %1, newer than this program's %2")
                              .arg(outcome.fromVersion)
                              .arg(kSchemaVersion));
    if (outcome.fromVersion == kSchemaVersion) {
        const QList<StoredDate> dates = nonStandardNoticeDates(db);
        if (dates.isEmpty())
            return outcome;
        const QStringList problems = upgradeProblems(db, schemaFolder);
        if (!problems.isEmpty())
            throw UserRefusal(QStringLiteral("the dates were not rewritten; the database is unchanged. "
                                             "These rows break a rule of the current schema:\n  ")
                              + problems.join(QStringLiteral("\n  ")));
        Transaction transaction(db);
        storeRepairedDates(db, dates);
        transaction.commit();
        outcome.changed = true;
        outcome.repairedDates = dates;
        return outcome;
    }

    const QStringList statements = schemaFileStatements(dialect.kind(), schemaFolder);
    const SchemaDeclarations target = declarationsOf(statements);
    const QStringList problems = upgradeProblems(db, schemaFolder);
    if (!problems.isEmpty())
        throw UserRefusal(QStringLiteral("the upgrade was not made; the database is unchanged. "
                                         "These rows break a rule of the current schema:\n  ")
                          + problems.join(QStringLiteral("\n  ")));

    Transaction transaction(db);
    // Set the rows aside, make the tables anew, and bring the rows back.
    QStringList carried;
    for (const QString &table : target.tables) {
        if (!hasTable(db, table))
            continue;
        if (table != kSchemaVersionTable) {
            execute(db, dialect.copyTableStatement(table, kOldPrefix + table));
            carried << table;
        }
        execute(db, QStringLiteral("drop table %1").arg(table));
    }
    for (const QString &table : target.virtualTables)
        if (hasTable(db, table))
            execute(db, QStringLiteral("drop table %1").arg(table));

    runSchemaStatements(db, statements);

    for (const QString &table : carried) {
        const QString old = kOldPrefix + table;
        const QStringList newColumns = fieldNames(db, table);
        QStringList columns;
        for (const QString &column : fieldNames(db, old))
            for (const QString &n : newColumns)
                if (n.compare(column, Qt::CaseInsensitive) == 0)
                    columns << quoted(db, n);
        const QString list = columns.join(QLatin1Char(','));

        QStringList keyColumns;  // key columns numbered by the database itself
        if (const QString sql = dialect.identityColumnsQuery(); !sql.isEmpty()) {
            QSqlQuery q = runStatement(db, sql, {table});
            while (q.next())
                if (columns.contains(quoted(db, q.value(0).toString())))
                    keyColumns << q.value(0).toString();
        }
        // Seed rows of the schema file (the counter row) give way to the stored ones.
        execute(db, QStringLiteral("delete from %1").arg(table));
        for (const QString &sql : dialect.beforeExplicitKeys(table, keyColumns))
            execute(db, sql);
        execute(db, QStringLiteral("insert into %1 (%2) select %2 from %3").arg(table, list, old));
        for (const QString &sql : dialect.afterExplicitKeys(table, keyColumns))
            execute(db, sql);
        execute(db, QStringLiteral("drop table %1").arg(old));
    }
    outcome.repairedDates = nonStandardNoticeDates(db);
    storeRepairedDates(db, outcome.repairedDates);
    transaction.commit();
    outcome.changed = true;
    return outcome;
}
