#include "bill_window.h"

#include "bill_gaps.h"
#include "bill_lists.h"
#include "bill_operations.h"
#include "void_dialog.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/column_proxy_model.h"
#include "app/current_user.h"
#include "app/list_view.h"
#include "app/messages.h"
#include "app/read_failures.h"
#include "app/row_choice.h"
#include "db/named_query.h"
#include "db/tdm.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace finance {

namespace {

constexpr int kFieldLength = 7;

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QLineEdit *entryField(const char *name, QWidget *parent)
{
    QLineEdit *edit = named(new QLineEdit(parent), name);
    edit->setMaxLength(kFieldLength);
    return edit;
}

QTableView *billGrid(const char *name, NamedQuery &query, bool billNumberFirst, QWidget *parent)
{
    QList<ColumnProxyModel::Column> columns{
        {QStringLiteral("ID"), QStringLiteral("流水号"), {}},
        {QStringLiteral("handler"), QStringLiteral("经办人"), {}},
        {QStringLiteral("Rdate"), QStringLiteral("经办日期"), dateTimeText},
        {QStringLiteral("shipname"), QStringLiteral("缴费船只"), {}},
        {QStringLiteral("money"), QStringLiteral("金额"), moneyText, Qt::AlignRight | Qt::AlignVCenter},
    };
    QList<int> widths{62, 60, 140, 130, 80};
    if (billNumberFirst) {
        columns.prepend({QStringLiteral("billcode"), QStringLiteral("票据号"), {}});
        widths.prepend(62);
    }
    auto *model = new ColumnProxyModel(columns, parent);
    model->setSourceModel(query.model());
    QTableView *grid = makeListView(QString::fromLatin1(name), model, parent);
    model->setParent(grid);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->verticalHeader()->setFixedWidth(14);
    // The date column as wide as a time in the workstation's format needs.
    const QString widestTime = dateTimeText(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)));
    const int dateColumn = billNumberFirst ? 3 : 2;
    widths[dateColumn] = std::max(widths[dateColumn], grid->fontMetrics().horizontalAdvance(widestTime) + 12);
    for (int i = 0; i < widths.size(); ++i)
        grid->setColumnWidth(i, widths[i]);
    return grid;
}

// An area: its caption, its grid on the left and a panel of fields beside it.
QGroupBox *area(const QString &caption, const char *name, const char *gridName, QTableView *&grid, NamedQuery &query,
                bool billNumberFirst, QWidget *parent, QGridLayout *&fields)
{
    QGroupBox *box = named(new QGroupBox(caption, parent), name);
    auto *row = new QHBoxLayout(box);
    grid = billGrid(gridName, query, billNumberFirst, box);
    row->addWidget(grid, 1);
    auto *panel = new QWidget(box);
    panel->setFixedWidth(220);
    fields = new QGridLayout(panel);
    fields->setContentsMargins(4, 0, 0, 0);
    row->addWidget(panel);
    return box;
}

// A grid's row becomes the query's current row when the user clicks it (the
// current row too), moves to it with the keys or presses Space on it. The row a grid marks by
// itself when it merely gets the focus is no choice of the user's: it
// enables nothing.
void followGrid(QTableView *grid, NamedQuery &query, QObject *context, std::function<void()> cellClick)
{
    auto choose = [&query, cellClick](int row) {
        if (row >= 0 && query.setCurrentRow(row))
            cellClick();
    };
    followChosenRow(grid, context, choose);
}

}  // namespace

TF_cjkpj::TF_cjkpj(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("F_cjkpj"));
    setWindowTitle(QStringLiteral("票据管理"));
    setModal(true);
    resize(860, 600);

    aq_pjyk = new NamedQuery(QStringLiteral("aq_pjyk"), dm.connectionName(), this);
    aq_pjfp = new NamedQuery(QStringLiteral("aq_pjfp"), dm.connectionName(), this);
    tellReadFailures(aq_pjyk);
    tellReadFailures(aq_pjfp);
    // The areas list by notice number last: each reads its rows page by page.
    for (NamedQuery *q : {m_dm.aq_pj, aq_pjyk, aq_pjfp})
        q->setKeyColumns({QStringLiteral("ID")});

    auto *column = new QVBoxLayout(this);
    buildArea1();
    buildArea2();
    buildArea3();
    column->addWidget(GroupBox1, 1);
    column->addWidget(GroupBox2, 1);
    column->addWidget(GroupBox3, 1);
    setAccessKeys();
    connectHandlers();
}

