#pragma once
// Printing a notice of the user's section on the payment notice template and
// moving it to the printed state.

#include <QString>

class Tdm;
struct UserRecord;

namespace finance {

inline const QString kNoticeTemplate = QStringLiteral("report/notice.frf");

// Prints the current notice of the notice query when it is of the user's
// section and in a printable state: reloads its printable lines,
// sets the report variables, shows the preview and, once it is closed, stores
// state 3. Returns false without a word when the notice may not be printed by
// this user (another section, or a state that is not printable). Throws on a
// database error; before the state is stored, nothing is changed.
bool printNotice(Tdm &dm, const UserRecord &user);

// The fee-type captions printed on a ship affairs notice, by flag.
QString feeTypeCaption(int flagIndex, bool set);

}  // namespace finance
