#pragma once
// Runs tsql_syntax_gate.py (sqlfluff's T-SQL grammar) over statements meant
// for SQL Server, written as the driver sends them (@P1, @P2, ... for the
// placeholders).

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryFile>

struct GateResult
{
    bool ran = false;  // false: sqlfluff is not installed
    int exitCode = -1;
    QString report;
};

// (name, statement) pairs.
inline GateResult runTsqlGate(const QList<QPair<QString, QString>> &statements)
{
    GateResult result;
    if (QStandardPaths::findExecutable(QStringLiteral("sqlfluff")).isEmpty())
        return result;
    QJsonArray list;
    for (const auto &[name, sql] : statements)
        list.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("sql"), sql}});
    QTemporaryFile file;
    if (!file.open())
        return result;
    file.write(QJsonDocument(list).toJson());
    file.flush();
    QProcess gate;
    gate.setProcessChannelMode(QProcess::MergedChannels);
    gate.start(QStringLiteral(PYTHON3), {QStringLiteral(TSQL_SYNTAX_GATE), file.fileName()});
    gate.waitForFinished(300000);
    result.ran = true;
    result.exitCode = gate.exitStatus() == QProcess::NormalExit ? gate.exitCode() : -1;
    result.report = QString::fromUtf8(gate.readAll());
    return result;
}

// A statement as the driver sends it: each placeholder outside quotes numbered.
inline QString asSent(const QString &sql)
{
    QString sent;
    int n = 0;
    bool quoted = false;
    for (const QChar c : sql) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (c == QLatin1Char('?') && !quoted)
            sent += QStringLiteral("@P%1").arg(++n);
        else
            sent += c;
    }
    return sent;
}
