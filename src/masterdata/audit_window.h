#pragma once
// 修改记录: the changes of the master data in a date range, read-only, oldest
// first, as far as the user may see them; printed, or saved as PDF or CSV,
// through the report preview.

#include "audit_report.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class Tdm;

class TF_audit : public QDialog
{
    Q_OBJECT
public:
    // Lists the last thirty days at once; throws UserRefusal for a user who
    // may not see the trail, DbError when it cannot be read.
    TF_audit(Tdm &dm, QWidget *parent = nullptr);

    void bt_queryClick();
    void bt_previewClick();

    QLabel *Label_scope;
    QDateEdit *DateEdit_from;
    QDateEdit *DateEdit_to;
    QPushButton *bt_query;
    QTableView *DBGrid_audit;
    QLabel *Label_count;
    QPushButton *bt_preview;
    QPushButton *bt_close;

private:
    void showView(const masterdata::AuditView &view);

    Tdm &m_dm;
    masterdata::AuditView m_view;
    QStandardItemModel *m_rows;
};
