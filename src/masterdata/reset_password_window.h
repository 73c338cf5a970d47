#pragma once
// TF_resetpassword: a section leader types a clerk's new password twice. The
// window only collects the two texts; the reset itself is the operation given
// to it, whose refusal is told while the window stays open for correction.

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class TF_resetpassword : public QDialog
{
    Q_OBJECT
public:
    // `account` names the account as the heading shows it.
    TF_resetpassword(const QString &account, QWidget *parent = nullptr);

    // Called with the two texts on 确定; throws UserRefusal to refuse.
    void setReset(std::function<void(const QString &, const QString &)> reset) { m_reset = std::move(reset); }

    void bt_okClick();

    QLabel *Label_account;
    QLineEdit *Edit_newpassword;
    QLineEdit *Edit_newpasswordagain;
    QPushButton *bt_ok;
    QPushButton *bt_cancel;

private:
    std::function<void(const QString &, const QString &)> m_reset;
};
