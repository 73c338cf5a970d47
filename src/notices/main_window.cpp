#include "main_window.h"

#include "configure.h"
#include "field_binding.h"
#include "notice_lists.h"

#include "app/codes.h"
#include "app/column_proxy_model.h"
#include "app/current_user.h"
#include "app/list_view.h"
#include "app/menu_tidy.h"
#include "db/named_query.h"
#include "db/row_set_model.h"
#include "db/tdm.h"
#include "session/login_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

TF_main::TF_main(Tdm &dm, QWidget *parent) : QMainWindow(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("F_main"));
    notices::configure(m_dm);
    setWindowTitle(QStringLiteral("Nollard"));
    // It opens at 808 by 580 and never gets smaller; made larger, the notice
    // list takes the room (more rows, wider columns).
    setMinimumSize(808, 580);
    resize(808, 580);

    buildToolbar();
    buildMenus();
    keepMenusTidy(menuBar());

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel_central"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 0);
    column->setSpacing(4);

    DBGrid_notice = new QTableView(central);
    DBGrid_notice->setObjectName(QStringLiteral("DBGrid_notice"));
    auto *list = new ColumnProxyModel({{QStringLiteral("ID"), QStringLiteral("流水号"), {}},
                                       {QStringLiteral("status"), QStringLiteral("状态"),
                                        [](const QVariant &v) { return codes::stateText(v.toInt()); }, Qt::AlignCenter},
                                       {QStringLiteral("Rdate"), QStringLiteral("日期和时间"), dateTimeText},
                                       {QStringLiteral("shipname"), QStringLiteral("缴费船只，个人"), {}},
                                       {QStringLiteral("department"), QStringLiteral("通知缴费部门"), {}},
                                       {QStringLiteral("handler"), QStringLiteral("经办人"), {}},
                                       {QStringLiteral("leader"), QStringLiteral("审核人"), {}}},
                                      DBGrid_notice);
    list->setSourceModel(m_dm.aq_notice->model());
    DBGrid_notice->setModel(list);
    // A list read again changes only the rows that differ: the window
    // repaints what changed, and the grid's place is set by the current row.
    m_dm.aq_notice->model()->setReplacesInPlace(true);
    DBGrid_notice->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_notice->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_notice->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_notice->verticalHeader()->setDefaultSectionSize(20);
    DBGrid_notice->verticalHeader()->setFixedWidth(14);
    const int widths[] = {62, 226, 128, 130, 80, 52};
    for (int i = 0; i < 6; ++i)
        DBGrid_notice->setColumnWidth(i, widths[i]);
    // The date column is as wide as the workstation's date and time format
    // needs, seconds included (a two-digit day, month and hour as the widest
    // case); the wide state column gives up what it takes, so the list still
    // fits the window.
    const QString widestTime = dateTimeText(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)));
    const int dateWidth = std::max(widths[2], DBGrid_notice->fontMetrics().horizontalAdvance(widestTime) + 14);
    DBGrid_notice->setColumnWidth(2, dateWidth);
    DBGrid_notice->setColumnWidth(1, widths[1] - (dateWidth - widths[2]));
    // The last column takes the room left, and never less than its width
    // before it stretched: that width is kept narrow, so that the column
    // still ends at the grid's edge when the vertical scroll bar appears.
    DBGrid_notice->setColumnWidth(6, 52);
    DBGrid_notice->horizontalHeader()->setStretchLastSection(true);
    addListTools(DBGrid_notice);
    column->addWidget(DBGrid_notice, 1);

    auto *bottom = new QWidget(central);
    auto *bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(0, 0, 0, 0);
    auto *left = new QWidget(bottom);
    left->setLayout(new QVBoxLayout);
    left->layout()->setContentsMargins(0, 0, 0, 0);
    auto *right = new QWidget(bottom);
    right->setLayout(new QVBoxLayout);
    right->layout()->setContentsMargins(0, 0, 0, 0);
    right->setFixedWidth(200);
    buildContentArea(left);
    buildHandlerArea(right);
    buildLeaderArea(right);
    bottomRow->addWidget(left, 1);
    bottomRow->addWidget(right);
    column->addWidget(bottom);
    setCentralWidget(central);

    buildStatusBar();
    buildShortcuts();
    buildAccessKeys();
    buildTabOrder();
    bindFields();
    connectHandlers();

    DBCb_company->installEventFilter(this);
    DBCb_company->lineEdit()->installEventFilter(this);
    DBCb_checkcontent->installEventFilter(this);
}

TF_main::~TF_main() = default;

void TF_main::quitProgram()
{
    QCoreApplication::quit();
}

void TF_main::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program, without a question and
    // without storing a notice in editing.
    event->accept();
    quitProgram();
}

void TF_main::loadToolbarPictures()
{
    for (const auto &[action, picture] : std::as_const(m_toolbarPictures))
        action->setIcon(style()->standardIcon(QStyle::StandardPixmap(picture)));
    m_toolbarPictures.clear();
}

void TF_main::showEvent(QShowEvent *event)
{
    loadToolbarPictures();
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TF_main::eventFilter(QObject *watched, QEvent *event)
{
    // The pick lists are refilled when the user enters the field. The box
    // also gets the focus back when its own drop-down closes: refilling then
    // would replace the list under the click that is being applied.
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        if (watched == DBCb_company || watched == DBCb_company->lineEdit())
            run([this] { DBCb_companyEnter(); });
        else if (watched == DBCb_checkcontent)
            run([this] { DBCb_checkcontentEnter(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TF_main::showCurrentRowInGrid()
{
    // The grid follows the query's current row without running the selection.
    m_syncingGrid = true;
    const int row = m_dm.aq_notice->currentRow();
    if (row >= 0) {
        const QModelIndex current = DBGrid_notice->model()->index(row, 0);
        DBGrid_notice->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect
                                                                      | QItemSelectionModel::Rows);
        DBGrid_notice->scrollTo(current);
    } else {
        DBGrid_notice->selectionModel()->clear();
    }
    m_syncingGrid = false;
}

void TF_main::onGridRowChanged(int row)
{
    if (m_syncingGrid || row < 0)
        return;
    m_dm.aq_notice->setCurrentRow(row);
    // The buttons are always evaluated for the row that is current now, whether
    // the user clicked it or moved there with the keyboard.
    DBGrid_noticeCellClick();
}
