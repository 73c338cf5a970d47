#include "gbk_text.h"

#include <QList>
#include <QStringEncoder>

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
    static const QString text = QStringLiteral(
        "输入的内容含有控制字符（看不见的特殊字符），不能保存。请删除后重新输入。");
    return text;
}

}  // namespace gbk
