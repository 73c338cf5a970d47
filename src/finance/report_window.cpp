#include "report_window.h"

#include "inspection_report.h"
#include "ledger_report.h"
#include "progress_report.h"

#include "app/access_keys.h"
#include "app/column_proxy_model.h"
#include "app/current_user.h"
#include "app/gbk_width.h"
#include "app/list_view.h"
#include "app/messages.h"
#include "app/read_failures.h"
#include "app/row_choice.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/user_refusal.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit *numberField(const char *name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(7);
    // Also keeps pasted text to digits.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,7}")), edit));
    return edit;
}

// A self-number takes as much as the ledger prints. A longer text is refused
// whole, with a word, never cut: a cut number would print as another one.
// (A length limit of the field would cut a pasted text silently; the width
// check refuses it instead.)
QLineEdit *selfNumberField(const char *name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    auto *width = new gbk::WidthValidator(finance::kSelfNumberBytes, edit);
    edit->setValidator(width);
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [width] {
        messages::inform(width->refusedControlCharacter() ? gbk::controlCharacterMessage()
                                                          : finance::kSelfNumberTooLong);
    });
    return edit;
}

}  // namespace

TF_report::TF_report(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TF_report"));
    setWindowTitle(QStringLiteral("统计报表"));
    setModal(true);

    aq_static1 = new NamedQuery(QStringLiteral("aq_static1"), dm.connectionName(), this);
    tellReadFailures(aq_static1);
    m_static1Columns = new ColumnProxyModel(
        {{QStringLiteral("year"), QStringLiteral("年")}, {QStringLiteral("department"), QStringLiteral("科室")}}, this);
    m_static1Columns->setSourceModel(aq_static1->model());

    // Progress tables.
    auto *progress = new QGroupBox(QStringLiteral("征收进度表"), this);
    DBGrid1 = makeListView(QStringLiteral("DBGrid1"), m_static1Columns, progress);
    DBGrid1->verticalHeader()->hide();
    bt_cwk = button(QStringLiteral("船务科规费征收进度表"), "bt_cwk", progress);
    bt_cjk = button(QStringLiteral("船舶及船用产品征收进度表"), "bt_cjk", progress);
    auto *progressLayout = new QVBoxLayout(progress);
    QLabel *progressCaption = caption(QStringLiteral("请选择年份和科室"), progress);
    progressLayout->addWidget(progressCaption);
    progressLayout->addWidget(DBGrid1, 1);
    progressLayout->addWidget(bt_cwk);
    progressLayout->addWidget(bt_cjk);

    // Inspection counts.
    auto *counts = new QGroupBox(QStringLiteral("船舶检验登记 数量统计表"), this);
    ListBox1 = new QListWidget(counts);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    bt_static2 = button(QStringLiteral("船舶检验登记数量统计表"), "bt_static2", counts);
    auto *countsLayout = new QVBoxLayout(counts);
    QLabel *countsCaption = caption(QStringLiteral("请选择年份"), counts);
    countsLayout->addWidget(countsCaption);
    countsLayout->addWidget(ListBox1, 1);
    countsLayout->addWidget(bt_static2);

    // Ledger.
    auto *ledger = new QGroupBox(QStringLiteral("船检船务收费台账"), this);
    Edit3 = numberField("Edit3", ledger);
    Edit4 = numberField("Edit4", ledger);
    Edit1 = selfNumberField("Edit1", ledger);
    Edit2 = selfNumberField("Edit2", ledger);
    bt_tz = button(QStringLiteral("船检船务收费台账"), "bt_tz", ledger);
    auto *range = new QGridLayout;
    auto *firstBill = new QLabel(QStringLiteral("起始号"), ledger);
    auto *lastBill = new QLabel(QStringLiteral("终止号"), ledger);
    range->addWidget(firstBill, 0, 0);
    range->addWidget(Edit3, 0, 1);
    range->addWidget(lastBill, 1, 0);
    range->addWidget(Edit4, 1, 1);
    auto *selfNumbers = new QGroupBox(QStringLiteral("请在此输入自编号"), ledger);
    auto *selfLayout = new QGridLayout(selfNumbers);
    auto *firstSelf = new QLabel(QStringLiteral("起始号"), selfNumbers);
    auto *lastSelf = new QLabel(QStringLiteral("终止号"), selfNumbers);
    selfLayout->addWidget(firstSelf, 0, 0);
    selfLayout->addWidget(Edit1, 0, 1);
    selfLayout->addWidget(lastSelf, 1, 0);
    selfLayout->addWidget(Edit2, 1, 1);
    auto *ledgerLayout = new QVBoxLayout(ledger);
    ledgerLayout->addWidget(caption(QStringLiteral("请选择票据号范围"), ledger));
    ledgerLayout->addLayout(range);
    ledgerLayout->addWidget(selfNumbers);
    ledgerLayout->addStretch(1);
    ledgerLayout->addWidget(bt_tz);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(progress, 1);
    layout->addWidget(counts, 1);
    layout->addWidget(ledger, 1);
    resize(760, 360);

    // Alt keys; each list is reached through the caption above it.
    keys::set(progressCaption, DBGrid1, 'Y');
    keys::set(bt_cwk, 'W');
    keys::set(bt_cjk, 'J');
    keys::set(countsCaption, ListBox1, 'N');
    keys::set(bt_static2, 'T');
    keys::set(firstBill, Edit3, 'S');
    keys::set(lastBill, Edit4, 'E');
    keys::set(firstSelf, Edit1, 'A');
    keys::set(lastSelf, Edit2, 'B');
    keys::set(bt_tz, 'Z');
    // The two pairs of fields carry the same captions: the names say which.
    Edit1->setAccessibleName(QStringLiteral("自编号起始号"));
    Edit2->setAccessibleName(QStringLiteral("自编号终止号"));

    Edit3->installEventFilter(this);
    Edit4->installEventFilter(this);
    followChosenRow(DBGrid1, this, [this](int row) { DBGrid1CellClick(row); });
    connect(bt_cwk, &QPushButton::clicked, this, &TF_report::bt_cwkClick);
    connect(bt_cjk, &QPushButton::clicked, this, &TF_report::bt_cjkClick);
    followChosenRow(ListBox1, this, [this](int) { ListBox1Click(); });
    connect(bt_static2, &QPushButton::clicked, this, &TF_report::bt_static2Click);
    connect(bt_tz, &QPushButton::clicked, this, &TF_report::bt_tzClick);
}

