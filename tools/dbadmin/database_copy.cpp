#include "database_copy.h"

#include "db/connection.h"
#include "db/copy_dialect.h"
#include "db/db_error.h"
#include "db/gbk_text.h"
#include "db/schema.h"
#include "db/schema_file.h"
#include "db/schema_version.h"
#include "db/sql_dialect.h"
#include "db/sql_statement.h"
#include "db/stored_dates.h"
#include "db/transaction.h"
#include "db/user_refusal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace dbadmin {

namespace {

const QString kSourceConnection = QStringLiteral("dbadmin-copy-source");
const QString kTargetConnection = QStringLiteral("dbadmin-copy-target");
const QString kNothingWritten = QStringLiteral("什么也没有写入。");

struct Column
{
    QString name;  // as the schema file declares it, lower case
    ColumnClass columnClass = ColumnClass::Text;
    bool numbered = false;
};

struct TablePlan
{
    QString table;
    QList<Column> columns;
    QStringList amountColumns() const
    {
        QStringList names;
        for (const Column &c : columns)
            if (c.columnClass == ColumnClass::Real)
                names << c.name;
        return names;
    }
};

// Removes the registered connections however the copy ends.
struct ConnectionsClosed
{
    ~ConnectionsClosed()
    {
        closeConnection(kSourceConnection);
        closeConnection(kTargetConnection);
    }
};

QList<TablePlan> plansOf(const SchemaDeclarations &schema)
{
    QList<TablePlan> plans;
    for (const QString &table : schema.tables) {
        TablePlan plan{table, {}};
        for (const QString &name : schema.columns.value(table)) {
            const QString declaration = schema.columnDeclarations.value(table).value(name);
            const std::optional<ColumnClass> columnClass = columnClassOf(declaration);
            if (!columnClass)
                throw DbError(
                    QStringLiteral("%1.%2: the copy does not know the type \"%3\"").arg(table, name, declaration));
            plan.columns.append({name, *columnClass, isNumberedKey(declaration)});
        }
        plans << plan;
    }
    return plans;
}

// The name of each planned column as the database spells it (PostgreSQL
// folds unquoted names to lower case, SQLite keeps them as declared), quoted.
QStringList fieldNames(QSqlDatabase db, const TablePlan &plan)
{
    const QSqlRecord record = db.record(plan.table);
    QStringList names;
    for (const Column &c : plan.columns)
        for (int i = 0; i < record.count(); ++i)
            if (record.fieldName(i).compare(c.name, Qt::CaseInsensitive) == 0)
                names << db.driver()->escapeIdentifier(record.fieldName(i), QSqlDriver::FieldName);
    if (names.size() != plan.columns.size())
        throw DbError(QStringLiteral("%1: the columns of the table do not match the schema file").arg(plan.table));
    return names;
}

QSqlQuery readQuery(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DbError(q.lastError());
    return q;
}

qint64 cents(double amount)
{
    return std::llround(amount * 100.0);
}

// Rows and amounts of a table, as the database holds them now.
void tally(QSqlDatabase db, const TablePlan &plan, qint64 &rows, qint64 &amountCents)
{
    QSqlQuery count = readQuery(db, QStringLiteral("select count(*) from %1").arg(plan.table));
    rows = count.next() ? count.value(0).toLongLong() : -1;
    count.finish();
    amountCents = 0;
    const QStringList amounts = plan.amountColumns();
    if (amounts.isEmpty())
        return;
    QStringList quoted;
    const QStringList names = fieldNames(db, plan);
    for (int i = 0; i < plan.columns.size(); ++i)
        if (plan.columns[i].columnClass == ColumnClass::Real)
            quoted << names[i];
    QSqlQuery q = readQuery(db, QStringLiteral("select %1 from %2").arg(quoted.join(QLatin1Char(',')), plan.table));
    while (q.next())
        for (int i = 0; i < quoted.size(); ++i)
            if (!q.isNull(i))
                amountCents += cents(q.value(i).toDouble());
}

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

// The settings name the same database: the same file, or the same server
// and database as written.
bool sameSettings(const DbSettings &a, const DbSettings &b)
{
    if (a.kind() != b.kind())
        return false;
    if (a.kind() == DbKind::SQLite)
        return sameFile(a.dataSource, b.dataSource);
    const Qt::CaseSensitivity names = a.kind() == DbKind::SqlServer ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return a.dataSource.trimmed().compare(b.dataSource.trimmed(), Qt::CaseInsensitive) == 0
           && a.initialCatalog.trimmed().compare(b.initialCatalog.trimmed(), names) == 0;
}

// Two connections reach the same database, however the settings name it (a
// host by another name, a link to the file).
bool sameDatabase(QSqlDatabase source, QSqlDatabase target, DbKind kind)
{
    const CopyDialect dialect(kind);
    if (kind == DbKind::SQLite)
        return sameFile(source.databaseName(), target.databaseName());
    if (kind == DbKind::PostgreSQL) {
        QSqlQuery marker = runStatement(source, dialect.sessionMarkerStatement());
        if (!marker.next())
            return false;
        QSqlQuery seen = runStatement(target, dialect.sessionSeenStatement(),
                                      {marker.value(0), marker.value(1).toString()});
        return seen.next() && seen.value(0).toInt() > 0;
    }
    auto identity = [&](QSqlDatabase db) {
        QSqlQuery q = runStatement(db, dialect.databaseIdentityStatement());
        QStringList values;
        if (q.next())
            for (int i = 0; i < 3; ++i)
                values << q.value(i).toString();
        return values;
    };
    const QStringList a = identity(source);
    return !a.isEmpty() && a == identity(target);
}

void refuseSourceVersion(int version, const QString &from)
{
    if (version == kNoSchema)
        throw UserRefusal(
            QStringLiteral("源数据库（%1）里没有本系统的数据表：没有可复制的数据。%2").arg(from, kNothingWritten));
    if (version < kSchemaVersion)
        throw UserRefusal(QStringLiteral("源数据库的结构是旧版本（版本 %1），本程序是版本 %2：请先运行 dbadmin upgrade "
                                         "升级源数据库（原有数据全部保留），再复制。%3")
                              .arg(version)
                              .arg(kSchemaVersion)
                              .arg(kNothingWritten));
    if (version > kSchemaVersion)
        throw UserRefusal(
            QStringLiteral("源数据库的结构（版本 %1）比本程序（版本 %2）新：请用新版本的 dbadmin 复制。%3")
                .arg(version)
                .arg(kSchemaVersion)
                .arg(kNothingWritten));
}

// The source holds the columns of the schema and no others: a column of
// its own would be lost with its values.
void refuseOtherColumns(QSqlDatabase source, const QList<TablePlan> &plans)
{
    for (const TablePlan &plan : plans) {
        const QSqlRecord record = source.record(plan.table);
        for (int i = 0; i < record.count(); ++i) {
            bool declared = false;
            for (const Column &c : plan.columns)
                declared = declared || c.name.compare(record.fieldName(i), Qt::CaseInsensitive) == 0;
            if (!declared)
                throw UserRefusal(QStringLiteral("源数据库的 %1.%2 不是本程序数据表的列，复制会丢失它的值。%3")
                                      .arg(plan.table, record.fieldName(i), kNothingWritten));
        }
    }
}

// The database's own bookkeeping (the embedded file's), and the tables
// behind a full-text index, which hold rows of their own in an empty database.
bool isBookkeeping(const QString &table, const SchemaDeclarations &schema)
{
    if (table.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive))
        return true;
    for (const QString &v : schema.virtualTables)
        if (table.toLower().startsWith(v + QLatin1Char('_')))
            return true;
    return false;
}

