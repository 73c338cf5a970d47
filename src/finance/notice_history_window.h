#pragma once
// 通知单历史: the history of one notice as a read-only list, newest first,
// from which it is printed, or saved as PDF or CSV, through the report preview.

#include "notice_history_report.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class Tdm;

class TF_history : public QDialog
{
    Q_OBJECT
public:
    // Reads the history at once; throws DbError when it cannot be read.
    TF_history(Tdm &dm, const QString &noticeId, QWidget *parent = nullptr);

    void bt_previewClick();

    QLabel *Label_notice;
    QTableView *DBGrid_history;
    QPushButton *bt_preview;
    QPushButton *bt_close;

private:
    finance::NoticeHistory m_history;
    QStandardItemModel *m_rows;
};
