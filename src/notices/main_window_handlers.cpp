// The main window's handlers: each turns a click into an operation and then
// sets the work areas as the workflow asks.

#include "main_window.h"

#include "notice_lists.h"
#include "notice_operations.h"
#include "notice_rights.h"

#include "fees/item_window.h"
#include "fees/line_queries.h"
#include "finance/notice_printing.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/current_user.h"
#include "app/messages.h"
#include "app/row_choice.h"
#include "db/named_query.h"
#include "db/tdm.h"

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>

namespace {
bool isSection(int role)
{
    return role >= codes::RoleShipAffairsStaff && role <= codes::RoleInspectionLeader;
}
}  // namespace

bool TF_main::run(const std::function<void()> &handler)
{
    return messages::guarded(handler);
}

void TF_main::connectHandlers()
{
    const QList<QPair<QAction *, NoticeList>> lists{{bt_nochecked, NoticeList::NotReviewed},
                                                    {bt_checked, NoticeList::NotPrinted},
                                                    {bt_printed, NoticeList::NotBilled},
                                                    {bt_payed, NoticeList::Billed},
                                                    {bt_badchecked, NoticeList::Rejected}};
    for (const auto &[action, list] : lists)
        connect(action, &QAction::triggered, this, [this, list = list] { listClick(list); });
    connect(bt_search, &QPushButton::clicked, this, [this] { bt_searchClick(); });
    connect(Edit_searchid, &QLineEdit::returnPressed, this, [this] {
        if (bt_search->isEnabled())
            bt_searchClick();
    });
    connect(bt_clear, &QPushButton::clicked, this, [this] { bt_clearClick(); });
    connect(bt_new, &QPushButton::clicked, this, [this] { bt_newClick(); });
    connect(bt_save, &QPushButton::clicked, this, [this] { bt_saveClick(); });
    connect(bt_modify, &QPushButton::clicked, this, [this] { bt_modifyClick(); });
    connect(bt_del, &QPushButton::clicked, this, [this] { bt_DelClick(); });
    connect(bt_checknow, &QPushButton::clicked, this, [this] { bt_checknowClick(); });
    connect(bt_badchecknow, &QPushButton::clicked, this, [this] { bt_badchecknowClick(); });
    connect(bt_totalmoney, &QPushButton::clicked, this, [this] { bt_totalmoneyClick(); });
    connect(bt_print, &QPushButton::clicked, this, [this] { bt_printClick(); });
    for (QAction *exit : {bt_exit, N12})
        connect(exit, &QAction::triggered, this, [this] { quitProgram(); });
    for (QAction *switcher : {bt_switch, SwitchUser})
        connect(switcher, &QAction::triggered, this, [this] { user_switchExecute(); });

    followChosenRow(DBGrid_notice, this, [this](int row) { onGridRowChanged(row); });
    connect(m_dm.aq_notice, &NamedQuery::reset, this, [this] { showCurrentRowInGrid(); });
    // An operation may move the current row itself (a deletion moves to the
    // next notice): the highlighted row must stay the one the fields show.
    connect(m_dm.aq_notice, &NamedQuery::currentRowChanged, this, [this](int row) {
        if (DBGrid_notice->currentIndex().row() != row)
            showCurrentRowInGrid();
    });
    connectSecondaryWindows();
}

void TF_main::listClick(NoticeList list)
{
    // The new rows replace the shown ones in one step: a notice shown again
    // is not cleared and filled in between (no flicker, no repaint), and a
    // list that cannot be read leaves the one shown as it was.
    NamedQuery &q = *m_dm.aq_notice;
    run([&] {
        const Statement s = noticeListStatement(list, CurrentUser);
        q.open(s.sql, s.values);
    });
    checkshow();
}

void TF_main::bt_searchClick()
{
    NamedQuery &q = *m_dm.aq_notice;
    run([&] {
        const Statement s = noticeSearch(m_dm.database(), Edit_searchid->text(), CurrentUser);
        q.open(s.sql, s.values);
    });
    checkshow();
}

void TF_main::bt_clearClick()
{
    Edit_searchid->clear();
}

void TF_main::bt_newClick()
{
    freeze_all();
    m_dm.aq_itemofnotice->close();
    bt_save->setEnabled(true);
    NamedQuery &q = *m_dm.aq_notice;
    const bool created = run([&] {
        q.close();
        const QString id = createNotice(m_dm.database(), CurrentUser);
        // The list holds the new notice alone, in editing.
        q.open(QStringLiteral("select * from notice where ID=?"), {id});
        q.edit();
    });
    if (!created) {
        // Nothing to edit: back to the resting state.
        checkshow();
        return;
    }
    active_content();
    if (isSection(CurrentUser.typeId))
        active_memo();
    freeze_newed();
    dbgird_notice_check();
}

