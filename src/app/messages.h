#pragma once
// The one seam through which the program speaks to the user in message boxes.
// A problem the user can fix is told with the system's own text; every other
// error reaches the general error display with the error's own text. Both are
// modal boxes titled "Nollard"; tests replace the presenter to see the texts.

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace messages {

enum class Kind { Information, Error };

using Presenter = std::function<void(Kind, const QString &text)>;

// Tells the user something they can act on ("用户名或密码错误", ...).
void inform(const QString &text);
// The general error display.
void showError(const QString &text);
void showException(const std::exception &error);

// Replaces the presenter (tests); returns the one it replaced. An empty
// function restores the message boxes.
Presenter setPresenter(Presenter presenter);

// The application title, also the title of every message box.
inline const char *const kTitle = "Nollard";

// Runs the action (a window's handler). A Refusal it throws (of an operation or of the database) is told to the
// user as information; any other exception goes to the general error display.
// Returns false when the action ended by an exception.
bool guarded(const std::function<void()> &action);

}  // namespace messages