TF_cjkpj::~TF_cjkpj()
{
    // The shared query keeps nothing of this window once it is closed.
    m_dm.aq_pj->close();
}

void TF_cjkpj::buildArea1()
{
    QGridLayout *fields = nullptr;
    GroupBox1 = area(QStringLiteral("尚未开票的通知单"), "GroupBox1", "DBGrid1", DBGrid1, *m_dm.aq_pj, false, this,
                     fields);
    QWidget *panel = fields->parentWidget();
    Label1 = named(new QLabel(QStringLiteral("可使用的最小票据号"), panel), "Label1");
    Edit1 = named(new QLineEdit(panel), "Edit1");
    Edit1->setReadOnly(true);
    Label2 = named(new QLabel(QStringLiteral("当前使用的票据号"), panel), "Label2");
    Edit2 = entryField("Edit2", panel);
    Button1 = named(new QPushButton(QStringLiteral("开票"), panel), "Button1");
    Label5 = named(new QLabel(QStringLiteral("输入流水号"), panel), "Label5");
    Edit5 = entryField("Edit5", panel);
    Button8 = named(new QPushButton(QStringLiteral("查找"), panel), "Button8");
    Button9 = named(new QPushButton(QStringLiteral("清除"), panel), "Button9");
    fields->addWidget(Label1, 0, 0, 1, 2);
    fields->addWidget(Edit1, 1, 0, 1, 2);
    fields->addWidget(Label2, 2, 0, 1, 2);
    fields->addWidget(Edit2, 3, 0, 1, 2);
    fields->addWidget(Button1, 4, 0, 1, 2);
    fields->addWidget(Label5, 5, 0, 1, 2);
    fields->addWidget(Edit5, 6, 0, 1, 2);
    fields->addWidget(Button8, 7, 0);
    fields->addWidget(Button9, 7, 1);
    fields->setRowStretch(8, 1);
    Label_skipped = named(new QLabel(panel), "Label_skipped");
    Label_skipped->setWordWrap(true);
    Label_skipped->setToolTip(
        QStringLiteral("本年开票时跳过、没有任何通知单使用的票据号个数。具体号码见统计报表中的收费台账（“缺号”）。"));
    fields->addWidget(Label_skipped, 9, 0, 1, 2);
}

void TF_cjkpj::buildArea2()
{
    QGridLayout *fields = nullptr;
    GroupBox2 = area(QStringLiteral("已开票、且未被统计过的票据"), "GroupBox2", "DBGrid2", DBGrid2, *aq_pjyk, true,
                     this, fields);
    QWidget *panel = fields->parentWidget();
    Label3 = named(new QLabel(QStringLiteral("输入票据号"), panel), "Label3");
    Edit3 = entryField("Edit3", panel);
    // Created in the order Tab walks them: 查找 stands left of 清除.
    Button2 = named(new QPushButton(QStringLiteral("查找"), panel), "Button2");
    button6 = named(new QPushButton(QStringLiteral("清除"), panel), "button6");
    button3 = named(new QPushButton(QStringLiteral("作废"), panel), "button3");
    fields->addWidget(Label3, 0, 0, 1, 2);
    fields->addWidget(Edit3, 1, 0, 1, 2);
    fields->addWidget(Button2, 2, 0);
    fields->addWidget(button6, 2, 1);
    fields->setRowStretch(3, 1);
    fields->addWidget(button3, 4, 0, 1, 2);
}

