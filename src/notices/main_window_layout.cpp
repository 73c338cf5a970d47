// The main window's controls: toolbar, menus, the notice list, the content,
// handler and leader areas, and the status bar.

#include "main_window.h"

#include "field_binding.h"

#include "fees/number_text.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/column_proxy_model.h"
#include "app/gbk_width.h"
#include "app/list_view.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "ui/database_label.h"
#include "ui/eliding_label.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QLabel *label(const QString &text, const char *name, QWidget *parent)
{
    return named(new QLabel(text, parent), name);
}

QLineEdit *lineEdit(const char *name, QWidget *parent)
{
    return named(new QLineEdit(parent), name);
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    return named(new QPushButton(text, parent), name);
}

}  // namespace

void TF_main::buildToolbar()
{
    m_toolbar = named(addToolBar(QStringLiteral("toolbar")), "ToolBar1");
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(20, 20));

    auto *searchGroup = named(new QWidget(m_toolbar), "Panel2");
    auto *searchLayout = new QGridLayout(searchGroup);
    searchLayout->setContentsMargins(2, 0, 6, 0);
    searchLayout->setVerticalSpacing(2);
    searchLayout->addWidget(label(QStringLiteral("请输入流水号"), "Label_search", searchGroup), 0, 0, 1, 2);
    Edit_searchid = lineEdit("Edit_searchid", searchGroup);
    Edit_searchid->setFixedWidth(70);
    gbk::limit(Edit_searchid, 7);
    searchLayout->addWidget(Edit_searchid, 0, 2);
    bt_clear = button(QStringLiteral("清 除"), "bt_clear", searchGroup);
    bt_search = button(QStringLiteral("查 找"), "bt_search", searchGroup);
    searchLayout->addWidget(bt_clear, 1, 1);
    searchLayout->addWidget(bt_search, 1, 2);
    m_toolbar->addWidget(searchGroup);
    m_toolbar->addSeparator();

    auto action = [this](const QString &text, const char *name, QStyle::StandardPixmap icon) {
        QAction *a = named(m_toolbar->addAction(text), name);
        m_toolbarPictures.append({a, int(icon)});
        // The button the toolbar makes for the action carries the same name.
        m_toolbar->widgetForAction(a)->setObjectName(QString::fromLatin1(name));
        return a;
    };
    bt_nochecked = action(QStringLiteral("未审核"), "bt_nochecked", QStyle::SP_FileDialogInfoView);
    bt_checked = action(QStringLiteral("未打印"), "bt_checked", QStyle::SP_FileDialogDetailedView);
    bt_printed = action(QStringLiteral("未开票"), "bt_printed", QStyle::SP_FileDialogListView);
    bt_payed = action(QStringLiteral("已开票"), "bt_payed", QStyle::SP_DialogApplyButton);
    bt_badchecked = action(QStringLiteral("被驳回"), "bt_badchecked", QStyle::SP_MessageBoxWarning);
    m_toolbar->addSeparator();
    bt_report = action(QStringLiteral("统计报表"), "bt_report", QStyle::SP_FileDialogContentsView);
    bt_pj = action(QStringLiteral("票据管理"), "bt_pj", QStyle::SP_FileIcon);
    bt_caiwu = action(QStringLiteral("财务计划"), "bt_caiwu", QStyle::SP_DriveHDIcon);
    m_toolbar->addSeparator();
    bt_help = action(QStringLiteral("帮  助"), "bt_help", QStyle::SP_DialogHelpButton);
    bt_switch = action(QStringLiteral("身份切换"), "bt_switch", QStyle::SP_BrowserReload);
    bt_exit = action(QStringLiteral("系统退出"), "bt_exit", QStyle::SP_DialogCloseButton);
}

