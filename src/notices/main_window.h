#pragma once
// The main window: where all notice work happens and every other window opens.
// Its controls are grouped into work areas switched on and off as a whole by
// named actions; checkshow brings it into the resting state of the user's role.

#include <QMainWindow>

#include <functional>

class FieldBinding;
class StateBatch;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolBar;
class TF_item;
class TF_login;
class Tdm;
enum class NoticeList;

class TF_main : public QMainWindow
{
    Q_OBJECT
public:
    explicit TF_main(Tdm &dm, QWidget *parent = nullptr);
    ~TF_main() override;

    // The login window that the identity switch returns to.
    void setLoginWindow(TF_login *login) { m_login = login; }
    // The fee-line editor, made once at start-up and shown for every notice.
    void setItemEditor(TF_item *editor) { m_itemEditor = editor; }

    // Work-area actions.
    void freeze_search();
    void active_search();
    void freeze_status();
    void freeze_content();
    void active_content();
    void freeze_memo();
    void active_memo();
    void freeze_handler();
    void freeze_leader();
    void freeze_newed();
    void freeze_all();
    void freeze_menu();
    void visible_memo();
    void invisible_memo();
    void dbgird_notice_check();
    // The resting state of the user's role, the list grid's state included.
    void checkshow();
    // The identity switch: back to the login window, no notice list left open.
    void user_switchExecute();

    // Handlers.
    void FormShow();
    void listClick(NoticeList list);
    void bt_searchClick();
    void bt_clearClick();
    void bt_newClick();
    void bt_saveClick();
    void bt_modifyClick();
    void bt_DelClick();
    void bt_checknowClick();
    void bt_badchecknowClick();
    void bt_totalmoneyClick();
    void bt_printClick();
    void DBGrid_noticeCellClick();
    void DBCb_companyEnter();
    void DBCb_checkcontentEnter();
    void passwordClick();
    void N16Click();
    void N14Click();
    void Html1Click();
    void bt_helpClick();
    void word1Click();
    void M_historyClick();
    void M_deletedClick();

    QString rightsText() const { return m_rightsText; }

    // Toolbar.
    QLineEdit *Edit_searchid;
    QPushButton *bt_clear;
    QPushButton *bt_search;
    QAction *bt_nochecked;
    QAction *bt_checked;
    QAction *bt_printed;
    QAction *bt_payed;
    QAction *bt_badchecked;
    QAction *bt_report;
    QAction *bt_pj;
    QAction *bt_caiwu;
    QAction *bt_help;
    QAction *bt_switch;
    QAction *bt_exit;

    // Menus.
    QAction *M_useradmin;
    QAction *M_money;
    QAction *M_cwitem;
    QAction *M_cjitem;
    QAction *M_company;
    QAction *M_buildtype;
    QAction *M_runtype;
    QAction *M_other;
    // The trail of master data changes (leaders).
    QAction *M_audit;
    QAction *M_report;
    // The selected notice's history; the section's deleted notices (leaders).
    QAction *M_history;
    QAction *M_deleted;
    QAction *M_cjkpj;
    QAction *M_caiwu;
    QAction *N12;
    QAction *SwitchUser;
    QAction *password;
    QAction *N14;
    QAction *Html1;
    QAction *word1;
    QAction *N16;

    QTableView *DBGrid_notice;

    // Content area.
    QLabel *Label_date;
    QLineEdit *dbedit_date;
    QLabel *Label_Id;
    QLineEdit *DBEdit_ID;
    QLabel *Label_dept;
    QLineEdit *DBEdit_dept;
    QLabel *Label_shipname;
    QLineEdit *DBEdit_shipname;
    QLabel *Label_totalmoney;
    QLineEdit *DBedit_money;
    QPushButton *bt_totalmoney;
    QLabel *Label_item;
    QTableView *DBgrid_item;
    QLabel *Label_memo;
    QLabel *lable_checktype;
    QComboBox *DBcb_checktype;
    QLabel *lable_checkcontent;
    QComboBox *DBCb_checkcontent;
    QLabel *Label_company;
    QComboBox *DBCb_company;
    QFrame *Panel1;
    QLabel *Label_memo_cw;
    QCheckBox *dbck_dengji;
    QCheckBox *dbck_peixun;
    QCheckBox *dbck_gongbenfei;
    QCheckBox *dbck_neibuziliao;

    // Handler area.
    QLabel *Label_handler;
    QLineEdit *DBEdit_handler;
    QPushButton *bt_new;
    QPushButton *bt_save;
    QPushButton *bt_print;
    QPushButton *bt_modify;
    QPushButton *bt_del;

    // Leader area.
    QLabel *Label_leader;
    QComboBox *DBCb_leader;
    QLabel *Label_leadernow;
    QLineEdit *Edit_leadernow;
    QPushButton *bt_checknow;
    QPushButton *bt_badchecknow;
    QLabel *Label_badcheck;
    QPlainTextEdit *DBMemo_badcheck;

    // Status bar panels.
    QLabel *StatusPanel1;
    QLabel *StatusPanel2;
    QLabel *StatusPanel3;
    // The database in use (kind and data source).
    QLabel *StatusPanel4;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbar();
    void buildMenus();
    void buildContentArea(QWidget *host);
    void buildHandlerArea(QWidget *host);
    void buildLeaderArea(QWidget *host);
    void buildStatusBar();
    // The usual keys: new, save, print, find, refresh the list.
    void buildShortcuts();
    // The Alt keys of the menus, buttons and labelled fields, and the names
    // a screen reader speaks.
    void buildAccessKeys();
    // The order in which Tab walks the fields and buttons.
    void buildTabOrder();
    void bindFields();
    void connectHandlers();
    // The menu items and toolbar buttons that open the secondary windows.
    void connectSecondaryWindows();
    // The states of widgets and actions: at once, or planned while the
    // resting state is worked out (see checkshow).
    void setAreaEnabled(const QList<QWidget *> &widgets, bool enabled);
    void setAreaVisible(const QList<QWidget *> &widgets, bool visible);
    void setItemEnabled(QAction *action, bool enabled);
    void setItemVisible(QAction *action, bool visible);
    bool isPlannedEnabled(const QWidget *widget) const;
    void showCurrentRowInGrid();
    void onGridRowChanged(int row);
    void afterStore();
    // The handlers' work on the notice query: the values gathered from it,
    // the operation called, the list read again as the workflow asks.
    void saveEditedNotice();
    void deleteListedNotice();
    void reviewListedNotice(bool approve);
    void printListedNotice();
    void showNoticeLines();
    // Runs a handler; an error goes to the general error display, a refusal
    // to a message box. Returns false when the handler did not finish.
    bool run(const std::function<void()> &handler);
    void quitProgram();

    Tdm &m_dm;
    TF_login *m_login = nullptr;
    TF_item *m_itemEditor = nullptr;
    FieldBinding *m_binding = nullptr;
    QString m_rightsText;
    bool m_syncingGrid = false;
    StateBatch *m_batch = nullptr;
    QToolBar *m_toolbar = nullptr;
    // The toolbar's pictures are loaded when the window is first shown, not
    // while the program starts and the login window waits to appear.
    QList<QPair<QAction *, int>> m_toolbarPictures;
    void loadToolbarPictures();
};
