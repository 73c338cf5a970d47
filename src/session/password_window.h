#pragma once
// The window in which a user changes the own login name and password. After a
// successful change the user is logged out (the user switch) and logs in again
// with the new values.

#include <QDialog>

#include <functional>

class NamedQuery;
class QLineEdit;
class QPushButton;
class Tdm;

class TF_password : public QDialog
{
    Q_OBJECT
public:
    explicit TF_password(Tdm &dm, QWidget *parent = nullptr);
    ~TF_password() override;

    // What a successful change ends with: the main window's user switch.
    void setUserSwitch(std::function<void()> userSwitch) { m_userSwitch = std::move(userSwitch); }

    QLineEdit *Edit_name;
    QLineEdit *Edit_oldnickname;
    QLineEdit *Edit_oldpassword;
    QLineEdit *Edit_newnickname;
    QLineEdit *Edit_newpassword;
    QLineEdit *Edit_newpasswordagain;
    QPushButton *bt_ok;
    QPushButton *bt_cancel;

    void FormShow();
    void bt_okClick();
    void bt_cancelClick();
    void Edit_newnicknameEnter();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // The Enter key moves on to the next field (the last one to bt_ok) and is
    // swallowed; returns true when it handled the key.
    bool enterMovesOn(QObject *field, int key);
    void refuse(const QString &message, const QList<QLineEdit *> &cleared, QLineEdit *focus);

    Tdm &m_dm;
    NamedQuery *aq_personcheck;
    std::function<void()> m_userSwitch;
};
