#pragma once
// The finance leader's window "财务科统计和计划安排": the yearly statistics run
// over the billed notices, and the collection plan of each year and section.
// Opened modally from the main window and released when closed.

#include <QDialog>

class ColumnProxyModel;
class NamedQuery;
class QLineEdit;
class QPushButton;
class QTableView;
class Tdm;

namespace finance {

class TF_caiwu : public QDialog
{
    Q_OBJECT
public:
    explicit TF_caiwu(Tdm &dm, QWidget *parent = nullptr);

    // Statistics area.
    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QPushButton *bt_calculate;
    // Plan area.
    QTableView *DBGrid1;
    QLineEdit *DBEdit1;
    QPushButton *Button1;

    NamedQuery *aq_jh;

    // A date and time as the workstation writes them.
    static QString workstationTime(const QDateTime &time);

private:
    void FormShow();
    void bt_calculateClick();
    void DBGrid1CellClick(int row);
    void Button1Click();
    void showPlanOfCurrentRow();
    void reopenPlans();

    Tdm &m_dm;
    ColumnProxyModel *m_planColumns;
};

}  // namespace finance
