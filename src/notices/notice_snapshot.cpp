#include "notice_snapshot.h"

#include "db/sql_statement.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kLineKey = QStringLiteral("lineid");

QJsonObject objectOf(const QSqlRecord &record, const QStringList &skipped = {})
{
    QJsonObject object;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i).toLower();
        if (skipped.contains(name))
            continue;
        const QVariant value = record.value(i);
        if (value.isNull())
            object.insert(name, QJsonValue::Null);
        else if (value.metaType().id() == QMetaType::QDateTime)
            object.insert(name, value.toDateTime().toString(Qt::ISODate));
        else
            object.insert(name, QJsonValue::fromVariant(value));
    }
    return object;
}

// The value of the snapshot as the column takes it. A creation time is
// written back as a time, whatever type the driver reports for the column.
QVariant columnValue(const QSqlField &field, const QJsonValue &value)
{
    const QMetaType type = field.metaType();
    if (value.isNull() || value.isUndefined())
        return QVariant();  // bound as NULL
    if (field.name().compare(QStringLiteral("rdate"), Qt::CaseInsensitive) == 0 || type.id() == QMetaType::QDateTime) {
        const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODate);
        return time.isValid() ? QVariant(time) : QVariant();
    }
    QVariant v = value.toVariant();
    if (type.isValid() && type.id() != QMetaType::QString && v.canConvert(type))
        v.convert(type);
    return v;
}

void insertObject(QSqlDatabase db, const QString &table, const QJsonObject &object, const QStringList &skipped,
                  const QList<QPair<QString, QVariant>> &overrides = {})
{
    const QSqlRecord columns = db.record(table);
    QStringList names, marks;
    QVariantList values;
    for (int i = 0; i < columns.count(); ++i) {
        const QSqlField field = columns.field(i);
        const QString key = field.name().toLower();
        if (skipped.contains(key))
            continue;
        QVariant value;
        bool overridden = false;
        for (const auto &[name, v] : overrides)
            if (name == key) {
                value = v;
                overridden = true;
            }
        if (!overridden) {
            if (!object.contains(key))
                continue;  // the column's default
            value = columnValue(field, object.value(key));
        }
        names << db.driver()->escapeIdentifier(field.name(), QSqlDriver::FieldName);
        marks << QStringLiteral("?");
        values << value;
    }
    runStatement(db,
                 QStringLiteral("insert into %1 (%2) values (%3)")
                     .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                 values)
        .finish();
}

}  // namespace

QString NoticeSnapshot::id() const
{
    return notice.value(QStringLiteral("id")).toString();
}

QString NoticeSnapshot::department() const
{
    return notice.value(QStringLiteral("department")).toString();
}

QVariant NoticeSnapshot::status() const
{
    const QJsonValue v = notice.value(QStringLiteral("status"));
    return v.isDouble() ? QVariant(v.toInt()) : QVariant();
}

double NoticeSnapshot::money() const
{
    return notice.value(QStringLiteral("money")).toDouble();
}

int NoticeSnapshot::revision() const
{
    return notice.value(QStringLiteral("revision")).toInt();
}

QString NoticeSnapshot::toJson() const
{
    QJsonArray array;
    for (const QJsonObject &line : lines)
        array.append(line);
    QJsonObject root{{QStringLiteral("notice"), notice}, {QStringLiteral("lines"), array}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

NoticeSnapshot NoticeSnapshot::fromJson(const QString &text)
{
    NoticeSnapshot snapshot;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject())
        return snapshot;
    snapshot.notice = document.object().value(QStringLiteral("notice")).toObject();
    for (const QJsonValue &line : document.object().value(QStringLiteral("lines")).toArray())
        snapshot.lines << line.toObject();
    return snapshot;
}

NoticeSnapshot readNoticeSnapshot(QSqlDatabase db, const QString &noticeId)
{
    NoticeSnapshot snapshot;
    QSqlQuery notice = runStatement(db, QStringLiteral("select * from notice where ID=?"), {noticeId});
    if (!notice.next())
        return snapshot;
    snapshot.notice = objectOf(notice.record());
    notice.finish();
    QSqlQuery lines = runStatement(db, QStringLiteral("select * from itemofnotice where ID=? order by orderx, lineid"),
                                   {noticeId});
    while (lines.next())
        snapshot.lines << objectOf(lines.record(), {kLineKey});
    return snapshot;
}

void writeNoticeSnapshot(QSqlDatabase db, const NoticeSnapshot &snapshot, int revision)
{
    insertObject(db, QStringLiteral("notice"), snapshot.notice, {}, {{QStringLiteral("revision"), revision}});
    runStatement(db, QStringLiteral("delete from itemofnotice where ID=?"), {snapshot.id()}).finish();
    for (const QJsonObject &line : snapshot.lines)
        insertObject(db, QStringLiteral("itemofnotice"), line, {kLineKey}, {{QStringLiteral("id"), snapshot.id()}});
}
