#pragma once
// 作废票据: asked before a bill is voided. Voiding cannot be undone and the
// paper form is lost with it, so the user confirms the bill number, the
// notice and the amount, and gives the reason the notice's history keeps.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace finance {

// The bill as the user sees it in the list of issued bills.
struct VoidedBill
{
    QString billCode;
    QString noticeId;
    QString shipName;
    QString amount;  // as the list shows it
};

class TF_zuofei : public QDialog
{
    Q_OBJECT
public:
    explicit TF_zuofei(const VoidedBill &bill, QWidget *parent = nullptr);

    // The reason as typed, without the blanks around it.
    QString reason() const;

    QLabel *Label_bill;
    QLabel *Label_reason;
    QLineEdit *Edit_reason;
    QPushButton *bt_void;
    QPushButton *bt_cancel;
};

// The question the dialog asks, naming the bill.
QString voidQuestion(const VoidedBill &bill);

}  // namespace finance