void TF_cjkpj::buildArea3()
{
    QGridLayout *fields = nullptr;
    GroupBox3 = area(QStringLiteral("作废的票据"), "GroupBox3", "DBGrid3", DBGrid3, *aq_pjfp, true, this, fields);
    QWidget *panel = fields->parentWidget();
    Label4 = named(new QLabel(QStringLiteral("输入流水号"), panel), "Label4");
    Edit4 = entryField("Edit4", panel);
    Button5 = named(new QPushButton(QStringLiteral("查找"), panel), "Button5");
    Label6 = named(new QLabel(QStringLiteral("输入票据号"), panel), "Label6");
    Edit6 = entryField("Edit6", panel);
    Button10 = named(new QPushButton(QStringLiteral("查找"), panel), "Button10");
    Button7 = named(new QPushButton(QStringLiteral("清除"), panel), "Button7");
    fields->addWidget(Label4, 0, 0, 1, 2);
    fields->addWidget(Edit4, 1, 0);
    fields->addWidget(Button5, 1, 1);
    fields->addWidget(Label6, 2, 0, 1, 2);
    fields->addWidget(Edit6, 3, 0);
    fields->addWidget(Button10, 3, 1);
    fields->addWidget(Button7, 4, 0, 1, 2);
    fields->setRowStretch(5, 1);
}

void TF_cjkpj::setAccessKeys()
{
    // An area's caption leads to its list, which comes first in the area.
    const QList<QPair<QGroupBox *, QTableView *>> areas{
        {GroupBox1, DBGrid1}, {GroupBox2, DBGrid2}, {GroupBox3, DBGrid3}};
    char areaKey = '1';
    for (const auto &[box, grid] : areas) {
        grid->setAccessibleName(keys::spoken(box->title()));
        box->setTitle(keys::caption(box->title(), areaKey++));
    }
    keys::name(Label1, Edit1);
    keys::set(Label2, Edit2, 'C');
    keys::set(Button1, 'I');
    keys::set(Label5, Edit5, 'N');
    keys::set(Button8, 'F');
    keys::set(Button9, 'L');
    keys::set(Label3, Edit3, 'B');
    keys::set(Button2, 'S');
    keys::set(button6, 'E');
    keys::set(button3, 'V');
    keys::set(Label4, Edit4, 'U');
    keys::set(Button5, 'H');
    keys::set(Label6, Edit6, 'P');
    keys::set(Button10, 'J');
    keys::set(Button7, 'R');
}