void TF_main::buildMenus()
{
    auto item = [this](QMenu *menu, const QString &text, const char *name) {
        return named(menu->addAction(text), name);
    };
    QMenu *master = named(menuBar()->addMenu(QStringLiteral("基本信息数据库管理")), "N1");
    M_useradmin = item(master, QStringLiteral("用户管理"), "M_useradmin");
    M_money = item(master, QStringLiteral("财务科  人员管理"), "M_money");
    master->addSeparator();
    M_cwitem = item(master, QStringLiteral("船务科  收费项目管理"), "M_cwitem");
    M_cjitem = item(master, QStringLiteral("船检科  收费项目管理"), "M_cjitem");
    master->addSeparator();
    M_company = item(master, QStringLiteral("船检科  记账公司管理"), "M_company");
    M_buildtype = item(master, QStringLiteral("船检科  建造检验类型管理"), "M_buildtype");
    M_runtype = item(master, QStringLiteral("船检科  营运检验类型管理"), "M_runtype");
    M_other = item(master, QStringLiteral("船检科  其他检验类型管理"), "M_other");
    master->addSeparator();
    M_audit = item(master, QStringLiteral("修改记录"), "M_audit");

    QMenu *reports = named(menuBar()->addMenu(QStringLiteral("    报表和票据管理")), "N2");
    M_report = item(reports, QStringLiteral("统计报表"), "M_report");
    M_history = item(reports, QStringLiteral("通知单历史"), "M_history");
    M_history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    M_deleted = item(reports, QStringLiteral("恢复已删除的通知单"), "M_deleted");
    reports->addSeparator();
    M_cjkpj = item(reports, QStringLiteral("票据管理"), "M_cjkpj");
    reports->addSeparator();
    M_caiwu = item(reports, QStringLiteral("财务统计和计划"), "M_caiwu");

    QMenu *tools = named(menuBar()->addMenu(QStringLiteral("    工具   ")), "UserS");
    N12 = item(tools, QStringLiteral("系统退出"), "N12");
    tools->addSeparator();
    SwitchUser = item(tools, QStringLiteral("用户身份快速切换"), "SwitchUser");
    tools->addSeparator();
    password = item(tools, QStringLiteral("本人账号和密码更改"), "password");
    tools->addSeparator();
    N14 = item(tools, QStringLiteral("客户端数据库配置"), "N14");

    named(menuBar()->addMenu(QStringLiteral("界面")), "N22");

    QMenu *help = named(menuBar()->addMenu(QStringLiteral("   帮助  ")), "M_help");
    Html1 = item(help, QStringLiteral("Html文档"), "Html1");
    word1 = item(help, QStringLiteral("Word 文档"), "word1");
    help->addSeparator();
    N16 = item(help, QStringLiteral("关于本软件"), "N16");
}

