#include "statistics_window.h"

#include "statistics_plan.h"
#include "statistics_run.h"

#include "app/access_keys.h"
#include "app/column_proxy_model.h"
#include "app/current_user.h"
#include "app/list_view.h"
#include "app/messages.h"
#include "app/read_failures.h"
#include "app/row_choice.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/tdm.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kPlanStatement = QStringLiteral("select year,department,expect from statistic order by year,department");

}  // namespace

namespace finance {

TF_caiwu::TF_caiwu(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TF_caiwu"));
    setWindowTitle(QStringLiteral("财务科统计和计划安排"));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *statistics = new QGroupBox(QStringLiteral("统计区域"), this);
    statistics->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(statistics);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit2 = new QLineEdit(statistics);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    bt_calculate = new QPushButton(QStringLiteral("新增计算"), statistics);
    bt_calculate->setObjectName(QStringLiteral("bt_calculate"));
    auto *statisticsForm = new QFormLayout(statistics);
    auto *lastLabel = new QLabel(QStringLiteral("上次统计时间"), statistics);
    auto *nowLabel = new QLabel(QStringLiteral("现在时间"), statistics);
    statisticsForm->addRow(lastLabel, Edit1);
    statisticsForm->addRow(nowLabel, Edit2);
    statisticsForm->addRow(QString(), bt_calculate);

    auto *plan = new QGroupBox(QStringLiteral("征收计划安排"), this);
    plan->setObjectName(QStringLiteral("GroupBox2"));
    auto *caption = new QLabel(QStringLiteral("请选择年份和科室"), plan);
    aq_jh = new NamedQuery(QStringLiteral("aq_jh"), dm.connectionName(), this);
    aq_jh->setObjectName(QStringLiteral("aq_jh"));
    tellReadFailures(aq_jh);
    // The plan stands beside its row, so that the finance leader sees which
    // years and sections still lack one without clicking each.
    m_planColumns = new ColumnProxyModel(
        {{QStringLiteral("year"), QStringLiteral("年")},
         {QStringLiteral("department"), QStringLiteral("科室")},
         {QStringLiteral("expect"), QStringLiteral("计划金额 (元)"), moneyText, Qt::AlignRight | Qt::AlignVCenter}},
        this);
    m_planColumns->setSourceModel(aq_jh->model());
    DBGrid1 = makeListView(QStringLiteral("DBGrid1"), m_planColumns, plan);
    DBGrid1->verticalHeader()->hide();
    DBEdit1 = new QLineEdit(plan);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setMaxLength(16);
    Button1 = new QPushButton(QStringLiteral("保   存"), plan);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto *planLayout = new QVBoxLayout(plan);
    planLayout->addWidget(caption);
    planLayout->addWidget(DBGrid1);
    auto *planForm = new QFormLayout;
    auto *planLabel = new QLabel(QStringLiteral("计划金额 (元)"), plan);
    planForm->addRow(planLabel, DBEdit1);
    planForm->addRow(QString(), Button1);
    planLayout->addLayout(planForm);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(statistics);
    layout->addWidget(plan, 1);
    resize(420, 480);

    // Alt keys; the plan list is reached through the caption above it.
    keys::name(lastLabel, Edit1);
    keys::name(nowLabel, Edit2);
    keys::set(bt_calculate, 'C');
    keys::set(caption, DBGrid1, 'Y');
    keys::set(planLabel, DBEdit1, 'M');
    keys::set(Button1, 'S');

    connect(bt_calculate, &QPushButton::clicked, this, [this] { bt_calculateClick(); });
    followChosenRow(DBGrid1, this, [this](int row) { DBGrid1CellClick(row); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    FormShow();
}

QString TF_caiwu::workstationTime(const QDateTime &time)
{
    return workstationDateTime(time);
}

void TF_caiwu::FormShow()
{
    messages::guarded([this] {
        QSqlQuery counter = runStatement(m_dm.database(), QStringLiteral("select statictime from counter"));
        const QVariant last = counter.next() ? counter.value(0) : QVariant();
        Edit1->setText(last.isNull() ? QString() : workstationTime(last.toDateTime()));
    });
    Edit2->setText(workstationTime(QDateTime::currentDateTime()));
    messages::guarded([this] { aq_jh->open(kPlanStatement); });
    DBEdit1->setEnabled(false);
    Button1->setEnabled(false);
}

void TF_caiwu::bt_calculateClick()
{
    bool cancelled = false;
    messages::guarded([&] {
        const int pending = pendingNoticeCount(m_dm.database());
        if (pending > 0)
            messages::inform(QStringLiteral("有") + QString::number(pending)
                             + QStringLiteral("条新纪录未被统计，下面将开始对这些新数据进行统计"));

        // Made only now: a progress dialog shows itself after its minimum
        // duration, and would otherwise block the message above.
        QProgressDialog progress(QStringLiteral("正在统计……"), QStringLiteral("取消"), 0, 0, this);
        progress.setObjectName(QStringLiteral("progress"));
        progress.setWindowTitle(windowTitle());
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(400);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        StatisticsHooks hooks;
        hooks.progress = [&progress](StatisticsPhase phase, int done, int total) {
            progress.setLabelText(phase == StatisticsPhase::Reading ? QStringLiteral("正在读取新开票的通知单……")
                                                                    : QStringLiteral("正在写入统计数据……"));
            progress.setMaximum(qMax(total, 1));
            progress.setValue(qMin(done, qMax(total, 1)));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        };
        try {
            const StatisticsResult result = runStatistics(m_dm.database(), CurrentUser, hooks);
            progress.close();
            messages::inform(QStringLiteral("统计完成"));
            Edit1->setText(workstationTime(result.time));
        } catch (const StatisticsCancelled &) {
            cancelled = true;
        }
    });
    if (cancelled)
        messages::inform(QStringLiteral("统计已取消，数据没有任何改变"));
    // The run may have made rows for new years and sections: they are open
    // for plans now. The rows are read anew, so the plan area waits for the
    // next click, as at opening: a save may not reach another row.
    reopenPlans();
    DBGrid1->clearSelection();
    DBEdit1->clear();
    DBEdit1->setEnabled(false);
    Button1->setEnabled(false);
}

void TF_caiwu::DBGrid1CellClick(int row)
{
    aq_jh->setCurrentRow(row);
    const bool planned = row >= 0 && !aq_jh->value(QStringLiteral("year")).toString().isEmpty();
    showPlanOfCurrentRow();
    DBEdit1->setEnabled(planned);
    Button1->setEnabled(planned);
}

void TF_caiwu::showPlanOfCurrentRow()
{
    DBEdit1->setText(aq_jh->currentRow() >= 0 ? moneyText(aq_jh->value(QStringLiteral("expect"))) : QString());
}

void TF_caiwu::Button1Click()
{
    if (aq_jh->currentRow() < 0)
        return;
    const QString year = aq_jh->value(QStringLiteral("year")).toString();
    const QString department = aq_jh->value(QStringLiteral("department")).toString();
    const bool saved = messages::guarded([&] { savePlan(m_dm.database(), year, department, DBEdit1->text()); });
    if (!saved)
        return;  // the typed text stays for the user to mend
    reopenPlans();
    for (int row = 0, count = aq_jh->rowCount(); row < count; ++row) {
        if (aq_jh->valueAt(row, QStringLiteral("year")).toString() == year
            && aq_jh->valueAt(row, QStringLiteral("department")).toString() == department) {
            aq_jh->setCurrentRow(row);
            DBGrid1->selectRow(row);
            break;
        }
    }
    showPlanOfCurrentRow();
    DBEdit1->setEnabled(false);
}

void TF_caiwu::reopenPlans()
{
    messages::guarded([this] { aq_jh->open(kPlanStatement); });
}

}  // namespace finance