QStringList otherTables(QSqlDatabase source, const SchemaDeclarations &schema)
{
    QStringList others;
    for (const QString &table : databaseTables(source))
        if (!isBookkeeping(table, schema) && !schema.tables.contains(table.toLower())
            && !schema.virtualTables.contains(table.toLower()))
            others << table;
    others.sort();
    return others;
}

// Whether the target already has the schema, after refusing a target that
// holds rows, a part of the schema or another version of it. Rows that the
// schema file itself inserts (the counter row, the version) are no data.
bool inspectTarget(QSqlDatabase target, const SchemaDeclarations &schema)
{
    const QStringList tables = databaseTables(target);
    const int present = systemTablesPresent(target);
    const int all = int(systemTables().size());
    if (present > 0 && present < all)
        throw UserRefusal(QStringLiteral("目标数据库只有本系统的部分数据表（%1 个，共 %2 个）：请换一个空数据库。%3")
                              .arg(present)
                              .arg(all)
                              .arg(kNothingWritten));
    const bool hasSchema = present == all;
    if (hasSchema) {
        const int version = schemaVersionOf(target);
        if (version != kSchemaVersion)
            throw UserRefusal(
                QStringLiteral("目标数据库的结构是版本 %1，本程序是版本 %2：复制只写入空数据库，请换一个空数据库。%3")
                    .arg(version)
                    .arg(kSchemaVersion)
                    .arg(kNothingWritten));
    }
    QMap<QString, int> seedRows;
    if (hasSchema) {
        for (const QString &sql : schema.otherStatements) {
            const QStringList words = sql.simplified().split(QLatin1Char(' '));
            if (words.size() > 2 && words[0].compare(QStringLiteral("insert"), Qt::CaseInsensitive) == 0)
                ++seedRows[words[2].toLower()];
        }
    }
    QStringList held;
    for (const QString &table : tables) {
        if (isBookkeeping(table, schema))
            continue;
        QSqlQuery q = readQuery(target, QStringLiteral("select count(*) from %1")
                                            .arg(target.driver()->escapeIdentifier(table, QSqlDriver::TableName)));
        const qint64 rows = q.next() ? q.value(0).toLongLong() : 0;
        if (rows > seedRows.value(table.toLower()))
            held << QStringLiteral("%1 %2 行").arg(table).arg(rows);
    }
    if (!held.isEmpty())
        throw UserRefusal(QStringLiteral("目标数据库里已有数据（%1）：复制只写入空数据库，不会覆盖已有的数据。%2")
                              .arg(held.join(QStringLiteral("、")), kNothingWritten));
    return hasSchema;
}

