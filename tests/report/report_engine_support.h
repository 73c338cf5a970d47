#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// A throw-away SQLite database made from the program's schema file, for feeding
// reports real queries on the notice and fee-line tables.
class NoticeDatabase
{
public:
    explicit NoticeDatabase(const QString &filePath);
    ~NoticeDatabase();
    NoticeDatabase(const NoticeDatabase &) = delete;
    NoticeDatabase &operator=(const NoticeDatabase &) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_connection); }

    struct Notice
    {
        QString id;
        QDateTime rdate;
        double money = 0;
        int status = 1;
        QString department, shipname, company, checktype, checkcontent, leader, handler, receipter;
        bool dengji = false, peixun = false, gongbenfei = false, neibuziliao = false;
    };
    void addNotice(const Notice &notice);
    void addLine(const QString &id, const QString &itemname, const QString &description, double money,
                 const QString &type, int orderx);

private:
    QString m_connection;
};

// The text of a PDF as pdftotext reads it, page breaks as form feeds.
// Empty when pdftotext is missing or fails; pdftotextAvailable() tells which.
bool pdftotextAvailable();
QString pdfText(const QString &pdfPath);

// Writes text to a file (UTF-8), for templates made up by a test.
void writeTextFile(const QString &path, const QString &text);
