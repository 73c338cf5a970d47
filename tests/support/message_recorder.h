#pragma once
// Records what the program would show in its message boxes, instead of
// showing them, for as long as it lives.

#include "app/messages.h"

#include <QStringList>

class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();

    QStringList informations;
    QStringList errors;
    QStringList all() const { return informations + errors; }
    void clear()
    {
        informations.clear();
        errors.clear();
    }

private:
    messages::Presenter m_previous;
};