void TF_cjkpj::connectHandlers()
{
    followGrid(DBGrid1, *m_dm.aq_pj, this, [this] { DBGrid1CellClick(); });
    followGrid(DBGrid2, *aq_pjyk, this, [this] { DBGrid2CellClick(); });
    followGrid(DBGrid3, *aq_pjfp, this, [] {});
    const QList<QPair<QPushButton *, void (TF_cjkpj::*)()>> buttons{
        {Button1, &TF_cjkpj::Button1Click}, {button3, &TF_cjkpj::button3Click},   {Button8, &TF_cjkpj::Button8Click},
        {Button9, &TF_cjkpj::Button9Click}, {Button2, &TF_cjkpj::Button2Click},   {button6, &TF_cjkpj::button6Click},
        {Button5, &TF_cjkpj::Button5Click}, {Button10, &TF_cjkpj::Button10Click}, {Button7, &TF_cjkpj::Button7Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
    // Enter in a search field searches; it never presses 开票.
    connect(Edit5, &QLineEdit::returnPressed, this, [this] { Button8Click(); });
    connect(Edit3, &QLineEdit::returnPressed, this, [this] { Button2Click(); });
    connect(Edit4, &QLineEdit::returnPressed, this, [this] { Button5Click(); });
    connect(Edit6, &QLineEdit::returnPressed, this, [this] { Button10Click(); });
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);
}

bool TF_cjkpj::run(const std::function<void()> &handler)
{
    return messages::guarded(handler);
}

void TF_cjkpj::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TF_cjkpj::openArea(NamedQuery &query, const Statement &statement)
{
    run([&] { query.open(statement.sql, statement.values); });
}

void TF_cjkpj::showProposedNumber()
{
    run([this] {
        m_shownNumber = proposedBillNumber(m_dm.database());
        Edit1->setText(codes::PadBillCode7(m_shownNumber));
        Edit2->setText(Edit1->text());
    });
}

void TF_cjkpj::showSkippedNumbers()
{
    run([this] {
        const int year = QDate::currentDate().year();
        Label_skipped->setText(QStringLiteral("本年缺号：%1 个").arg(skippedBillNumbersOfYear(m_dm.database(), year)));
    });
}

void TF_cjkpj::FormShow()
{
    const UserRecord &user = CurrentUser;
    // Users without the bill right see no notices at all; the areas stay empty.
    if (managesBills(user)) {
        if (user.department == codes::kShipAffairs)
            setWindowTitle(QStringLiteral("船务科票据管理"));
        else if (user.department == codes::kInspection)
            setWindowTitle(QStringLiteral("船检科票据管理"));
        openArea(*m_dm.aq_pj, unbilledNotices(user));
    } else {
        m_dm.aq_pj->close();
    }
    showProposedNumber();
    showSkippedNumbers();
    Button1->setEnabled(false);
    button3->setEnabled(false);
    // The lower areas fill when the user searches them.
    aq_pjyk->close();
    aq_pjfp->close();
}

void TF_cjkpj::DBGrid1CellClick()
{
    Button1->setEnabled(!m_dm.aq_pj->isEmpty());
    showProposedNumber();
}

void TF_cjkpj::Button1Click()
{
    NamedQuery &q = *m_dm.aq_pj;
    if (q.currentRow() < 0)
        return;
    BillRequest request;
    request.noticeId = q.value(QStringLiteral("ID")).toString();
    request.revision = q.value(QStringLiteral("revision")).toInt();
    request.shownNumber = m_shownNumber;
    request.typedNumber = Edit2->text();
    if (!billNumberFromText(request.typedNumber)) {
        // Nothing to write; the user corrects the number and presses again.
        messages::inform(kBillNotANumber);
        return;
    }

    run([&] {
        try {
            issueBill(m_dm.database(), CurrentUser, request);
            Edit2->clear();
        } catch (const BillNumberTaken &taken) {
            // The form in the printer must carry the number that will be
            // stored: show the usable one before the wrapper says why.
            m_shownNumber = taken.smallestUsable();
            Edit1->setText(codes::PadBillCode7(m_shownNumber));
            Edit2->setText(Edit1->text());
            throw;
        }
    });
    // A number typed above the proposed one skipped the numbers between.
    showSkippedNumbers();
    // The next bill starts with a new click in the list.
    Button1->setEnabled(false);
    run([&] { q.reopen(); });
    if (aq_pjyk->isActive())
        run([this] { aq_pjyk->reopen(); });
}

void TF_cjkpj::DBGrid2CellClick()
{
    button3->setEnabled(!aq_pjyk->value(QStringLiteral("billcode")).toString().isEmpty());
}

void TF_cjkpj::button3Click()
{
    NamedQuery &q = *aq_pjyk;
    if (q.currentRow() < 0)
        return;
    const QString id = q.value(QStringLiteral("ID")).toString();
    const int revision = q.value(QStringLiteral("revision")).toInt();
    // A bill that can no longer be voided is refused before the user is
    // asked for a reason; the list then shows it as it is now.
    if (run([&] { checkVoidable(m_dm.database(), CurrentUser, id, revision); })) {
        TF_zuofei confirm({q.value(QStringLiteral("billcode")).toString(), id,
                           q.value(QStringLiteral("shipname")).toString(), moneyText(q.value(QStringLiteral("money")))},
                          this);
        if (confirm.exec() != QDialog::Accepted)
            return;  // nothing changed; the bill stays chosen
        run([&] { voidBill(m_dm.database(), CurrentUser, id, revision, confirm.reason()); });
    }
    button3->setEnabled(false);
    run([&] { q.reopen(); });
    if (aq_pjfp->isActive())
        run([this] { aq_pjfp->reopen(); });
}

void TF_cjkpj::Button8Click()
{
    Button1->setEnabled(false);
    openArea(*m_dm.aq_pj, unbilledNotices(CurrentUser, Edit5->text()));
}

void TF_cjkpj::Button9Click()
{
    Edit5->clear();
}

void TF_cjkpj::Button2Click()
{
    button3->setEnabled(false);
    openArea(*aq_pjyk, issuedBills(CurrentUser, Edit3->text()));
}

void TF_cjkpj::button6Click()
{
    Edit3->clear();
}

void TF_cjkpj::Button5Click()
{
    openArea(*aq_pjfp, voidedBillsBySerial(CurrentUser, Edit4->text()));
}

void TF_cjkpj::Button10Click()
{
    openArea(*aq_pjfp, voidedBillsByBillNumber(CurrentUser, Edit6->text()));
}

void TF_cjkpj::Button7Click()
{
    Edit6->clear();
    Edit4->clear();
}

}  // namespace finance