void TF_main::afterStore()
{
    m_dm.aq_itemofnotice->close();
    checkshow();
}

void TF_main::saveEditedNotice()
{
    NamedQuery &q = *m_dm.aq_notice;
    const bool editing = q.state() == NamedQuery::State::Editing;
    const auto column = [&](const QString &name, bool asRead) {
        return editing && asRead ? q.originalValue(name) : q.value(name);
    };
    // The notice the edit lies on: as read, or as stored when a refused save
    // refreshed it.
    NoticeEdit edit;
    edit.id = q.value(QStringLiteral("ID")).toString();
    edit.revision = column(QStringLiteral("revision"), true).toInt();
    edit.status = column(QStringLiteral("status"), true);
    for (const QString &name : NoticeFields::columns()) {
        edit.read.setValue(name, column(name, true));
        edit.edited.setValue(name, column(name, false));
    }
    try {
        saveNotice(m_dm.database(), CurrentUser, edit);
    } catch (const NoticeNotStored &refusal) {
        // Changed elsewhere: the edit stays, on top of the notice as stored
        // now, so that a second save is a deliberate one. Deleted: nothing is
        // left to edit. Held elsewhere: nothing was stored; the edit stays.
        if (refusal.why() != NoticeNotStored::Why::InUse)
            q.rebaseEdit();
        throw;
    }
    q.cancel();
    q.reopen();
}

void TF_main::bt_saveClick()
{
    // A store that did not happen (changed elsewhere, or a database error)
    // leaves the notice in editing, with the user's edit on screen.
    const bool stored = run([this] { saveEditedNotice(); });
    if (stored || m_dm.aq_notice->state() != NamedQuery::State::Editing)
        afterStore();
}

void TF_main::bt_modifyClick()
{
    freeze_all();
    bt_save->setEnabled(true);
    m_dm.aq_notice->edit();
    active_content();
    if (isSection(CurrentUser.typeId))
        active_memo();
    dbgird_notice_check();
    freeze_newed();
}

void TF_main::deleteListedNotice()
{
    NamedQuery &q = *m_dm.aq_notice;
    const int row = q.currentRow();
    if (row < 0)
        return;
    // The list keeps its other rows and moves to the next one.
    const auto showList = [&q, row] {
        q.open(q.statement(), q.boundValues());
        if (!q.setCurrentRow(row) && !q.isEmpty())
            q.setCurrentRow(q.rowCount() - 1);  // the last row was deleted: the list is short
    };
    try {
        deleteNotice(m_dm.database(), CurrentUser, q.value(QStringLiteral("ID")).toString(),
                     q.value(QStringLiteral("revision")).toInt());
    } catch (const UserRefusal &) {
        showList();
        throw;
    }
    showList();
}

void TF_main::bt_DelClick()
{
    m_dm.aq_itemofnotice->close();
    run([this] { deleteListedNotice(); });
    checkshow();
}

void TF_main::reviewListedNotice(bool approve)
{
    NamedQuery &q = *m_dm.aq_notice;
    if (q.currentRow() < 0)
        return;
    const QString id = q.value(QStringLiteral("ID")).toString();
    const int revision = q.value(QStringLiteral("revision")).toInt();
    const QString reason = DBMemo_badcheck->toPlainText();
    try {
        if (approve)
            approveNotice(m_dm.database(), CurrentUser, id, revision, reason);
        else
            rejectNotice(m_dm.database(), CurrentUser, id, revision, reason);
    } catch (const NoticeNotStored &) {
        // A review is one click on what the reviewer saw: the list shows the
        // notice as it is now.
        q.reopen();
        throw;
    }
    q.reopen();
}

void TF_main::bt_checknowClick()
{
    const int status = m_dm.aq_notice->value(QStringLiteral("status")).toInt();
    if (status != codes::StateNew && status != codes::StateRejected)
        return;
    const QString handler = m_dm.aq_notice->value(QStringLiteral("handler")).toString();
    if (!run([this] { reviewListedNotice(true); }) && handler == CurrentUser.userName)
        return;  // one's own notice: nothing changes, the window stays as it was
    checkshow();
}

void TF_main::bt_badchecknowClick()
{
    const int status = m_dm.aq_notice->value(QStringLiteral("status")).toInt();
    if (status != codes::StateNew && status != codes::StateApproved)
        return;
    const QString handler = m_dm.aq_notice->value(QStringLiteral("handler")).toString();
    if (!run([this] { reviewListedNotice(false); }) && handler == CurrentUser.userName)
        return;
    freeze_leader();
    checkshow();
}

