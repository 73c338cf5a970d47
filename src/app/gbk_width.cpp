#include "gbk_width.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTextEdit>
#include <QToolTip>

namespace gbk {

namespace {

int charWidth(char32_t ucs4)
{
    if (ucs4 < 0x80)
        return 1;
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString::fromUcs4(&ucs4, 1));
    // Characters outside GBK become a replacement; count them as two bytes.
    return encoder.hasError() || bytes.isEmpty() ? 2 : int(bytes.size());
}

}  // namespace

int width(const QString &text)
{
    int bytes = 0;
    bool pureAscii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            pureAscii = false;
            break;
        }
    }
    if (pureAscii)
        return int(text.size());
    for (char32_t ucs4 : text.toUcs4())
        bytes += charWidth(ucs4);
    return bytes;
}

bool fits(const QString &text, int maxBytes)
{
    return width(text) <= maxBytes;
}

QString truncated(const QString &text, int maxBytes)
{
    QString result;
    int bytes = 0;
    for (char32_t ucs4 : text.toUcs4()) {
        const int w = charWidth(ucs4);
        if (bytes + w > maxBytes)
            break;
        bytes += w;
        result += QString::fromUcs4(&ucs4, 1);
    }
    return result;
}

bool hasControlCharacters(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7f)
            return true;
    }
    return false;
}

QString withoutControlCharacters(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (!hasControlCharacters(QString(c)))
            kept += c;
    }
    return kept;
}

const QString &controlCharacterMessage()
{
    static const QString text =
        QStringLiteral("输入的内容含有控制字符（看不见的特殊字符），不能保存。请删除后重新输入。");
    return text;
}

namespace {

void tellBeside(QWidget *field)
{
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), controlCharacterMessage(), field);
}

}  // namespace

WidthValidator::WidthValidator(int maxBytes, QObject *parent)
    : QValidator(parent), m_maxBytes(maxBytes)
{
}

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
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit,
                     [edit, maxBytes] { cutToWidth(edit, maxBytes); });
}

void limit(QTextEdit *edit, int maxBytes)
{
    QObject::connect(edit, &QTextEdit::textChanged, edit,
                     [edit, maxBytes] { cutToWidth(edit, maxBytes); });
}

}  // namespace gbk