void TF_main::buildContentArea(QWidget *host)
{
    auto *group = named(new QGroupBox(QStringLiteral("通知单编辑工作区"), host), "GroupBox_content");
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);

    Label_date = label(QStringLiteral("通知日期  "), "Label_date", group);
    dbedit_date = lineEdit("dbedit_date", group);
    Label_Id = label(QStringLiteral("流水号   "), "Label_Id", group);
    DBEdit_ID = lineEdit("DBEdit_ID", group);
    auto *systemNote = label(QStringLiteral("系统自动确定"), "Label_system", group);
    Label_dept = label(QStringLiteral("通知部门     "), "Label_dept", group);
    DBEdit_dept = lineEdit("DBEdit_dept", group);
    Label_shipname = label(QStringLiteral("缴费单位(个人或船只) "), "Label_shipname", group);
    DBEdit_shipname = lineEdit("DBEdit_shipname", group);
    gbk::limit(DBEdit_shipname, 50);
    Label_totalmoney = label(QStringLiteral("合计金额："), "Label_totalmoney", group);
    DBedit_money = lineEdit("DBedit_money", group);
    bt_totalmoney = button(QStringLiteral("收费项目明细表"), "bt_totalmoney", group);
    Label_item = label(QStringLiteral("缴   费  项  目     "), "Label_item", group);

    DBgrid_item = named(new QTableView(group), "DBgrid_item");
    auto *lines = new ColumnProxyModel(
        {{QStringLiteral("itemname"), QStringLiteral("收费项目"), {}},
         {QStringLiteral("description"), QStringLiteral("计算步骤"), {}},
         {QStringLiteral("money"), QStringLiteral("收费金额"),
          [](const QVariant &v) { return v.isNull() ? QString() : fees::moneyText(v.toDouble()); },
          Qt::AlignRight | Qt::AlignVCenter}},
        DBgrid_item);
    lines->setSourceModel(m_dm.aq_itemofnotice->model());
    DBgrid_item->setModel(lines);
    DBgrid_item->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBgrid_item->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBgrid_item->verticalHeader()->setDefaultSectionSize(20);
    DBgrid_item->verticalHeader()->setFixedWidth(14);
    DBgrid_item->setColumnWidth(0, 140);
    DBgrid_item->setColumnWidth(1, 140);
    DBgrid_item->setMaximumHeight(130);
    DBgrid_item->horizontalHeader()->setStretchLastSection(true);
    // Copied and saved like every list; not sorted: the fee-line editor
    // shows the same query's lines in their fixed order.
    addListTools(DBgrid_item, false);

    grid->addWidget(Label_date, 0, 0);
    grid->addWidget(dbedit_date, 0, 1);
    grid->addWidget(Label_Id, 0, 2);
    grid->addWidget(DBEdit_ID, 0, 3);
    grid->addWidget(systemNote, 1, 2, 1, 2, Qt::AlignRight);
    grid->addWidget(Label_dept, 1, 0);
    grid->addWidget(DBEdit_dept, 1, 1);
    grid->addWidget(Label_shipname, 2, 0);
    grid->addWidget(DBEdit_shipname, 2, 1, 1, 3);
    grid->addWidget(Label_totalmoney, 3, 0);
    grid->addWidget(DBedit_money, 3, 1);
    grid->addWidget(bt_totalmoney, 3, 2, 1, 2);
    grid->addWidget(Label_item, 4, 0, Qt::AlignTop);
    grid->addWidget(DBgrid_item, 4, 1, 1, 4);

    // The two alternative header groups share one place.
    auto *memoHost = named(new QWidget(group), "Panel_memo");
    auto *memoGrid = new QGridLayout(memoHost);
    memoGrid->setContentsMargins(0, 0, 0, 0);
    Label_memo = label(QStringLiteral("船检科备注    "), "Label_memo", memoHost);
    lable_checktype = label(QStringLiteral("检验类型：    "), "lable_checktype", memoHost);
    DBcb_checktype = named(new QComboBox(memoHost), "DBcb_checktype");
    DBcb_checktype->addItems(codes::inspectionTypes());
    lable_checkcontent = label(QStringLiteral("检验内容： "), "lable_checkcontent", memoHost);
    DBCb_checkcontent = named(new QComboBox(memoHost), "DBCb_checkcontent");
    Label_company = label(QStringLiteral("记帐单位：  "), "Label_company", memoHost);
    DBCb_company = named(new QComboBox(memoHost), "DBCb_company");
    DBCb_company->setEditable(true);
    DBCb_company->setInsertPolicy(QComboBox::NoInsert);
    gbk::limit(DBCb_company->lineEdit(), 50);
    memoGrid->addWidget(Label_memo, 0, 0, 1, 2);
    memoGrid->addWidget(lable_checktype, 1, 0);
    memoGrid->addWidget(DBcb_checktype, 1, 1);
    memoGrid->addWidget(lable_checkcontent, 2, 0);
    memoGrid->addWidget(DBCb_checkcontent, 2, 1);
    memoGrid->addWidget(Label_company, 3, 0);
    memoGrid->addWidget(DBCb_company, 3, 1);

    Panel1 = named(new QFrame(memoHost), "Panel1");
    auto *panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(1);
    Label_memo_cw = label(QStringLiteral("船务科备注       "), "Label_memo_cw", Panel1);
    dbck_dengji = named(new QCheckBox(QStringLiteral("   登记"), Panel1), "dbck_dengji");
    dbck_peixun = named(new QCheckBox(QStringLiteral("   船员培训、申验、考试 "), Panel1), "dbck_peixun");
    dbck_gongbenfei = named(new QCheckBox(QStringLiteral("   工本费"), Panel1), "dbck_gongbenfei");
    dbck_neibuziliao = named(new QCheckBox(QStringLiteral("   内部资料费"), Panel1), "dbck_neibuziliao");
    for (QWidget *w :
         std::initializer_list<QWidget *>{Label_memo_cw, dbck_dengji, dbck_peixun, dbck_gongbenfei, dbck_neibuziliao})
        panelLayout->addWidget(w);
    panelLayout->addStretch();
    memoGrid->addWidget(Panel1, 0, 0, 4, 2);
    grid->addWidget(memoHost, 0, 4, 4, 1, Qt::AlignTop);

    // Wide enough for what they show: the creation time in the workstation's
    // format, seconds included, and the names of the pick lists.
    const QString widestTime = dateTimeText(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)));
    dbedit_date->setMinimumWidth(dbedit_date->fontMetrics().horizontalAdvance(widestTime) + 12);
    DBEdit_ID->setMaximumWidth(DBEdit_ID->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 14);
    for (QComboBox *pick : {DBcb_checktype, DBCb_checkcontent, DBCb_company})
        pick->setMinimumWidth(92);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    host->layout()->addWidget(group);
}