[[noreturn]] void refuseValue(const TablePlan &plan, const Column &column, const QVariant &value, const QString &why)
{
    throw UserRefusal(QStringLiteral("%1.%2 的值 '%3' 不能原样复制：%4。%5")
                          .arg(plan.table, column.name, value.toString(), why, kNothingWritten));
}

QMetaType::Type metaTypeOf(ColumnClass columnClass)
{
    switch (columnClass) {
    case ColumnClass::Integer:
        return QMetaType::LongLong;
    case ColumnClass::Real:
        return QMetaType::Double;
    case ColumnClass::Boolean:
        return QMetaType::Bool;
    case ColumnClass::Text:
    case ColumnClass::DateTime:
        break;
    }
    return QMetaType::QString;
}

// The value as the target is given it; a NULL stays a NULL of the column's
// type, an empty text stays an empty text.
QVariant valueFor(const CopyDialect &target, const TablePlan &plan, const Column &column, const QVariant &value,
                  bool isNull)
{
    if (isNull)
        return QVariant(QMetaType(metaTypeOf(column.columnClass)));
    bool ok = true;
    switch (column.columnClass) {
    case ColumnClass::Text:
        return value.toString();
    case ColumnClass::Integer: {
        const qlonglong n = value.toLongLong(&ok);
        // A fraction kept in an integer column of the embedded file would be cut off.
        if (!ok || (value.typeId() == QMetaType::Double && value.toDouble() != double(n)))
            refuseValue(plan, column, value, QStringLiteral("不是整数"));
        return n;
    }
    case ColumnClass::Real: {
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            refuseValue(plan, column, value, QStringLiteral("不是数"));
        return d;
    }
    case ColumnClass::Boolean: {
        if (value.typeId() == QMetaType::Bool)
            return value.toBool();
        const qlonglong n = value.toLongLong(&ok);
        if (!ok || (n != 0 && n != 1))
            refuseValue(plan, column, value, QStringLiteral("不是 0 或 1"));
        return n == 1;
    }
    case ColumnClass::DateTime: {
        QString seconds = CopyDialect::secondsText(value.toString());
        if (seconds.isEmpty())
            seconds = CopyDialect::secondsText(standardDateText(value.toString()));
        if (seconds.isEmpty())
            refuseValue(plan, column, value,
                        QStringLiteral("不是日期时间（请写成 yyyy-MM-dd HH:mm:ss；dbadmin check 列出这样的日期）"));
        return target.timeValue(seconds);
    }
    }
    return value;
}

qint64 lastNumber(QSqlDatabase db, const QString &table, const QString &column)
{
    const CopyDialect dialect(SqlDialect::kindOf(db));
    const Statement query = dialect.lastNumberQuery(table, column);
    QSqlQuery q = runStatement(db, query);
    if (!q.next() || q.isNull(0))
        return 0;
    if (SqlDialect::kindOf(db) != DbKind::PostgreSQL)
        return q.value(0).toLongLong();
    const QString sequence = q.value(0).toString();
    q.finish();
    QSqlQuery s = readQuery(db, CopyDialect::sequenceLastNumberStatement(sequence));
    return s.next() ? s.value(0).toLongLong() : 0;
}

void execute(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DbError(q.lastError());
}

