#include "messages.h"

#include "db/db_error.h"
#include "db/refusal.h"

#include <QApplication>
#include <QMessageBox>

namespace messages {

namespace {

void showBox(Kind kind, const QString &text)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information, QString::fromUtf8(kTitle),
                    text, QMessageBox::Ok, parent);
    box.setObjectName(kind == Kind::Error ? QStringLiteral("ErrorBox") : QStringLiteral("MessageBox"));
    box.exec();
}

Presenter &presenter()
{
    static Presenter current;
    return current;
}

void present(Kind kind, const QString &text)
{
    if (presenter())
        presenter()(kind, text);
    else
        showBox(kind, text);
}

}  // namespace

void inform(const QString &text)
{
    present(Kind::Information, text);
}

void showError(const QString &text)
{
    present(Kind::Error, text);
}

void showException(const std::exception &error)
{
    if (const auto *db = dynamic_cast<const DbError *>(&error))
        showError(db->message());
    else
        showError(QString::fromUtf8(error.what()));
}

Presenter setPresenter(Presenter replacement)
{
    Presenter old = std::move(presenter());
    presenter() = std::move(replacement);
    return old;
}

bool guarded(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const Refusal &refusal) {
        inform(refusal.message());
    } catch (const std::exception &e) {
        showException(e);
    }
    return false;
}

}  // namespace messages