void TF_main::buildHandlerArea(QWidget *host)
{
    auto *group = named(new QGroupBox(QStringLiteral("经办人工作区      "), host), "GroupBox_handler");
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    Label_handler = label(QStringLiteral("经办人："), "Label_handler", group);
    DBEdit_handler = lineEdit("DBEdit_handler", group);
    bt_new = button(QStringLiteral("新建"), "bt_new", group);
    bt_save = button(QStringLiteral("保存"), "bt_save", group);
    bt_print = button(QStringLiteral("打印"), "bt_print", group);
    bt_modify = button(QStringLiteral("修改"), "bt_modify", group);
    bt_del = button(QStringLiteral("删除"), "bt_del", group);
    grid->addWidget(Label_handler, 0, 0);
    grid->addWidget(DBEdit_handler, 0, 1, 1, 2);
    grid->addWidget(bt_new, 1, 0);
    grid->addWidget(bt_save, 1, 1);
    grid->addWidget(bt_print, 1, 2);
    grid->addWidget(bt_modify, 2, 0);
    grid->addWidget(bt_del, 2, 1);
    host->layout()->addWidget(group);
}

void TF_main::buildLeaderArea(QWidget *host)
{
    auto *group = named(new QGroupBox(QStringLiteral("审核人工作区     "), host), "GroupBox_leader");
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    Label_leader = label(QStringLiteral("曾经申核人 "), "Label_leader", group);
    DBCb_leader = named(new QComboBox(group), "DBCb_leader");
    DBCb_leader->setEditable(true);
    Label_leadernow = label(QStringLiteral("现在申核人"), "Label_leadernow", group);
    Edit_leadernow = lineEdit("Edit_leadernow", group);
    gbk::limit(Edit_leadernow, 6);
    bt_checknow = button(QStringLiteral("审核通过"), "bt_checknow", group);
    bt_badchecknow = button(QStringLiteral("驳    回"), "bt_badchecknow", group);
    Label_badcheck = label(QStringLiteral("驳回理由    "), "Label_badcheck", group);
    DBMemo_badcheck = named(new QPlainTextEdit(group), "DBMemo_badcheck");
    DBMemo_badcheck->setFixedHeight(48);
    gbk::limit(DBMemo_badcheck, 190);
    grid->addWidget(Label_leader, 0, 0);
    grid->addWidget(DBCb_leader, 0, 1);
    grid->addWidget(Label_leadernow, 1, 0);
    grid->addWidget(Edit_leadernow, 1, 1);
    grid->addWidget(bt_checknow, 2, 0);
    grid->addWidget(bt_badchecknow, 2, 1);
    grid->addWidget(Label_badcheck, 3, 0, 1, 2);
    grid->addWidget(DBMemo_badcheck, 4, 0, 1, 2);
    host->layout()->addWidget(group);
}

void TF_main::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    StatusPanel1 = named(new QLabel(statusBar()), "StatusPanel1");
    StatusPanel2 = named(new QLabel(statusBar()), "StatusPanel2");
    StatusPanel3 = named(new ElidingLabel(statusBar()), "StatusPanel3");
    StatusPanel1->setFixedWidth(200);
    StatusPanel2->setFixedWidth(200);
    StatusPanel3->setMinimumWidth(50);
    statusBar()->addWidget(StatusPanel1);
    statusBar()->addWidget(StatusPanel2);
    statusBar()->addWidget(StatusPanel3, 1);
    StatusPanel4 = named(new ElidingLabel(ui::databaseInUse(m_dm.settings()), statusBar()), "StatusPanel4");
    // The rights panel comes first when room is short: a long server name
    // ends in an ellipsis (whole in the tool tip) before the rights do.
    StatusPanel4->setMaximumWidth(240);
    statusBar()->addPermanentWidget(StatusPanel4);
    statusBar()->setSizeGripEnabled(false);
}

