#include "notice_row.h"

#include "app/codes.h"
#include "db/db_error.h"

#include <QSqlError>
#include <QStringList>

namespace {

// The columns of the notice table in the order of the schema files, each with
// the type its NULL is bound as.
struct Column
{
    const char *name;
    QMetaType::Type type;
};

enum : int {
    Id,
    Rdate,
    Money,
    Status,
    Department,
    Shipname,
    Company,
    Checktype,
    Checkcontent,
    Leader,
    Handler,
    Billcode,
    MemoBadcheck,
    Receipter,
    Dengji,
    Peixun,
    Gongbenfei,
    Neibuziliao,
    Revision
};

constexpr std::array<Column, NoticeRow::kColumns> kNoticeColumns{{
    {"ID", QMetaType::QString},
    {"Rdate", QMetaType::QDateTime},
    {"money", QMetaType::Double},
    {"status", QMetaType::Int},
    {"department", QMetaType::QString},
    {"shipname", QMetaType::QString},
    {"company", QMetaType::QString},
    {"checktype", QMetaType::QString},
    {"checkcontent", QMetaType::QString},
    {"leader", QMetaType::QString},
    {"handler", QMetaType::QString},
    {"billcode", QMetaType::QString},
    {"memo_badcheck", QMetaType::QString},
    {"receipter", QMetaType::QString},
    {"dengji", QMetaType::Bool},
    {"peixun", QMetaType::Bool},
    {"gongbenfei", QMetaType::Bool},
    {"neibuziliao", QMetaType::Bool},
    {"revision", QMetaType::Int},
}};

QVariant nullOf(int column)
{
    return QVariant(QMetaType(kNoticeColumns[column].type));
}

QString rowMarks()
{
    QStringList marks;
    for (int c = 0; c < NoticeRow::kColumns; ++c)
        marks << QStringLiteral("?");
    return QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString insertStatement(int rows)
{
    QStringList values;
    const QString marks = rowMarks();
    for (int r = 0; r < rows; ++r)
        values << marks;
    return QStringLiteral("insert into notice (%1) values %2")
        .arg(NoticeRow::columnList(), values.join(QLatin1Char(',')));
}

void prepare(QSqlQuery &q, const QString &sql)
{
    if (!q.prepare(sql))
        throw DbError(QStringLiteral("notice rows: %1").arg(q.lastError().text()));
}

void bindAndRun(QSqlQuery &q, const QVariantList &values)
{
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DbError(QStringLiteral("notice rows: %1").arg(q.lastError().text()));
}

}  // namespace

NoticeRow::NoticeRow(const QString &id)
{
    for (int c = 0; c < kColumns; ++c)
        m_values[c] = nullOf(c);
    m_values[Id] = id;
    m_values[Rdate] = QDateTime(QDate(2024, 3, 1), QTime(9, 0));
    m_values[Status] = 1;
    m_values[Department] = id.startsWith(QLatin1Char('1')) ? codes::kInspection : codes::kShipAffairs;
    for (int flag : {Dengji, Peixun, Gongbenfei, Neibuziliao})
        m_values[flag] = false;
    m_values[Revision] = 0;
}

NoticeRow &NoticeRow::rdate(const QDateTime &at)
{
    m_values[Rdate] = at;
    return *this;
}
NoticeRow &NoticeRow::money(double money)
{
    m_values[Money] = money;
    return *this;
}
NoticeRow &NoticeRow::status(int status)
{
    m_values[Status] = status;
    return *this;
}
NoticeRow &NoticeRow::department(const QString &department)
{
    m_values[Department] = department;
    return *this;
}
NoticeRow &NoticeRow::shipname(const QString &shipname)
{
    m_values[Shipname] = shipname;
    return *this;
}
NoticeRow &NoticeRow::company(const QString &company)
{
    m_values[Company] = company;
    return *this;
}
NoticeRow &NoticeRow::checktype(const QString &checktype)
{
    m_values[Checktype] = checktype;
    return *this;
}
NoticeRow &NoticeRow::checkcontent(const QString &checkcontent)
{
    m_values[Checkcontent] = checkcontent;
    return *this;
}
NoticeRow &NoticeRow::leader(const QString &leader)
{
    m_values[Leader] = leader;
    return *this;
}
NoticeRow &NoticeRow::handler(const QString &handler)
{
    m_values[Handler] = handler;
    return *this;
}
NoticeRow &NoticeRow::billcode(const QString &billcode)
{
    m_values[Billcode] = billcode;
    return *this;
}
NoticeRow &NoticeRow::memoBadcheck(const QString &memo)
{
    m_values[MemoBadcheck] = memo;
    return *this;
}
NoticeRow &NoticeRow::receipter(const QString &receipter)
{
    m_values[Receipter] = receipter;
    return *this;
}
NoticeRow &NoticeRow::dengji(bool on)
{
    m_values[Dengji] = on;
    return *this;
}
NoticeRow &NoticeRow::peixun(bool on)
{
    m_values[Peixun] = on;
    return *this;
}
NoticeRow &NoticeRow::gongbenfei(bool on)
{
    m_values[Gongbenfei] = on;
    return *this;
}
NoticeRow &NoticeRow::neibuziliao(bool on)
{
    m_values[Neibuziliao] = on;
    return *this;
}
NoticeRow &NoticeRow::revision(int revision)
{
    m_values[Revision] = revision;
    return *this;
}

NoticeRow &NoticeRow::null(const QString &column)
{
    const int c = columnIndex(column);
    m_values[c] = nullOf(c);
    return *this;
}

NoticeRow &NoticeRow::set(const QString &column, const QVariant &value)
{
    const int c = columnIndex(column);
    m_values[c] = value.isNull() ? nullOf(c) : value;
    return *this;
}

QString NoticeRow::id() const
{
    return m_values[Id].toString();
}

int NoticeRow::columnIndex(const QString &column) const
{
    for (int c = 0; c < kColumns; ++c) {
        if (column.compare(QLatin1String(kNoticeColumns[c].name), Qt::CaseInsensitive) == 0)
            return c;
    }
    throw DbError(QStringLiteral("notice rows: no column %1 in notice").arg(column));
}

QString NoticeRow::columnList()
{
    QStringList names;
    for (const Column &c : kNoticeColumns)
        names << QLatin1String(c.name);
    return names.join(QLatin1Char(','));
}

void NoticeRow::insert(QSqlDatabase db) const
{
    QSqlQuery q(db);
    prepare(q, insertStatement(1));
    bindAndRun(q, QVariantList(m_values.begin(), m_values.end()));
}

bool NoticeRow::tryInsert(QSqlDatabase db) const
{
    try {
        insert(db);
        return true;
    } catch (const DbError &) {
        return false;
    }
}

NoticeRows::NoticeRows(QSqlDatabase db, int rowsPerStatement) : m_db(db), m_rowsPerStatement(rowsPerStatement) {}

NoticeRows::~NoticeRows()
{
    if (m_waiting > 0)
        qWarning("NoticeRows: %d notices were never inserted (finish() was not called)", m_waiting);
}

void NoticeRows::add(const NoticeRow &row)
{
    for (const QVariant &v : row.m_values)
        m_values << v;
    if (++m_waiting == m_rowsPerStatement)
        insertWaiting();
}

void NoticeRows::finish()
{
    if (m_waiting > 0)
        insertWaiting();
}

void NoticeRows::insertWaiting()
{
    if (m_waiting == m_rowsPerStatement) {
        // Full statements are all alike: prepared once.
        if (!m_full) {
            m_full.emplace(m_db);
            prepare(*m_full, insertStatement(m_rowsPerStatement));
        }
        bindAndRun(*m_full, m_values);
    } else {
        QSqlQuery q(m_db);
        prepare(q, insertStatement(m_waiting));
        bindAndRun(q, m_values);
    }
    m_values.clear();
    m_waiting = 0;
}
