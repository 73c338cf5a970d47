#include "app/access_keys.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

namespace keys {

namespace {

// Splits off what stays after the key: blanks and one closing colon.
qsizetype tailStart(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    if (end > 0 && (text.at(end - 1) == u'：' || text.at(end - 1) == u':'))
        --end;
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return end;
}

QString withoutKey(QString text)
{
    static const QRegularExpression key(QStringLiteral("\\(&[0-9A-Za-z]\\)"));
    text.remove(key);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

}  // namespace

QString caption(const QString &text, char key)
{
    const QString plain = withoutKey(text);
    const qsizetype end = tailStart(plain);
    return plain.left(end) + QStringLiteral("(&") + QChar::fromLatin1(key) + u')' + plain.mid(end);
}

QString spoken(const QString &text)
{
    const QString plain = withoutKey(text);
    const QString words = plain.left(tailStart(plain)).simplified();
    // Blanks between Chinese characters only pad the caption out.
    QString said;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words.at(i) == u' ' && i > 0 && i + 1 < words.size() && words.at(i - 1).unicode() > 0xff
            && words.at(i + 1).unicode() > 0xff)
            continue;
        said += words.at(i);
    }
    return said;
}

void set(QAbstractButton *button, char key)
{
    button->setText(caption(button->text(), key));
    button->setAccessibleName(spoken(button->text()));
}

void set(QAction *action, char key)
{
    action->setText(caption(action->text(), key));
}

void set(QMenu *menu, char key)
{
    menu->setTitle(caption(menu->title(), key));
}

void set(QLabel *label, QWidget *buddy, char key)
{
    label->setText(caption(label->text(), key));
    name(label, buddy);
}

void name(QLabel *label, QWidget *buddy)
{
    label->setBuddy(buddy);
    buddy->setAccessibleName(spoken(label->text()));
}

}  // namespace keys
