// The work-area actions of the main window, its resting state by role, and
// what happens when it is shown or left.

#include "main_window.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/current_user.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "session/login_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>

#include "ui/state_batch.h"

namespace {

bool isSection(int role)
{
    return role >= codes::RoleShipAffairsStaff && role <= codes::RoleInspectionLeader;
}

bool isInspection(int role)
{
    return role == codes::RoleInspectionStaff || role == codes::RoleInspectionLeader;
}

bool isShipAffairs(int role)
{
    return role == codes::RoleShipAffairsStaff || role == codes::RoleShipAffairsLeader;
}

QString rightsTextFor(const UserRecord &user)
{
    switch (user.typeId) {
    case codes::RoleShipAffairsLeader:
    case codes::RoleInspectionLeader:
        return QStringLiteral(" 新建、审核本科室的通知单,本科室的各项管理 ");
    case codes::RoleFinanceLeader:
        return QStringLiteral(" 财务人员管理和财务统计以及计划安排 ");
    case codes::RoleFinanceStaff:
        return QStringLiteral(" 财务统计以及计划安排 ");
    case codes::RoleShipAffairsStaff:
    case codes::RoleInspectionStaff:
        return user.hasReviewRight() ? QStringLiteral("新建，打印和修改与本人相关的通知单,审核本科室的通知单")
                                     : QStringLiteral("新建，打印和修改与本人相关的通知单");
    default:
        return {};
    }
}

}  // namespace

void TF_main::setAreaEnabled(const QList<QWidget *> &widgets, bool enabled)
{
    for (QWidget *w : widgets) {
        if (m_batch)
            m_batch->setEnabled(w, enabled);
        else
            w->setEnabled(enabled);
    }
}

void TF_main::setItemEnabled(QAction *action, bool enabled)
{
    if (m_batch)
        m_batch->setEnabled(action, enabled);
    else
        action->setEnabled(enabled);
}

void TF_main::setItemVisible(QAction *action, bool visible)
{
    if (m_batch)
        m_batch->setVisible(action, visible);
    else
        action->setVisible(visible);
}

void TF_main::setAreaVisible(const QList<QWidget *> &widgets, bool visible)
{
    for (QWidget *w : widgets) {
        if (m_batch)
            m_batch->setVisible(w, visible);
        else
            w->setVisible(visible);
    }
}

bool TF_main::isPlannedEnabled(const QWidget *widget) const
{
    return m_batch ? m_batch->isEnabled(widget) : widget->isEnabled();
}

void TF_main::freeze_search()
{
    setAreaEnabled({Edit_searchid, bt_search}, false);
}

void TF_main::active_search()
{
    setAreaEnabled({Edit_searchid, bt_search}, true);
}

void TF_main::freeze_status()
{
    for (QAction *a : {bt_nochecked, bt_checked, bt_printed, bt_payed, bt_badchecked})
        setItemEnabled(a, false);
}

void TF_main::freeze_content()
{
    setAreaEnabled({Label_date, dbedit_date, Label_Id, DBEdit_ID, Label_shipname, DBEdit_shipname, Label_item,
                    DBgrid_item, Label_dept, DBEdit_dept, bt_totalmoney, DBedit_money, Label_totalmoney},
                   false);
}

void TF_main::active_content()
{
    // The total's label is switched on by no action: it always shows disabled.
    setAreaEnabled({Label_date, dbedit_date, Label_Id, DBEdit_ID, Label_shipname, DBEdit_shipname, Label_item,
                    DBgrid_item, Label_dept, DBEdit_dept, bt_totalmoney, DBedit_money},
                   true);
}

void TF_main::freeze_memo()
{
    setAreaEnabled({Label_memo, lable_checktype, DBcb_checktype, lable_checkcontent, DBCb_checkcontent, Label_company,
                    DBCb_company, Label_memo_cw, dbck_dengji, dbck_peixun, dbck_gongbenfei, dbck_neibuziliao},
                   false);
}

void TF_main::active_memo()
{
    setAreaEnabled({Label_memo, lable_checktype, DBcb_checktype, lable_checkcontent, DBCb_checkcontent, Label_company,
                    DBCb_company, Label_memo_cw, dbck_dengji, dbck_peixun, dbck_gongbenfei, dbck_neibuziliao},
                   true);
}

void TF_main::freeze_handler()
{
    setAreaEnabled({Label_handler, DBEdit_handler, bt_new, bt_del, bt_modify, bt_save, bt_print}, false);
}

void TF_main::freeze_leader()
{
    setAreaEnabled({Label_leader, Label_badcheck, DBCb_leader, Label_leadernow, Edit_leadernow, bt_checknow,
                    bt_badchecknow, DBMemo_badcheck},
                   false);
}

void TF_main::freeze_newed()
{
    setAreaEnabled({Label_date, dbedit_date, Label_Id, DBEdit_ID, Label_dept, DBEdit_dept, Label_handler,
                    DBEdit_handler, Label_totalmoney, DBedit_money},
                   false);
}

