#pragma once
// The program's start-up, in its fixed order: the data module with its one
// connection, the login window (the program's main window), then the main
// window and the fee-line editor, both hidden.

#include "app/db_settings.h"

#include <memory>

class Tdm;
class TF_login;
class TF_item;
class TF_main;

struct Nollard
{
    std::unique_ptr<Tdm> dm;
    std::unique_ptr<TF_login> login;
    std::unique_ptr<TF_main> main;
    std::unique_ptr<TF_item> item;

    explicit Nollard(const DbSettings &settings);
    ~Nollard();
};
