#pragma once
// A refusal the user can act on ("该通知单已被其他工作站修改…", a number taken
// by another workstation, ...). Operations throw it; the message seam's
// handler wrapper (messages::guarded) shows its text as information, not as an
// error.

#include "db/refusal.h"

#include <QString>
#include <stdexcept>

class UserRefusal : public std::runtime_error, public Refusal
{
public:
    explicit UserRefusal(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const override { return m_message; }

private:
    QString m_message;
};
