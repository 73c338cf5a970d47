#pragma once
// The parts every master data window is built of: a modal dialog of the main
// window, named controls, a heading, a row of buttons, and the closing step
// that abandons a row left half added.

#include <QDialog>

#include <functional>

class NamedQuery;
class QBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace masterdata {

class MasterDataWindow : public QDialog
{
    Q_OBJECT
public:
    MasterDataWindow(const QString &objectName, const QString &caption, QWidget *parent);

protected:
    // FormShow runs each time the window is shown.
    virtual void FormShow() = 0;
    // The query whose unsaved row is abandoned when the window closes.
    virtual NamedQuery *editedQuery() const = 0;
    // Runs a handler: a refusal is told as information, an error by the
    // general error display.
    static bool run(const std::function<void()> &handler);

    QLabel *label(const QString &text, const char *name);
    QPushButton *button(const QString &text, const char *name, std::function<void()> handler = {});
    // A click on the button runs the handler as run() does.
    void onClick(QPushButton *button, std::function<void()> handler);
    // The window's Alt keys in one place, its controls found by name: a
    // button's caption gains the key, a label's too and leads to its field.
    struct AccessKey
    {
        const char *control;
        char key;
        const char *field = nullptr;
    };
    void setAccessKeys(const QList<AccessKey> &keys);
    template <typename T>
    T *named(T *widget, const char *name)
    {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }

    void showEvent(QShowEvent *event) override;
    void done(int result) override;
};

}  // namespace masterdata
