#pragma once
// Input fields limited to a width in bytes of GBK (gbk_text.h), and free of
// control characters.

#include "db/gbk_text.h"

#include <QString>
#include <QValidator>

class QLineEdit;
class QPlainTextEdit;
class QTextEdit;

namespace gbk {

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
