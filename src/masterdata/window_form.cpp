#include "window_form.h"

#include "app/access_keys.h"
#include "app/messages.h"
#include "db/named_query.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace masterdata {

MasterDataWindow::MasterDataWindow(const QString &objectName, const QString &caption, QWidget *parent) : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

bool MasterDataWindow::run(const std::function<void()> &handler)
{
    return messages::guarded(handler);
}

QLabel *MasterDataWindow::label(const QString &text, const char *name)
{
    return named(new QLabel(text, this), name);
}

QPushButton *MasterDataWindow::button(const QString &text, const char *name, std::function<void()> handler)
{
    auto *b = named(new QPushButton(text, this), name);
    b->setAutoDefault(false);
    if (handler)
        onClick(b, std::move(handler));
    return b;
}

void MasterDataWindow::onClick(QPushButton *button, std::function<void()> handler)
{
    connect(button, &QPushButton::clicked, this, [handler = std::move(handler)] { run(handler); });
}

void MasterDataWindow::setAccessKeys(const QList<AccessKey> &accessKeys)
{
    for (const AccessKey &k : accessKeys) {
        QWidget *control = findChild<QWidget *>(QString::fromLatin1(k.control));
        if (auto *b = qobject_cast<QAbstractButton *>(control))
            keys::set(b, k.key);
        else if (auto *l = qobject_cast<QLabel *>(control); l && k.field) {
            // Windows of the same kind differ in their fields: a field one
            // lacks is passed by.
            if (QWidget *field = findChild<QWidget *>(QString::fromLatin1(k.field)))
                keys::set(l, field, k.key);
        }
    }
}

void MasterDataWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        run([this] { FormShow(); });
}

void MasterDataWindow::done(int result)
{
    // A row being added or changed when the window closes is not stored.
    if (NamedQuery *q = editedQuery();
        q && q->state() != NamedQuery::State::Browsing && q->state() != NamedQuery::State::Closed)
        q->cancel();
    QDialog::done(result);
}

}  // namespace masterdata