void TF_main::bt_totalmoneyClick()
{
    const QString department = CurrentUser.department;
    if (department != codes::kInspection && department != codes::kShipAffairs)
        return;
    if (department == codes::kInspection
        && (DBcb_checktype->currentText().isEmpty() || DBCb_checkcontent->currentText().isEmpty()))
        messages::inform(QStringLiteral("检验类型和检验内容不可为空，否则数量统计时将不被考虑"));  // a warning only
    bool showEditor = false;
    if (!run([&] { showEditor = fees::prepareFeeLines(m_dm, CurrentUser); }))
        return;
    if (showEditor && m_itemEditor)
        m_itemEditor->exec();
}

void TF_main::showNoticeLines()
{
    fees::openNoticeLines(m_dm, fees::LineSelection::Display, CurrentUser.department);
}

void TF_main::printListedNotice()
{
    NamedQuery &q = *m_dm.aq_notice;
    if (q.currentRow() < 0)
        return;
    const std::optional<finance::NoticeReport> built = finance::buildNoticeReport(m_dm.database(), CurrentUser,
                                                                                  q.currentRecord());
    if (!built)
        return;  // not this user's to print: nothing is said
    // The line grid shows the lines as printed.
    fees::openNoticeLines(m_dm, fees::LineSelection::Print, CurrentUser.department);
    if (!built->report.showReport())
        throw UserRefusal(finance::kPrinterFailed);
    finance::recordNoticePrinted(m_dm.database(), CurrentUser, built->notice);
}

void TF_main::bt_printClick()
{
    const QString printed = m_dm.aq_notice->isActive() ? m_dm.aq_notice->value(QStringLiteral("ID")).toString()
                                                       : QString();
    run([this] { printListedNotice(); });
    // In every case, also after a refused gate: the list shows the notice as
    // it is now and the window rests.
    run([this] {
        if (m_dm.aq_notice->isActive())
            m_dm.aq_notice->reopen();
    });
    // A printed notice may leave the list, which then stands on another one:
    // the lines of the printed notice must not stay beside it.
    if (!m_dm.aq_notice->isActive() || m_dm.aq_notice->value(QStringLiteral("ID")).toString() != printed)
        m_dm.aq_itemofnotice->close();
    checkshow();
}

void TF_main::DBGrid_noticeCellClick()
{
    NamedQuery &q = *m_dm.aq_notice;
    if (q.currentRow() < 0)
        return;
    NoticeFacts notice;
    notice.id = q.value(QStringLiteral("ID")).toString();
    notice.status = q.value(QStringLiteral("status")).toInt();
    notice.department = q.value(QStringLiteral("department")).toString();
    notice.handler = q.value(QStringLiteral("handler")).toString();
    const SelectionRights rights = selectionRights(notice, CurrentUser);

    bt_modify->setEnabled(rights.modifyAndDelete);
    bt_del->setEnabled(rights.modifyAndDelete);
    bt_print->setEnabled(rights.print);
    if (rights.reviewArea) {
        setAreaEnabled({Label_leader, Label_leadernow}, true);
        Edit_leadernow->setText(CurrentUser.userName);
        bt_checknow->setEnabled(rights.approve);
        setAreaEnabled({bt_badchecknow, DBMemo_badcheck, Label_badcheck}, rights.reject);
    } else {
        setAreaEnabled({Label_leader, Label_leadernow, bt_checknow, bt_badchecknow, DBMemo_badcheck, Label_badcheck},
                       false);
        Edit_leadernow->clear();
    }
    bt_checknow->setText(keys::caption(QStringLiteral("审核通过"), 'A'));

    run([this] { showNoticeLines(); });
}

void TF_main::DBCb_companyEnter()
{
    NamedQuery &q = *m_dm.aq_company;
    const QString typed = DBCb_company->currentText();
    q.close();
    q.open(QStringLiteral("select * from company"));
    const QSignalBlocker block(DBCb_company);
    DBCb_company->clear();
    for (int row = 0, rows = q.rowCount(); row < rows; ++row)
        DBCb_company->addItem(q.valueAt(row, QStringLiteral("name")).toString());
    q.close();
    DBCb_company->setEditText(typed);
}

void TF_main::DBCb_checkcontentEnter()
{
    const QString table = codes::inspectionContentTable(DBcb_checktype->currentText());
    const QString stored = DBCb_checkcontent->currentText();
    const QSignalBlocker block(DBCb_checkcontent);
    DBCb_checkcontent->clear();
    if (table.isEmpty()) {
        DBCb_checkcontent->addItem(QStringLiteral("请先选择检查类型"));
    } else {
        NamedQuery &q = *m_dm.aq_buildtype;
        q.close();
        q.open(QStringLiteral("select * from %1").arg(table));  // one of three fixed names
        for (int row = 0, rows = q.rowCount(); row < rows; ++row)
            DBCb_checkcontent->addItem(q.valueAt(row, QStringLiteral("name")).toString());
    }
    DBCb_checkcontent->setCurrentIndex(DBCb_checkcontent->findText(stored));
}
