#include "message_recorder.h"

MessageRecorder::MessageRecorder()
{
    m_previous = messages::setPresenter([this](messages::Kind kind, const QString &text) {
        (kind == messages::Kind::Error ? errors : informations) << text;
    });
}

MessageRecorder::~MessageRecorder()
{
    messages::setPresenter(std::move(m_previous));
}
