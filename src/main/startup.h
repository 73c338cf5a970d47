#pragma once
// The program's start-up, in its fixed order: the data module with its one
// connection, the login window (the program's main window), then the main
// window and the fee-line editor, both hidden.

#include "db/config_location.h"
#include "db/db_settings.h"

#include <memory>

class Tdm;
class TF_item;
class TF_login;
class TF_main;

struct Nollard
{
    std::unique_ptr<Tdm> dm;
    std::unique_ptr<TF_login> login;
    std::unique_ptr<TF_main> main;
    std::unique_ptr<TF_item> item;

    // Creates the data module, opens the connection (a failure is shown and
    // start-up goes on) and creates the login window.
    explicit Nollard(const DbSettings &settings);
    // The same with the settings of the initialisation file that the lookup
    // found. A missing or unreadable file is explained (which files, where,
    // how to make one) in place of the database layer's message about the
    // defaults.
    explicit Nollard(const ConfigLocation &config);
    // Before any window: an embedded database file that is missing or cannot
    // be written is told in words (its full path, what to do). Returns true
    // when it was told; the program then ends instead of failing at the
    // first click.
    static bool refusesToStart(const ConfigLocation &config);
    // Shows the login window and lets it paint, then creates the main window
    // and the fee-line editor, hidden: the user sees the login window while
    // the larger windows are still being built.
    void showLoginAndCreateWindows();
    ~Nollard();

private:
    void create(const DbSettings &settings, const QString &configProblem);
};
