// The secondary windows reached from the main window's menus and toolbar. Each
// is created when opened, shown modally and released when closed; one block
// per subsystem.

#include "main_window.h"

#include "app/current_user.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "deleted_notices_window.h"
#include "session/password_window.h"

#include "app/messages.h"
#include "finance/bill_window.h"
#include "finance/notice_history_window.h"
#include "finance/report_window.h"
#include "finance/statistics_window.h"
#include "masterdata/menu.h"
#include "ui/about_window.h"
#include "ui/desktop_open.h"
#include "ui/main_window_themes.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

void TF_main::connectSecondaryWindows()
{
    // Bills.
    const auto openBills = [this] {
        {
            finance::TF_cjkpj bills(m_dm, this);
            bills.exec();
        }
        // Bills change the notices' states: the list shows them as they are
        // now, unless a notice is being edited, whose edit must stay.
        if (m_dm.aq_notice->state() == NamedQuery::State::Browsing) {
            run([this] { m_dm.aq_notice->reopen(); });
            checkshow();
        }
    };
    for (QAction *opener : {M_cjkpj, bt_pj})
        connect(opener, &QAction::triggered, this, openBills);

    // Statistics and plan.
    const auto openStatistics = [this] {
        if (CurrentUser.typeId != 8)
            return;  // the finance leader's window only
        finance::TF_caiwu window(m_dm, this);
        window.exec();
    };
    connect(M_caiwu, &QAction::triggered, this, openStatistics);
    connect(bt_caiwu, &QAction::triggered, this, openStatistics);

    // Statistical reports and ledger.
    const auto openReports = [this] {
        TF_report window(m_dm, this);
        window.exec();
    };
    connect(M_report, &QAction::triggered, this, openReports);
    connect(bt_report, &QAction::triggered, this, openReports);

    // A notice's history; the section's deleted notices.
    connect(M_history, &QAction::triggered, this, [this] { M_historyClick(); });
    connect(M_deleted, &QAction::triggered, this, [this] { M_deletedClick(); });

    // Master data: accounts, catalogues, name lists.
    masterdata::connectMenu(
        m_dm, this, {M_useradmin, M_money, M_cwitem, M_cjitem, M_company, M_buildtype, M_runtype, M_other, M_audit});

    // Own account, themes, help, about, configuration program.
    connect(password, &QAction::triggered, this, [this] { passwordClick(); });
    connect(N16, &QAction::triggered, this, [this] { N16Click(); });
    connect(N14, &QAction::triggered, this, [this] { N14Click(); });
    connect(Html1, &QAction::triggered, this, [this] { Html1Click(); });
    connect(bt_help, &QAction::triggered, this, [this] { bt_helpClick(); });
    connect(word1, &QAction::triggered, this, [this] { word1Click(); });
    ui::ThemeTargets themed;
    themed.window = this;
    themed.panels = {m_toolbar,
                     findChild<QWidget *>(QStringLiteral("Panel2")),
                     findChild<QGroupBox *>(QStringLiteral("GroupBox_content")),
                     Panel1,
                     findChild<QGroupBox *>(QStringLiteral("GroupBox_handler")),
                     findChild<QGroupBox *>(QStringLiteral("GroupBox_leader")),
                     statusBar()};
    themed.lists = {DBGrid_notice, DBgrid_item};
    new ui::MainWindowThemes(findChild<QMenu *>(QStringLiteral("N22")), themed, this);
}

// The windows of this block are made when opened (unless one is still open),
// shown modally and released when closed.
void TF_main::passwordClick()
{
    if (findChild<QDialog *>(QStringLiteral("F_password")))
        return;
    auto *window = new TF_password(m_dm, this);
    window->setUserSwitch([this] { user_switchExecute(); });
    window->exec();
}

void TF_main::N16Click()
{
    if (findChild<QDialog *>(QStringLiteral("F_about")))
        return;
    (new TF_about(this))->exec();
}

void TF_main::N14Click()
{
    ui::startConfigurationProgram();
}

void TF_main::Html1Click()
{
    ui::openDocument(ui::htmlManualPath());
}

void TF_main::bt_helpClick()
{
    ui::openDocument(ui::htmlManualPath());
}

void TF_main::word1Click()
{
    ui::openDocument(ui::wordManualPath());
}

void TF_main::M_historyClick()
{
    // The notice in the header fields: the one selected in the list, or the
    // one being edited. Whoever sees it may see its history.
    const NamedQuery &notices = *m_dm.aq_notice;
    const QString id = notices.isActive() ? notices.value(QStringLiteral("ID")).toString() : QString();
    if (id.isEmpty()) {
        messages::inform(QStringLiteral("请先在列表中选择一张通知单，再查看它的历史。"));
        return;
    }
    if (findChild<QDialog *>(QStringLiteral("TF_history")))
        return;
    messages::guarded([&] {
        TF_history window(m_dm, id, this);
        window.exec();
    });
}

void TF_main::M_deletedClick()
{
    if (!mayRestoreNotices(CurrentUser) || findChild<QDialog *>(QStringLiteral("TF_deleted")))
        return;
    QStringList restored;
    {
        TF_deleted window(m_dm, this);
        window.exec();
        restored = window.restored();
    }
    // A restored notice shows in the lists as it is now, unless a notice is
    // being edited, whose edit must stay.
    if (!restored.isEmpty() && m_dm.aq_notice->state() == NamedQuery::State::Browsing && m_dm.aq_notice->isActive()) {
        run([this] { m_dm.aq_notice->reopen(); });
        checkshow();
    }
}
