#pragma once
// 已删除的通知单: the section leader's list of the section's deleted notices,
// newest deletion first, from which one is restored.

#include "deleted_notices.h"

#include <QDialog>

class QPushButton;
class QStandardItemModel;
class QTableView;
class Tdm;

class TF_deleted : public QDialog
{
    Q_OBJECT
public:
    explicit TF_deleted(Tdm &dm, QWidget *parent = nullptr);

    // Reads the list again.
    void refresh();
    void bt_restoreClick();
    // The notices restored while the window was open.
    QStringList restored() const { return m_restored; }

    QTableView *DBGrid_deleted;
    QPushButton *bt_restore;
    QPushButton *bt_history;
    QPushButton *bt_close;

private:
    const DeletedNotice *currentNotice() const;

    Tdm &m_dm;
    QList<DeletedNotice> m_notices;
    QStandardItemModel *m_rows;
    QStringList m_restored;
};
