#include "report_engine_support.h"

#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>
#include <stdexcept>

namespace {
void exec(QSqlQuery &query)
{
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
}
} // namespace

NoticeDatabase::NoticeDatabase(const QString &filePath)
    : m_connection(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(filePath);
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "create table notice (ID varchar(7) primary key, Rdate datetime, money double, status int,"
        " department varchar(10), shipname varchar(50), company varchar(50), checktype varchar(10),"
        " checkcontent varchar(20), leader varchar(6), handler varchar(6), billcode varchar(7),"
        " memo_badcheck varchar(200), receipter varchar(6), dengji boolean, peixun boolean,"
        " gongbenfei boolean, neibuziliao boolean)"));
    exec(query);
    query.prepare(QStringLiteral(
        "create table itemofnotice (ID varchar(7), itemname varchar(50), description varchar(200),"
        " money double, type varchar(30), orderx int)"));
    exec(query);
}

NoticeDatabase::~NoticeDatabase()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

void NoticeDatabase::addNotice(const Notice &n)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral(
        "insert into notice (ID, Rdate, money, status, department, shipname, company, checktype,"
        " checkcontent, leader, handler, receipter, dengji, peixun, gongbenfei, neibuziliao)"
        " values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    const QVariantList values{n.id, n.rdate, n.money, n.status, n.department, n.shipname, n.company,
                              n.checktype, n.checkcontent, n.leader, n.handler, n.receipter,
                              n.dengji, n.peixun, n.gongbenfei, n.neibuziliao};
    for (const QVariant &value : values)
        query.addBindValue(value);
    exec(query);
}

void NoticeDatabase::addLine(const QString &id, const QString &itemname, const QString &description,
                             double money, const QString &type, int orderx)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral(
        "insert into itemofnotice (ID, itemname, description, money, type, orderx) values (?,?,?,?,?,?)"));
    for (const QVariant &value : QVariantList{id, itemname, description, money, type, orderx})
        query.addBindValue(value);
    exec(query);
}

bool pdftotextAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QString pdfText(const QString &pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfPath,
                   QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

void writeTextFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(text.toUtf8());
}
