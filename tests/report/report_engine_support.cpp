#include "report_engine_support.h"

#include "notice_row.h"
#include "test_database.h"

#include "db/schema.h"

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
}  // namespace

NoticeDatabase::NoticeDatabase(const QString &filePath)
    : m_connection(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(filePath);
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    createSchema(db, TestDatabase::schemaFolder());
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
    NoticeRow(n.id)
        .rdate(n.rdate)
        .money(n.money)
        .status(n.status)
        .department(n.department)
        .shipname(n.shipname)
        .company(n.company)
        .checktype(n.checktype)
        .checkcontent(n.checkcontent)
        .leader(n.leader)
        .handler(n.handler)
        .receipter(n.receipter)
        .dengji(n.dengji)
        .peixun(n.peixun)
        .gongbenfei(n.gongbenfei)
        .neibuziliao(n.neibuziliao)
        .insert(db());
}

void NoticeDatabase::addLine(const QString &id, const QString &itemname, const QString &description, double money,
                             const QString &type, int orderx)
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
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
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
