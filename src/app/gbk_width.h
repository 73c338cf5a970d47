#pragma once
// Field widths are counted in bytes of GBK (code page 936): a Chinese
// character takes two bytes, a Latin letter one.

#include <QString>
#include <QValidator>

class QLineEdit;
class QPlainTextEdit;
class QTextEdit;

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

// Refuses typed or pasted text that would make a line edit exceed its width,
// or that holds a control character.
class WidthValidator : public QValidator
{
public:
    WidthValidator(int maxBytes, QObject *parent);
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    int maxBytes() const { return m_maxBytes; }
    // Whether the last text refused held a control character.
    bool refusedControlCharacter() const { return m_refusedControl; }

private:
    int m_maxBytes;
    mutable bool m_refusedControl = false;
};

// Installs the width limit on a line edit; a refused control character is
// told beside the field.
void limit(QLineEdit *edit, int maxBytes);
// Keeps a multi-line text field within the width: text beyond it is cut
// as it is typed or pasted, control characters are taken out and told.
void limit(QPlainTextEdit *edit, int maxBytes);
void limit(QTextEdit *edit, int maxBytes);

}  // namespace gbk
