#pragma once
// Notices for test and benchmark databases, written in one place: a row of
// the notice table with a default for every column, so that a test names
// only what it is about and a column the table gains touches this file alone.
//
//   NoticeRow(QStringLiteral("0000012")).status(2).handler(QStringLiteral("张船务")).money(120.0).insert(db);
//
// The defaults: a new notice (status 1) of the section its number names (a
// number starting with 1 is the inspection section's, any other the ship
// affairs section's), dated 2024-03-01 09:00; no money, ship, company,
// inspection, leader, handler, bill, review note or receipt yet; every fee
// flag false; revision 0. Where a test is about a value that is missing,
// null() says so in the call.

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <array>
#include <optional>

class NoticeRow
{
public:
    explicit NoticeRow(const QString &id);

    NoticeRow &rdate(const QDateTime &at);
    NoticeRow &money(double money);
    NoticeRow &status(int status);
    NoticeRow &department(const QString &department);
    NoticeRow &shipname(const QString &shipname);
    NoticeRow &company(const QString &company);
    NoticeRow &checktype(const QString &checktype);
    NoticeRow &checkcontent(const QString &checkcontent);
    NoticeRow &leader(const QString &leader);
    NoticeRow &handler(const QString &handler);
    NoticeRow &billcode(const QString &billcode);
    NoticeRow &memoBadcheck(const QString &memo);
    NoticeRow &receipter(const QString &receipter);
    NoticeRow &dengji(bool on);
    NoticeRow &peixun(bool on);
    NoticeRow &gongbenfei(bool on);
    NoticeRow &neibuziliao(bool on);
    NoticeRow &revision(int revision);
    // Stores NULL in the column, named as in the table ("Rdate", "billcode").
    NoticeRow &null(const QString &column);
    // The value of a column named as in the table, for tables of cases that
    // hold NULL beside values; a QVariant without a value stores NULL.
    NoticeRow &set(const QString &column, const QVariant &value);

    QString id() const;

    // Inserts the row. Throws DbError when the database refuses it.
    void insert(QSqlDatabase db) const;
    // Inserts the row; false when the database refuses it, for tests of what
    // the database itself refuses.
    bool tryInsert(QSqlDatabase db) const;

    static QString columnList();
    static constexpr int kColumns = 19;

private:
    friend class NoticeRows;
    int columnIndex(const QString &column) const;
    std::array<QVariant, kColumns> m_values;
};

// Many notices, a few hundred to a statement, for fixtures of many rows and
// for benchmarks: add() them and finish(). In the caller's transaction, if any.
class NoticeRows
{
public:
    explicit NoticeRows(QSqlDatabase db, int rowsPerStatement = 200);
    ~NoticeRows();
    NoticeRows(const NoticeRows &) = delete;
    NoticeRows &operator=(const NoticeRows &) = delete;

    // Throws DbError when the database refuses a statement.
    void add(const NoticeRow &row);
    // Inserts the rows still waiting. Throws DbError.
    void finish();

private:
    void insertWaiting();

    QSqlDatabase m_db;
    int m_rowsPerStatement;
    int m_waiting = 0;
    QVariantList m_values;
    std::optional<QSqlQuery> m_full;
};