void copyTable(QSqlDatabase source, QSqlDatabase target, const TablePlan &plan)
{
    const DbKind sourceKind = SqlDialect::kindOf(source);
    const DbKind targetKind = SqlDialect::kindOf(target);
    const CopyDialect reading(sourceKind);
    const CopyDialect writing(targetKind);
    const SqlDialect targetDialect(targetKind);

    const QStringList from = fieldNames(source, plan);
    const QStringList to = fieldNames(target, plan);
    QStringList selected;
    QStringList numbered;
    for (int i = 0; i < plan.columns.size(); ++i) {
        selected << reading.readExpression(from[i], plan.columns[i].columnClass);
        if (plan.columns[i].numbered)
            numbered << plan.columns[i].name;
    }

    // Rows the schema file put there (the counter row) give way to the copied ones.
    execute(target, QStringLiteral("delete from %1").arg(plan.table));
    for (const QString &sql : targetDialect.beforeExplicitKeys(plan.table, numbered))
        execute(target, sql);

    QSqlQuery insert(target);
    const QString placeholders = QStringList(plan.columns.size(), QStringLiteral("?")).join(QLatin1Char(','));
    if (!insert.prepare(
            QStringLiteral("insert into %1 (%2) values (%3)").arg(plan.table, to.join(QLatin1Char(',')), placeholders)))
        throw DbError(insert.lastError());
    QMap<QString, qint64> copiedMaximum;
    qint64 rows = 0;
    QSqlQuery q = readQuery(source,
                            QStringLiteral("select %1 from %2").arg(selected.join(QLatin1Char(',')), plan.table));
    while (q.next()) {
        for (int i = 0; i < plan.columns.size(); ++i) {
            const Column &column = plan.columns[i];
            const QVariant value = valueFor(writing, plan, column, q.value(i), q.isNull(i));
            insert.bindValue(i, value);
            if (column.numbered && !q.isNull(i))
                copiedMaximum[column.name] = std::max(copiedMaximum.value(column.name), value.toLongLong());
        }
        if (!insert.exec())
            throw DbError(QStringLiteral("%1: %2").arg(plan.table, DbError(insert.lastError()).message()));
        ++rows;
    }
    q.finish();
    insert.finish();

    for (const QString &sql : targetDialect.afterExplicitKeys(plan.table, numbered))
        execute(target, sql);
    // The numbers the table hands out go on after the copied ones, and after
    // any the source handed out for rows deleted since.
    for (const QString &column : numbered) {
        const qint64 copied = copiedMaximum.value(column);
        const qint64 last = std::max(copied, lastNumber(source, plan.table, column));
        for (const Statement &s : writing.continueNumbersStatements(plan.table, column, last, copied, rows > 0))
            runStatement(target, s).finish();
    }
}

}  // namespace

bool CopyOutcome::matches() const
{
    for (const TableTally &t : tables)
        if (!t.matches())
            return false;
    return !tables.isEmpty();
}