void TF_main::buildShortcuts()
{
    const QList<QPair<QPushButton *, QKeySequence>> keys{
        {bt_new, QKeySequence::New}, {bt_save, QKeySequence::Save}, {bt_print, QKeySequence::Print}};
    // A button holds one key, its Alt key from the caption: the usual key
    // presses it through a shortcut of the window, as a click would.
    for (const auto &[b, key] : keys) {
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, b, [b = b] {
            if (b->isEnabled() && b->isVisible())
                b->animateClick();
        });
        b->setToolTip(key.toString(QKeySequence::NativeText));
    }
    // Menu items: the manual on F1, leaving the program as desktop programs do.
    Html1->setShortcut(QKeySequence::HelpContents);
    N12->setShortcut(QKeySequence::Quit);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        if (Edit_searchid->isEnabled()) {
            Edit_searchid->setFocus(Qt::ShortcutFocusReason);
            Edit_searchid->selectAll();
        }
    });
    // Refresh repeats the list on show, unless a notice is being edited.
    auto *refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, this, [this] {
        if (!m_dm.aq_notice->isActive() || bt_save->isEnabled())
            return;
        run([this] { m_dm.aq_notice->reopen(); });
        checkshow();
    });
}

void TF_main::buildAccessKeys()
{
    // Window-wide keys: the menu bar's titles, the toolbar, the fields and
    // buttons. The list filters and the toolbar's windows take digits, left
    // to right; help stays on F1. The inspection section's picks and the ship
    // affairs section's boxes share a place, never shown together, and so
    // may share letters (Y, K).
    const QList<QMenu *> menus = menuBar()->findChildren<QMenu *>(Qt::FindDirectChildrenOnly);
    const QHash<QString, char> menuKeys{{QStringLiteral("N1"), 'B'},
                                        {QStringLiteral("N2"), 'R'},
                                        {QStringLiteral("UserS"), 'T'},
                                        {QStringLiteral("N22"), 'V'},
                                        {QStringLiteral("M_help"), 'H'}};
    for (QMenu *menu : menus)
        if (menuKeys.contains(menu->objectName()))
            keys::set(menu, menuKeys.value(menu->objectName()));
    const QList<QPair<QAction *, char>> tools{
        {bt_nochecked, '1'}, {bt_checked, '2'}, {bt_printed, '3'}, {bt_payed, '4'},  {bt_badchecked, '5'},
        {bt_report, '6'},    {bt_pj, '7'},      {bt_caiwu, '8'},   {bt_switch, '9'}, {bt_exit, '0'}};
    for (const auto &[action, key] : tools) {
        // The toolbar is full at the window's first size: captions grown by
        // their keys would push the last buttons behind the toolbar's
        // extension, where no Alt key reaches them. So the key is the
        // action's own shortcut, which works wherever its button is, and the
        // tooltip tells it.
        const QKeySequence shortcut(Qt::ALT | Qt::Key(Qt::Key_0 + (key - '0')));
        action->setShortcut(shortcut);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(keys::spoken(action->text()), shortcut.toString(QKeySequence::NativeText)));
        m_toolbar->widgetForAction(action)->setAccessibleName(keys::spoken(action->text()));
    }
    m_toolbar->widgetForAction(bt_help)->setAccessibleName(keys::spoken(bt_help->text()));

    keys::set(findChild<QLabel *>(QStringLiteral("Label_search")), Edit_searchid, 'F');
    keys::set(bt_clear, 'L');
    keys::set(bt_search, 'Q');
    for (const auto &[shown, field] : QList<QPair<QLabel *, QWidget *>>{{Label_date, dbedit_date},
                                                                        {Label_Id, DBEdit_ID},
                                                                        {Label_dept, DBEdit_dept},
                                                                        {Label_totalmoney, DBedit_money},
                                                                        {Label_handler, DBEdit_handler}})
        keys::name(shown, field);
    keys::set(Label_shipname, DBEdit_shipname, 'U');
    // The longest caption of its column may take two lines, so that the
    // window keeps its least width with the key added.
    Label_shipname->setWordWrap(true);
    keys::set(bt_totalmoney, 'M');
    keys::set(Label_item, DBgrid_item, 'I');
    keys::set(lable_checktype, DBcb_checktype, 'Y');
    keys::set(lable_checkcontent, DBCb_checkcontent, 'K');
    keys::set(Label_company, DBCb_company, 'G');
    keys::set(dbck_dengji, 'C');
    keys::set(dbck_peixun, 'X');
    keys::set(dbck_gongbenfei, 'Y');
    keys::set(dbck_neibuziliao, 'K');
    keys::set(bt_new, 'N');
    keys::set(bt_save, 'S');
    keys::set(bt_print, 'P');
    keys::set(bt_modify, 'E');
    keys::set(bt_del, 'D');
    keys::set(Label_leader, DBCb_leader, 'O');
    keys::set(Label_leadernow, Edit_leadernow, 'W');
    keys::set(bt_checknow, 'A');  // also where the review area is shown again
    keys::set(bt_badchecknow, 'J');
    keys::set(Label_badcheck, DBMemo_badcheck, 'Z');
    DBGrid_notice->setAccessibleName(QStringLiteral("通知单列表"));

    // Menu items: unique within their menu.
    const QList<QPair<QAction *, char>> items{
        {M_useradmin, 'U'}, {M_money, 'F'}, {M_cwitem, 'W'}, {M_cjitem, 'J'},   {M_company, 'C'}, {M_buildtype, 'B'},
        {M_runtype, 'Y'},   {M_other, 'O'}, {M_audit, 'M'},  {M_report, 'S'},   {M_history, 'H'}, {M_deleted, 'R'},
        {M_cjkpj, 'B'},     {M_caiwu, 'F'}, {N12, 'X'},      {SwitchUser, 'S'}, {password, 'P'},  {N14, 'C'},
        {Html1, 'H'},       {word1, 'W'},   {N16, 'A'}};
    for (const auto &[action, key] : items)
        keys::set(action, key);
}

