#pragma once

#include <QString>
#include <functional>

class QWidget;

// How the engine speaks to the user: a print or a save from the preview that did
// not happen. The engine knows nothing of the program around it, so the program
// sets a notifier at start-up and these messages take the same road as all of
// its own; without one they come in a message box of the engine's own.
namespace report {

enum class Severity { Information, Warning, Error };

using Notifier = std::function<void(Severity severity, const QString &text)>;

// Replaces the notifier; returns the one it replaced. An empty function restores
// the engine's own message boxes.
Notifier setNotifier(Notifier notifier);

// Tells the user through the notifier, or without one in a modal message box
// titled "Nollard" over the parent (default: the active modal window).
void notify(Severity severity, const QString &text, QWidget *parent = nullptr);

}  // namespace report
