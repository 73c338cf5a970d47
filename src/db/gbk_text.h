#pragma once
// Field widths are counted in bytes of GBK (code page 936): a Chinese
// character takes two bytes, a Latin letter one.

#include <QString>

namespace gbk {

// Bytes the text takes in GBK. A character GBK cannot encode counts as the
// two bytes of its replacement, so that the limit errs on the safe side.
int width(const QString &text);

// True when the text fits the given number of bytes.
bool fits(const QString &text, int maxBytes);

// The longest prefix of the text that fits, never splitting a character.
QString truncated(const QString &text, int maxBytes);

// Control characters other than tab and line breaks (a NUL byte, an escape
// pasted from another program) are refused wherever the user types, and
// again before a value is written.
bool hasControlCharacters(const QString &text);
QString withoutControlCharacters(const QString &text);
const QString &controlCharacterMessage();

}  // namespace gbk
