#pragma once
// Opening the user manuals through the desktop, and starting the
// configuration program beside the running one. Both go through one seam
// that tests replace, to see what would be opened without opening it.

#include <QString>
#include <functional>

namespace ui {

struct DesktopRequest
{
    enum class Kind { OpenDocument, StartProgram };
    Kind kind;
    QString path;  // absolute path of the document or program
};

// Carries out a request; returns false when the desktop could not.
using DesktopHandler = std::function<bool(const DesktopRequest &)>;
// Replaces the handler (tests); returns the one replaced. An empty function
// restores the desktop's own.
DesktopHandler setDesktopHandler(DesktopHandler handler);

// The manuals, relative to the working directory.
QString htmlManualPath();
QString wordManualPath();
// The configuration program, in the folder of the running program.
QString configurationProgramPath();

// Opens a document with the desktop's application for it. A missing file, or
// a desktop that cannot open it, is told to the user with the file's name.
void openDocument(const QString &relativePath);
// Starts the configuration program without waiting for it.
void startConfigurationProgram();

}  // namespace ui
