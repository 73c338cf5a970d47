#include "void_dialog.h"

#include "bill_operations.h"

#include "app/access_keys.h"
#include "app/gbk_width.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace finance {

QString voidQuestion(const VoidedBill &bill)
{
    return QStringLiteral("确定作废票据号 %1 吗？\n通知单：%2    缴费船只：%3\n金额：%4 元\n"
                          "作废后该票据号不再使用，且不能恢复。")
        .arg(bill.billCode, bill.noticeId, bill.shipName, bill.amount);
}

TF_zuofei::TF_zuofei(const VoidedBill &bill, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TF_zuofei"));
    setWindowTitle(QStringLiteral("作废票据"));
    setModal(true);

    Label_bill = new QLabel(voidQuestion(bill), this);
    Label_bill->setObjectName(QStringLiteral("Label_bill"));
    Label_reason = new QLabel(QStringLiteral("作废理由（必填）："), this);
    Label_reason->setObjectName(QStringLiteral("Label_reason"));
    Edit_reason = new QLineEdit(this);
    Edit_reason->setObjectName(QStringLiteral("Edit_reason"));
    gbk::limit(Edit_reason, kVoidReasonBytes);
    Label_reason->setBuddy(Edit_reason);

    bt_void = new QPushButton(QStringLiteral("作废"), this);
    bt_void->setObjectName(QStringLiteral("bt_void"));
    bt_cancel = new QPushButton(QStringLiteral("取消"), this);
    bt_cancel->setObjectName(QStringLiteral("bt_cancel"));
    // Enter must not void by accident: only a click on 作废 (or Space on it
    // once it has the focus) does, and only with a reason.
    bt_void->setAutoDefault(false);
    bt_cancel->setAutoDefault(false);
    bt_void->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bt_void);
    buttons->addWidget(bt_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label_bill);
    layout->addSpacing(6);
    layout->addWidget(Label_reason);
    layout->addWidget(Edit_reason);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    keys::set(Label_reason, Edit_reason, 'R');
    keys::set(bt_void, 'V');
    keys::set(bt_cancel, 'C');

    connect(Edit_reason, &QLineEdit::textChanged, this, [this] { bt_void->setEnabled(!reason().isEmpty()); });
    connect(bt_void, &QPushButton::clicked, this, &QDialog::accept);
    connect(bt_cancel, &QPushButton::clicked, this, &QDialog::reject);
    Edit_reason->setFocus();
}

QString TF_zuofei::reason() const
{
    return Edit_reason->text().trimmed();
}

}  // namespace finance
