#include "notice_history_window.h"

#include "app/access_keys.h"
#include "app/date_text.h"
#include "app/list_view.h"
#include "app/messages.h"
#include "db/tdm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

TF_history::TF_history(Tdm &dm, const QString &noticeId, QWidget *parent)
    : QDialog(parent), m_history(finance::readNoticeHistory(dm.database(), noticeId))
{
    setObjectName(QStringLiteral("TF_history"));
    setWindowTitle(QStringLiteral("通知单历史 %1").arg(noticeId));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    Label_notice = new QLabel(this);
    Label_notice->setObjectName(QStringLiteral("Label_notice"));
    QStringList about{QStringLiteral("流水号：%1").arg(noticeId)};
    if (!m_history.shipName.isEmpty())
        about << QStringLiteral("缴费单位：%1").arg(m_history.shipName);
    if (!m_history.department.isEmpty())
        about << m_history.department;
    about << QStringLiteral("现在状态：%1").arg(m_history.state);
    Label_notice->setText(about.join(QStringLiteral("    ")));

    m_rows = new QStandardItemModel(0, 7, this);
    m_rows->setHorizontalHeaderLabels(finance::historyColumnTitles());
    for (const finance::HistoryRow &row : std::as_const(m_history.rows)) {
        QList<QStandardItem *> cells{listCell(workstationDateTime(row.time), row.time)};
        for (const QString &text : {row.account, row.fullName, row.action, row.stateBefore, row.stateAfter, row.detail})
            cells << listCell(text);
        for (QStandardItem *cell : std::as_const(cells))
            cell->setToolTip(cell->text());
        m_rows->appendRow(cells);
    }

    DBGrid_history = makeListView(QStringLiteral("DBGrid_history"), m_rows, this);
    DBGrid_history->verticalHeader()->hide();
    DBGrid_history->verticalHeader()->setDefaultSectionSize(20);
    for (const auto &[column, width] : {std::pair{1, 60}, {2, 60}, {3, 90}, {4, 120}, {5, 120}})
        DBGrid_history->setColumnWidth(column, width);
    DBGrid_history->resizeColumnToContents(0);  // the time in full
    // The detail takes the rest of the width and wraps: a void's reason or a
    // rejection's must be read whole, not guessed from an ellipsis.
    DBGrid_history->horizontalHeader()->setStretchLastSection(true);
    DBGrid_history->setWordWrap(true);
    DBGrid_history->setTextElideMode(Qt::ElideNone);
    DBGrid_history->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    bt_preview = new QPushButton(QStringLiteral("打印预览"), this);
    bt_preview->setObjectName(QStringLiteral("bt_preview"));
    bt_preview->setAutoDefault(false);
    bt_preview->setToolTip(QStringLiteral("在预览中打印，或保存为PDF、CSV"));
    bt_close = new QPushButton(QStringLiteral("关闭"), this);
    bt_close->setObjectName(QStringLiteral("bt_close"));
    bt_close->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bt_preview);
    buttons->addWidget(bt_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label_notice);
    layout->addWidget(DBGrid_history, 1);
    layout->addLayout(buttons);
    resize(900, 420);

    DBGrid_history->setAccessibleName(QStringLiteral("通知单历史"));
    keys::set(bt_preview, 'P');
    keys::set(bt_close, 'C');

    connect(bt_preview, &QPushButton::clicked, this, &TF_history::bt_previewClick);
    connect(bt_close, &QPushButton::clicked, this, &QDialog::accept);
}

void TF_history::bt_previewClick()
{
    messages::guarded([this] { finance::buildHistoryReport(m_history).showReport(); });
}
