#include "deleted_notices_window.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/current_user.h"
#include "app/date_text.h"
#include "app/list_view.h"
#include "app/messages.h"
#include "db/notice_history.h"
#include "db/tdm.h"
#include "finance/notice_history_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// On a row's first cell: the position of its notice in the list read.
constexpr int kNoticeRole = Qt::UserRole + 1;

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TF_deleted::TF_deleted(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TF_deleted"));
    setWindowTitle(QStringLiteral("恢复已删除的通知单"));
    setModal(true);

    auto *note = new QLabel(
        QStringLiteral("%1已删除的通知单（最近删除的在前）。选中一张，按“恢复”即可连同收费项目按原状态恢复。")
            .arg(CurrentUser.department),
        this);
    m_rows = new QStandardItemModel(0, 7, this);
    m_rows->setHorizontalHeaderLabels({QStringLiteral("流水号"), QStringLiteral("缴费单位"), QStringLiteral("合计金额"),
                                       QStringLiteral("收费项目"), QStringLiteral("删除前状态"),
                                       QStringLiteral("删除时间"), QStringLiteral("删除人")});
    DBGrid_deleted = makeListView(QStringLiteral("DBGrid_deleted"), m_rows, this);
    DBGrid_deleted->verticalHeader()->hide();
    DBGrid_deleted->verticalHeader()->setDefaultSectionSize(20);
    for (const auto &[column, width] : {std::pair{0, 70}, {1, 150}, {2, 80}, {3, 60}, {4, 190}, {5, 130}})
        DBGrid_deleted->setColumnWidth(column, width);

    bt_restore = button(QStringLiteral("恢复"), "bt_restore", this);
    bt_history = button(QStringLiteral("通知单历史"), "bt_history", this);
    bt_close = button(QStringLiteral("关闭"), "bt_close", this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bt_restore);
    buttons->addWidget(bt_history);
    buttons->addWidget(bt_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(DBGrid_deleted, 1);
    layout->addLayout(buttons);
    resize(860, 400);

    DBGrid_deleted->setAccessibleName(QStringLiteral("已删除的通知单"));
    keys::set(bt_restore, 'R');
    keys::set(bt_history, 'H');
    keys::set(bt_close, 'C');

    connect(bt_restore, &QPushButton::clicked, this, &TF_deleted::bt_restoreClick);
    connect(bt_history, &QPushButton::clicked, this, [this] {
        if (const DeletedNotice *notice = currentNotice())
            messages::guarded([&] { TF_history(m_dm, notice->id, this).exec(); });
    });
    connect(bt_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(DBGrid_deleted->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        bt_restore->setEnabled(currentNotice() != nullptr);
        bt_history->setEnabled(currentNotice() != nullptr);
    });
    refresh();
}

void TF_deleted::refresh()
{
    m_rows->removeRows(0, m_rows->rowCount());
    messages::guarded([this] { m_notices = deletedNotices(m_dm.database(), CurrentUser); });
    for (qsizetype i = 0; i < m_notices.size(); ++i) {
        const DeletedNotice &notice = m_notices[i];
        QList<QStandardItem *> cells{
            listCell(notice.id),
            listCell(notice.shipName),
            listCell(history::amountText(notice.money), notice.money),
            listCell(QString::number(notice.lineCount), notice.lineCount),
            listCell(notice.status.isNull() ? QString() : codes::stateText(notice.status.toInt()), notice.status),
            listCell(workstationDateTime(notice.deletedAt), notice.deletedAt),
            listCell(notice.deletedBy)};
        // The notice a row shows, wherever sorting puts the row.
        cells[0]->setData(int(i), kNoticeRole);
        cells[2]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_rows->appendRow(cells);
    }
    DBGrid_deleted->resizeColumnToContents(5);
    bt_restore->setEnabled(false);
    bt_history->setEnabled(false);
}

const DeletedNotice *TF_deleted::currentNotice() const
{
    const QModelIndex current = DBGrid_deleted->currentIndex();
    if (!current.isValid())
        return nullptr;
    bool ok = false;
    const int notice = m_rows->index(current.row(), 0).data(kNoticeRole).toInt(&ok);
    return ok && notice >= 0 && notice < m_notices.size() ? &m_notices[notice] : nullptr;
}

void TF_deleted::bt_restoreClick()
{
    const DeletedNotice *notice = currentNotice();
    if (!notice)
        return;
    const qint64 historyId = notice->historyId;
    QString id;
    const bool restored = messages::guarded([&] { id = restoreNotice(m_dm.database(), CurrentUser, historyId); });
    refresh();
    if (restored) {
        m_restored << id;
        messages::inform(QStringLiteral("通知单 %1 已恢复。").arg(id));
    }
}