TF_report::~TF_report() = default;

void TF_report::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TF_report::FormShow()
{
    bt_cwk->setEnabled(false);
    bt_cjk->setEnabled(false);
    bt_static2->setEnabled(false);
    messages::guarded([this] {
        ListBox1->clear();
        // Newest first: the year a clerk usually wants is at the top.
        QSqlQuery years = runStatement(m_dm.database(),
                                       QStringLiteral("select distinct year from statistic2 order by year desc"));
        while (years.next())
            ListBox1->addItem(years.value(0).toString());
        aq_static1->open(QStringLiteral("select year,department from statistic order by year desc, department"));
    });
}

void TF_report::DBGrid1CellClick(int row)
{
    m_gridRow = row;
    const QString department = aq_static1->valueAt(row, QStringLiteral("department")).toString();
    bt_cwk->setEnabled(department == QStringLiteral("船务科"));
    bt_cjk->setEnabled(department == QStringLiteral("船检科"));
}

void TF_report::printProgress(QPushButton *clicked, const QString &templatePath)
{
    const QString year = aq_static1->valueAt(m_gridRow, QStringLiteral("year")).toString();
    const QString department = aq_static1->valueAt(m_gridRow, QStringLiteral("department")).toString();
    messages::guarded([&] {
        finance::ProgressReport progress = finance::buildProgressReport(m_dm.database(), year, department,
                                                                        templatePath);
        if (progress.previousMissing)
            messages::inform(QStringLiteral("上一年纪录不存在"));
        progress.report.showReport();
    });
    clicked->setEnabled(false);
}

void TF_report::bt_cwkClick()
{
    printProgress(bt_cwk, finance::kShipAffairsProgressTemplate);
}

void TF_report::bt_cjkClick()
{
    printProgress(bt_cjk, finance::kInspectionProgressTemplate);
}

void TF_report::ListBox1Click()
{
    const QListWidgetItem *item = ListBox1->currentItem();
    bt_static2->setEnabled(item && !item->text().isEmpty());
}

void TF_report::bt_static2Click()
{
    const QListWidgetItem *item = ListBox1->currentItem();
    if (!item)
        return;
    const QString year = item->text();
    messages::guarded([&] { finance::buildInspectionReport(m_dm.database(), year).showReport(); });
    bt_static2->setEnabled(false);
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
}

void TF_report::edit4Enter()
{
    if (Edit3->text().size() == 7) {
        const QString last = finance::ledgerDefaultLast(Edit3->text());
        if (!last.isEmpty())
            Edit4->setText(last);
    }
}

void TF_report::bt_tzClick()
{
    const finance::LedgerRequest request{Edit3->text(), Edit4->text(), Edit1->text(), Edit2->text()};
    messages::guarded([&] {
        const QString refusal = finance::ledgerRangeRefusal(request);
        if (!refusal.isEmpty())
            throw UserRefusal(refusal);
        if (finance::ledgerLacksSelfNumbers(request))
            messages::inform(QStringLiteral("正式的台账应包括自编号"));
        const finance::Ledger ledger = finance::buildLedger(m_dm.database(), request, CurrentUser);
        if (ledger.isEmpty())
            throw UserRefusal(QStringLiteral("没有信息可供打印"));
        Report::showComposite({&ledger.issued, &ledger.voided});
        Edit1->clear();
        Edit2->clear();
        Edit3->clear();
        Edit4->clear();
    });
}

bool TF_report::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit4 && event->type() == QEvent::FocusIn)
        edit4Enter();
    if ((watched == Edit3 || watched == Edit4) && event->type() == QEvent::KeyPress) {
        // Only digits and backspace are typed into a bill number; other
        // characters are dropped with a beep. Keys that type nothing (arrows,
        // Tab) keep their use.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        const bool typesCharacter = !text.isEmpty() && text.at(0).isPrint();
        const bool isDigit = text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9';
        if (typesCharacter && !isDigit && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
