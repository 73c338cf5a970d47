#include "reset_password_window.h"

#include "accounts.h"

#include "app/access_keys.h"
#include "app/gbk_width.h"
#include "app/messages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TF_resetpassword::TF_resetpassword(const QString &account, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("F_resetpassword"));
    setWindowTitle(QStringLiteral("重置密码"));
    setModal(true);

    Label_account = new QLabel(QStringLiteral("账号：%1").arg(account), this);
    Label_account->setObjectName(QStringLiteral("Label_account"));
    auto field = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setEchoMode(QLineEdit::Password);
        gbk::limit(edit, masterdata::kPasswordBytes);
        return edit;
    };
    Edit_newpassword = field("Edit_newpassword");
    Edit_newpasswordagain = field("Edit_newpasswordagain");
    auto *form = new QFormLayout;
    auto *newLabel = new QLabel(QStringLiteral("新密码"), this);
    auto *againLabel = new QLabel(QStringLiteral("再输入一次"), this);
    form->addRow(newLabel, Edit_newpassword);
    form->addRow(againLabel, Edit_newpasswordagain);

    bt_ok = new QPushButton(QStringLiteral("确定"), this);
    bt_ok->setObjectName(QStringLiteral("bt_ok"));
    bt_ok->setDefault(true);
    bt_cancel = new QPushButton(QStringLiteral("取消"), this);
    bt_cancel->setObjectName(QStringLiteral("bt_cancel"));
    bt_cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bt_ok);
    buttons->addWidget(bt_cancel);

    auto *column = new QVBoxLayout(this);
    column->addWidget(Label_account);
    column->addLayout(form);
    column->addLayout(buttons);

    // Enter is 确定, Escape 取消.
    keys::set(newLabel, Edit_newpassword, 'N');
    keys::set(againLabel, Edit_newpasswordagain, 'A');
    keys::set(bt_ok, 'O');
    keys::set(bt_cancel, 'C');

    connect(bt_ok, &QPushButton::clicked, this, &TF_resetpassword::bt_okClick);
    connect(bt_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TF_resetpassword::bt_okClick()
{
    if (!m_reset)
        return;
    const bool reset = messages::guarded([this] { m_reset(Edit_newpassword->text(), Edit_newpasswordagain->text()); });
    if (reset) {
        messages::inform(QStringLiteral("密码已重置"));
        accept();
        return;
    }
    Edit_newpasswordagain->clear();
    Edit_newpassword->selectAll();
    Edit_newpassword->setFocus();
}
