#include "gbk_width.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTextEdit>

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

WidthValidator::WidthValidator(int maxBytes, QObject *parent)
    : QValidator(parent), m_maxBytes(maxBytes)
{
}

QValidator::State WidthValidator::validate(QString &input, int &) const
{
    return fits(input, m_maxBytes) ? Acceptable : Invalid;
}

void WidthValidator::fixup(QString &input) const
{
    input = truncated(input, m_maxBytes);
}

void limit(QLineEdit *edit, int maxBytes)
{
    // maxLength counts characters; the validator counts bytes. Both together
    // keep even a pasted text within the width.
    edit->setMaxLength(maxBytes);
    edit->setValidator(new WidthValidator(maxBytes, edit));
}

namespace {

template <typename Edit>
void cutToWidth(Edit *edit, int maxBytes)
{
    const QString text = edit->toPlainText();
    if (fits(text, maxBytes))
        return;
    const QString kept = truncated(text, maxBytes);
    const QSignalBlocker block(edit);
    edit->setPlainText(kept);
    edit->moveCursor(QTextCursor::End);
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
