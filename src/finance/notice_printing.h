#pragma once
// Printing a notice of the user's section on the payment notice template and
// moving it to the printed state.

#include <QString>

class Tdm;
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

// Prints the current notice of the notice query when it is of the user's
// section and in a printable state: reloads its printable lines,
// sets the report variables, shows the preview and, once it is closed, stores
// state 3. Returns false without a word when the notice may not be printed by
// this user (another section, or a state that is not printable). Throws
// UserRefusal, changing nothing, when the template cannot be read, the
// printable lines do not add up to the notice's amount, the amount cannot be
// written in capitals (negative, or too large), or the printer reported an
// error. Throws on a database error; before the state is stored, nothing is
// changed.
bool printNotice(Tdm &dm, const UserRecord &user);

// The fee-type captions printed on a ship affairs notice, by flag.
QString feeTypeCaption(int flagIndex, bool set);

}  // namespace finance
