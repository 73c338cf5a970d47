#pragma once
// Printing a notice of the user's section on the payment notice template and
// moving it to the printed state: the report is built here, the main window
// shows its preview, and the print is recorded here once the preview closed.

#include "report/report.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <optional>

struct UserRecord;

namespace finance {

inline const QString kNoticeTemplate = QStringLiteral("report/notice.frf");

// Why a notice was not printed; its state stays as it was.
inline const QString kTemplateUnreadable = QStringLiteral(
    "无法读取通知单模板文件 %1，通知单未打印，状态未改变。请检查程序目录下的 report 文件夹。");
inline const QString kPrinterFailed = QStringLiteral("打印机报告错误，通知单未打印，状态未改变，可以重新打印。");
inline const QString kTotalDiffersFromLines = QStringLiteral(
    "通知单的合计金额与收费项目明细之和不符，不能打印。请打开收费项目明细表核对并保存通知单后再打印。");
inline const QString kTotalNegative = QStringLiteral(
    "通知单的合计金额为负数，无法写成大写金额，不能打印。请核对收费项目。");
inline const QString kTotalTooLarge = QStringLiteral(
    "通知单的合计金额超过大写金额能写的范围（须小于壹万亿元），不能打印。请核对收费项目。");

// The notice a report was built for, as it was read: what recording its
// print stores over.
struct PrintedNotice
{
    QString id;
    int revision = 0;
    int status = 0;
    double money = 0;
};

struct NoticeReport
{
    Report report;
    PrintedNotice notice;
};

// The payment notice of the notice row as the window holds it (its columns
// as read), with its printable lines read from the database and the report
// variables set. Empty, without a word, when the notice may not be printed by
// this user (another section, or a state that is not printable). Throws
// UserRefusal, setting no variable, when the template cannot be read, the
// printable lines do not add up to the notice's amount, or the amount cannot
// be written in capitals (negative, or too large). Throws DbError.
std::optional<NoticeReport> buildNoticeReport(QSqlDatabase db, const UserRecord &user, const QSqlRecord &notice);

// Stores state 3 for the printed notice with its history row, in one
// transaction. Throws StaleRowError, storing nothing, when the notice changed
// or was deleted since it was read; DbError on a database failure.
void recordNoticePrinted(QSqlDatabase db, const UserRecord &user, const PrintedNotice &printed);

// The fee-type captions printed on a ship affairs notice, by flag.
QString feeTypeCaption(int flagIndex, bool set);

}  // namespace finance
