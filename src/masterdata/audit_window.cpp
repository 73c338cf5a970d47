#include "audit_window.h"

#include "app/access_keys.h"
#include "app/current_user.h"
#include "app/date_text.h"
#include "app/list_view.h"
#include "app/messages.h"
#include "db/tdm.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

TF_audit::TF_audit(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("F_audit"));
    setWindowTitle(QStringLiteral("修改记录"));
    setModal(true);

    const QDate today = QDate::currentDate();
    const masterdata::AuditView first = masterdata::readAuditView(dm.database(), CurrentUser, today.addDays(-30),
                                                                  today);

    Label_scope = new QLabel(this);
    Label_scope->setObjectName(QStringLiteral("Label_scope"));
    auto dateEdit = [this](const char *name, const QDate &date) {
        auto *edit = new QDateEdit(date, this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        return edit;
    };
    DateEdit_from = dateEdit("DateEdit_from", first.from);
    DateEdit_to = dateEdit("DateEdit_to", first.to);
    bt_query = new QPushButton(QStringLiteral("查询"), this);
    bt_query->setObjectName(QStringLiteral("bt_query"));
    bt_query->setAutoDefault(false);
    auto *range = new QHBoxLayout;
    range->addWidget(Label_scope, 1);
    auto *fromLabel = new QLabel(QStringLiteral("从"), this);
    auto *toLabel = new QLabel(QStringLiteral("到"), this);
    range->addWidget(fromLabel);
    range->addWidget(DateEdit_from);
    range->addWidget(toLabel);
    range->addWidget(DateEdit_to);
    range->addWidget(bt_query);

    m_rows = new QStandardItemModel(0, int(masterdata::auditColumnTitles().size()), this);
    m_rows->setHorizontalHeaderLabels(masterdata::auditColumnTitles());
    DBGrid_audit = makeListView(QStringLiteral("DBGrid_audit"), m_rows, this);
    DBGrid_audit->verticalHeader()->hide();
    DBGrid_audit->verticalHeader()->setDefaultSectionSize(20);
    for (const auto &[column, width] :
         {std::pair{1, 60}, {2, 60}, {3, 60}, {4, 100}, {5, 120}, {6, 60}, {7, 200}, {8, 200}})
        DBGrid_audit->setColumnWidth(column, width);
    // As wide as a time in the workstation's format needs.
    const QString widestTime = workstationDateTime(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)));
    DBGrid_audit->setColumnWidth(0, std::max(140, DBGrid_audit->fontMetrics().horizontalAdvance(widestTime) + 12));

    Label_count = new QLabel(this);
    Label_count->setObjectName(QStringLiteral("Label_count"));
    bt_preview = new QPushButton(QStringLiteral("打印预览"), this);
    bt_preview->setObjectName(QStringLiteral("bt_preview"));
    bt_preview->setAutoDefault(false);
    bt_preview->setToolTip(QStringLiteral("在预览中打印，或保存为PDF、CSV"));
    bt_close = new QPushButton(QStringLiteral("关闭"), this);
    bt_close->setObjectName(QStringLiteral("bt_close"));
    bt_close->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label_count, 1);
    buttons->addWidget(bt_preview);
    buttons->addWidget(bt_close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(DBGrid_audit, 1);
    layout->addLayout(buttons);
    resize(1100, 480);

    keys::set(fromLabel, DateEdit_from, 'F');
    keys::set(toLabel, DateEdit_to, 'T');
    keys::set(bt_query, 'Q');
    DBGrid_audit->setAccessibleName(QStringLiteral("修改记录"));
    keys::set(bt_preview, 'P');
    keys::set(bt_close, 'C');

    connect(bt_query, &QPushButton::clicked, this, [this] { messages::guarded([this] { bt_queryClick(); }); });
    connect(bt_preview, &QPushButton::clicked, this, &TF_audit::bt_previewClick);
    connect(bt_close, &QPushButton::clicked, this, &QDialog::accept);
    showView(first);
}

void TF_audit::showView(const masterdata::AuditView &view)
{
    m_view = view;
    Label_scope->setText(QStringLiteral("范围：%1").arg(view.scope));
    m_rows->removeRows(0, m_rows->rowCount());
    for (const audit::Row &row : std::as_const(view.rows)) {
        QList<QStandardItem *> cells;
        QStringList texts = masterdata::auditRowTexts(row);
        texts[0] = workstationDateTime(row.time);  // the printed trail keeps its fixed form
        for (const QString &text : std::as_const(texts)) {
            QStandardItem *cell = listCell(text, cells.isEmpty() ? QVariant(row.time) : QVariant());
            cell->setToolTip(text);
            cells << cell;
        }
        m_rows->appendRow(cells);
    }
    Label_count->setText(QStringLiteral("共 %1 条修改记录").arg(view.rows.size()));
}

void TF_audit::bt_queryClick()
{
    showView(masterdata::readAuditView(m_dm.database(), CurrentUser, DateEdit_from->date(), DateEdit_to->date()));
}

void TF_audit::bt_previewClick()
{
    messages::guarded([this] { masterdata::buildAuditReport(m_view).showReport(); });
}