void TF_main::buildTabOrder()
{
    // The lists take Tab like any field, each before what it drives: the
    // notice list before the notice's fields, the fee lines after the total
    // they add up to. The notice list has a key of its own. The reason field
    // passes Tab on instead of typing it.
    DBGrid_notice->setFocusPolicy(Qt::StrongFocus);
    DBgrid_item->setFocusPolicy(Qt::StrongFocus);
    DBgrid_item->setTabKeyNavigation(false);
    DBGrid_notice->setTabKeyNavigation(false);
    auto *toList = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(toList, &QShortcut::activated, this, [this] {
        if (DBGrid_notice->isEnabled())
            DBGrid_notice->setFocus(Qt::ShortcutFocusReason);
    });
    DBMemo_badcheck->setTabChangesFocus(true);
    // Top to bottom, left to right; a notice's own fields before the buttons
    // that store it, the reason for a rejection before the reviewer's buttons.
    const QList<QWidget *> order{Edit_searchid,  bt_clear,        bt_search,       DBGrid_notice,   dbedit_date,
                                 DBEdit_ID,      DBEdit_dept,     DBEdit_shipname, DBcb_checktype,  DBCb_checkcontent,
                                 DBCb_company,   dbck_dengji,     dbck_peixun,     dbck_gongbenfei, dbck_neibuziliao,
                                 DBedit_money,   bt_totalmoney,   DBgrid_item,     DBEdit_handler,  bt_new,
                                 bt_save,        bt_print,        bt_modify,       bt_del,          DBCb_leader,
                                 Edit_leadernow, DBMemo_badcheck, bt_checknow,     bt_badchecknow};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TF_main::bindFields()
{
    m_binding = new FieldBinding(*m_dm.aq_notice, this);
    m_binding->showText(dbedit_date, QStringLiteral("Rdate"), dateTimeText);
    m_binding->showText(DBEdit_ID, QStringLiteral("ID"));
    m_binding->showText(DBEdit_dept, QStringLiteral("department"));
    m_binding->showText(DBEdit_handler, QStringLiteral("handler"));
    m_binding->showText(DBedit_money, QStringLiteral("money"),
                        [](const QVariant &v) { return v.isNull() ? QString() : fees::moneyText(v.toDouble()); });
    m_binding->bind(DBEdit_shipname, QStringLiteral("shipname"));
    m_binding->bind(DBcb_checktype, QStringLiteral("checktype"));
    m_binding->bind(DBCb_checkcontent, QStringLiteral("checkcontent"));
    m_binding->bind(DBCb_company, QStringLiteral("company"));
    m_binding->bind(dbck_dengji, QStringLiteral("dengji"));
    m_binding->bind(dbck_peixun, QStringLiteral("peixun"));
    m_binding->bind(dbck_gongbenfei, QStringLiteral("gongbenfei"));
    m_binding->bind(dbck_neibuziliao, QStringLiteral("neibuziliao"));
    m_binding->bind(DBCb_leader, QStringLiteral("leader"));
    // The reviewer's reason travels with the approval or rejection; typing it
    // does not put the notice into editing.
    m_binding->showText(DBMemo_badcheck, QStringLiteral("memo_badcheck"));
    m_binding->refresh();
}
