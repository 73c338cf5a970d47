#pragma once
// What every refusal has in common, whether an operation refused (a
// UserRefusal) or the database did (a DbRefusal: a row held elsewhere, a key
// taken): a text the user can act on. The handler wrapper catches this one
// type and tells the text as information, not as an error.

#include <QString>

class Refusal
{
public:
    virtual ~Refusal() = default;
    virtual QString message() const = 0;

protected:
    Refusal() = default;
    Refusal(const Refusal &) = default;
    Refusal &operator=(const Refusal &) = default;
};