QString databaseInWords(const DbSettings &settings)
{
    switch (settings.kind()) {
    case DbKind::SQLite:
        return QStringLiteral("SQLite 数据库文件 %1").arg(QDir::toNativeSeparators(settings.dataSource));
    case DbKind::PostgreSQL:
        return QStringLiteral("PostgreSQL 数据库 %1（服务器 %2）").arg(settings.initialCatalog, settings.dataSource);
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("SQL Server 数据库 %1（服务器 %2）").arg(settings.initialCatalog, settings.dataSource);
}

CopyOutcome copyDatabase(const DbSettings &sourceSettings, const DbSettings &targetSettings,
                         const QString &schemaFolder)
{
    CopyOutcome outcome;
    outcome.from = databaseInWords(sourceSettings);
    outcome.to = databaseInWords(targetSettings);
    if (sameSettings(sourceSettings, targetSettings))
        throw UserRefusal(QStringLiteral("目标数据库就是源数据库（%1）：不能把数据库复制到它自己上面。%2")
                              .arg(outcome.from, kNothingWritten));

    const ConnectionsClosed closed;
    QSqlDatabase source = openConnection(sourceSettings, kSourceConnection);
    refuseSourceVersion(schemaVersionOf(source), outcome.from);

    const DbKind targetKind = targetSettings.kind();
    const bool newFile = targetKind == DbKind::SQLite && !QFileInfo::exists(targetSettings.dataSource);
    try {
        QSqlDatabase target = openConnection(targetSettings, kTargetConnection, OpenOptions{newFile});
        if (sourceSettings.kind() == targetKind && sameDatabase(source, target, targetKind))
            throw UserRefusal(QStringLiteral("目标数据库就是源数据库（%1）：不能把数据库复制到它自己上面。%2")
                                  .arg(outcome.from, kNothingWritten));

        const QStringList statements = schemaFileStatements(targetKind, schemaFolder);
        const SchemaDeclarations schema = declarationsOf(statements);
        const QList<TablePlan> plans = plansOf(schema);
        refuseOtherColumns(source, plans);
        outcome.otherTables = otherTables(source,
                                          declarationsOf(schemaFileStatements(sourceSettings.kind(), schemaFolder)));
        outcome.schemaCreated = !inspectTarget(target, schema);

        // Every table is read as it stood at one moment, and written whole or not at all.
        Transaction reading(source);
        for (const QString &sql : CopyDialect(sourceSettings.kind()).snapshotStatements())
            execute(source, sql);
        for (const TablePlan &plan : plans) {
            TableTally t;
            t.table = plan.table;
            t.amountColumns = plan.amountColumns();
            tally(source, plan, t.sourceRows, t.sourceCents);
            outcome.tables << t;
        }
        {
            Transaction writing(target);
            if (outcome.schemaCreated)
                runSchemaStatements(target, statements);
            for (const TablePlan &plan : plans)
                copyTable(source, target, plan);
            writing.commit();
        }
        for (int i = 0; i < plans.size(); ++i)
            tally(target, plans[i], outcome.tables[i].targetRows, outcome.tables[i].targetCents);
    } catch (...) {
        if (newFile) {
            closeConnection(kTargetConnection);
            for (const char *suffix : {"", "-wal", "-shm", "-journal"})
                QFile::remove(targetSettings.dataSource + QLatin1String(suffix));
        }
        throw;
    }
    return outcome;
}

namespace {

// Pads to a width in columns of a terminal: a Chinese character takes two,
// as it takes two bytes in GBK.
QString padded(const QString &text, int columns, bool right)
{
    const QString fill(std::max(0, columns - gbk::width(text)), QLatin1Char(' '));
    return right ? fill + text : text + fill;
}

QString centsText(qint64 value)
{
    const qint64 magnitude = value < 0 ? -value : value;
    return QStringLiteral("%1%2.%3")
        .arg(value < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString copyReport(const CopyOutcome &outcome)
{
    QStringList lines;
    lines << QStringLiteral("源：%1").arg(outcome.from);
    lines << QStringLiteral("目标：%1%2")
                 .arg(outcome.to, outcome.schemaCreated ? QStringLiteral("，已建表") : QStringLiteral("，原有空表"));
    auto row = [](const QString &a, const QString &b, const QString &c, const QString &d, const QString &e,
                  const QString &f) {
        return padded(a, 18, false) + padded(b, 10, true) + padded(c, 10, true) + padded(d, 16, true)
               + padded(e, 16, true) + QStringLiteral("  ") + f;
    };
    lines << row(QStringLiteral("数据表"), QStringLiteral("源行数"), QStringLiteral("目标行数"),
                 QStringLiteral("源金额"), QStringLiteral("目标金额"), QStringLiteral("金额列"))
                 .trimmed();
    QStringList differing;
    for (const TableTally &t : outcome.tables) {
        const bool amounts = !t.amountColumns.isEmpty();
        lines << row(t.table, QString::number(t.sourceRows), QString::number(t.targetRows),
                     amounts ? centsText(t.sourceCents) : QStringLiteral("-"),
                     amounts ? centsText(t.targetCents) : QStringLiteral("-"), t.amountColumns.join(QLatin1Char(',')))
                         .trimmed()
                     + (t.matches() ? QString() : QStringLiteral("  <- 不同"));
        if (!t.matches())
            differing << t.table;
    }
    if (!outcome.otherTables.isEmpty())
        lines << QStringLiteral("没有复制：源数据库里不属于本系统的表 %1。")
                     .arg(outcome.otherTables.join(QStringLiteral("、")));
    lines << QStringLiteral("金额：表中金额列的值之和，每个值精确到分；目标数据库的行数和金额是复制提交后重新读出的。");
    if (outcome.matches())
        lines << QStringLiteral("结论：复制完整，每个表的行数和金额都与源数据库相同。");
    else
        lines << QStringLiteral("结论：复制不一致：%1 的行数或金额与源数据库不同。目标数据库已经写入，请不要使用它；"
                                "查明原因后换一个空数据库重新复制。")
                     .arg(differing.join(QStringLiteral("、")));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace dbadmin