void TF_main::freeze_menu()
{
    for (QAction *a : {M_buildtype, M_runtype, M_other, M_company, M_cjitem, M_cwitem, M_useradmin, M_money, M_cjkpj,
                       M_caiwu, M_deleted, M_audit})
        setItemVisible(a, false);
}

void TF_main::freeze_all()
{
    freeze_search();
    freeze_status();
    freeze_content();
    freeze_memo();
    freeze_handler();
    freeze_leader();
    setAreaEnabled({DBGrid_notice}, false);
    freeze_menu();
}

void TF_main::visible_memo()
{
    setAreaVisible({Label_memo, lable_checktype, DBcb_checktype, lable_checkcontent, DBCb_checkcontent, Label_company,
                    DBCb_company},
                   true);
    setAreaVisible({Panel1}, false);
}

void TF_main::invisible_memo()
{
    setAreaVisible({Label_memo, lable_checktype, DBcb_checktype, lable_checkcontent, DBCb_checkcontent, Label_company,
                    DBCb_company},
                   false);
    setAreaVisible({Panel1}, true);
}

void TF_main::dbgird_notice_check()
{
    const NamedQuery &q = *m_dm.aq_notice;
    setAreaEnabled({DBGrid_notice}, q.isActive() && !q.isEmpty() && !isPlannedEnabled(bt_save));
}

void TF_main::checkshow()
{
    // Planned whole and given to the widgets at the end: a list refreshed
    // with the same rights repaints only what really changed.
    StateBatch batch;
    const bool outermost = m_batch == nullptr;
    if (outermost)
        m_batch = &batch;
    const auto applyAtEnd = qScopeGuard([&] {
        if (outermost) {
            m_batch = nullptr;
            batch.apply();
        }
    });
    const int role = CurrentUser.typeId;
    freeze_all();
    active_search();
    // The memo group of the role, set once: hiding the inspection group and
    // showing it again would lay the window out twice on every list click.
    if (isInspection(role))
        visible_memo();
    else
        invisible_memo();

    if (CurrentUser.hasBillRight() && isInspection(role)) {
        M_cjkpj->setText(keys::caption(QStringLiteral("船检科票据管理"), 'B'));
        setItemVisible(M_cjkpj, true);
        setItemVisible(bt_pj, true);
    } else if (CurrentUser.hasBillRight() && isShipAffairs(role)) {
        M_cjkpj->setText(keys::caption(QStringLiteral("船务科票据管理"), 'B'));
        setItemVisible(M_cjkpj, true);
        setItemVisible(bt_pj, true);
    }
    if (role == codes::RoleFinanceLeader || role == codes::RoleShipAffairsLeader || role == codes::RoleInspectionLeader)
        setItemVisible(M_audit, true);
    if (role == codes::RoleFinanceLeader) {
        setItemVisible(M_money, true);
        setItemVisible(M_caiwu, true);
        setItemVisible(bt_caiwu, true);
    }
    if (role == codes::RoleInspectionLeader)
        for (QAction *a : {M_buildtype, M_runtype, M_other, M_company})
            setItemVisible(a, true);
    if (role == codes::RoleShipAffairsLeader || role == codes::RoleInspectionLeader) {
        setItemVisible(M_useradmin, true);
        setItemVisible(M_deleted, true);
    }
    if (role == codes::RoleInspectionLeader)
        setItemVisible(M_cjitem, true);
    if (role == codes::RoleShipAffairsLeader)
        setItemVisible(M_cwitem, true);
    if (isSection(role)) {
        for (QAction *a : {bt_badchecked, bt_checked, bt_printed, bt_payed})
            setItemEnabled(a, true);
        setAreaEnabled({bt_new}, true);
    }
    if (isInspection(role))
        setItemEnabled(bt_nochecked, true);
    setItemVisible(bt_nochecked, !isShipAffairs(role));
    dbgird_notice_check();
}

void TF_main::FormShow()
{
    const int role = CurrentUser.typeId;
    if (isShipAffairs(role))
        M_useradmin->setText(keys::caption(QStringLiteral("船务科用户管理"), 'U'));
    else if (isInspection(role))
        M_useradmin->setText(keys::caption(QStringLiteral("船检科用户管理"), 'U'));
    else
        M_useradmin->setText(keys::caption(QStringLiteral("用户管理"), 'U'));
    bt_pj->setVisible(false);
    bt_caiwu->setVisible(false);
    checkshow();
    m_rightsText = rightsTextFor(CurrentUser);
    StatusPanel1->setText(QStringLiteral("欢迎使用本系统：") + CurrentUser.userName);
    StatusPanel2->setText(QStringLiteral("你的身份是：") + CurrentUser.identity);
    StatusPanel3->setText(QStringLiteral("你的权限有：") + m_rightsText);
    m_dm.aq_notice->close();
    m_dm.aq_itemofnotice->close();
    dbgird_notice_check();
}

void TF_main::user_switchExecute()
{
    hide();
    if (m_login) {
        m_login->show();
        m_login->Edit1->clear();
        m_login->Edit2->clear();
        m_login->Edit1->setFocus();
    }
    m_dm.aq_notice->close();
    m_dm.aq_itemofnotice->close();
}
