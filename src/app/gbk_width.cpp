#include "gbk_width.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolTip>

namespace gbk {

namespace {

void tellBeside(QWidget *field)
{
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), controlCharacterMessage(), field);
}

}  // namespace

WidthValidator::WidthValidator(int maxBytes, QObject *parent) : QValidator(parent), m_maxBytes(maxBytes) {}

QValidator::State WidthValidator::validate(QString &input, int &) const
{
    m_refusedControl = hasControlCharacters(input);
    return fits(input, m_maxBytes) && !m_refusedControl ? Acceptable : Invalid;
}

void WidthValidator::fixup(QString &input) const
{
    input = truncated(withoutControlCharacters(input), m_maxBytes);
}

void limit(QLineEdit *edit, int maxBytes)
{
    // maxLength counts characters; the validator counts bytes. Both together
    // keep even a pasted text within the width.
    edit->setMaxLength(maxBytes);
    auto *validator = new WidthValidator(maxBytes, edit);
    edit->setValidator(validator);
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit, validator] {
        // Only a refused control character is told; a full field is plain to see.
        if (validator->refusedControlCharacter())
            tellBeside(edit);
    });
}

namespace {

template <typename Edit>
void cutToWidth(Edit *edit, int maxBytes)
{
    const QString text = edit->toPlainText();
    const bool control = hasControlCharacters(text);
    if (fits(text, maxBytes) && !control)
        return;
    const QString kept = truncated(withoutControlCharacters(text), maxBytes);
    const QSignalBlocker block(edit);
    edit->setPlainText(kept);
    edit->moveCursor(QTextCursor::End);
    if (control)
        tellBeside(edit);
}

}  // namespace

void limit(QPlainTextEdit *edit, int maxBytes)
{
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, maxBytes] { cutToWidth(edit, maxBytes); });
}

void limit(QTextEdit *edit, int maxBytes)
{
    QObject::connect(edit, &QTextEdit::textChanged, edit, [edit, maxBytes] { cutToWidth(edit, maxBytes); });
}

}  // namespace gbk
