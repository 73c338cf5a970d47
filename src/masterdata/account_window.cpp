#include "account_window.h"

#include "accounts.h"
#include "audit_trail.h"
#include "reset_password_window.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "app/editable_grid.h"
#include "app/messages.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "db/user_refusal.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace masterdata {

namespace {

const QString kName = QStringLiteral("name");
const QString kNickname = QStringLiteral("nickname");
const QString kPassword = QStringLiteral("password");
const QString kTypeId = QStringLiteral("typeid");

QString roleShown(const QVariant &v)
{
    return codes::roleText(v.toInt());
}

QVariant roleStored(const QString &text)
{
    return codes::roleCodeFromText(text);
}

QString rightShown(const QVariant &v)
{
    return codes::rightText(v.toInt());
}

QVariant rightStored(const QString &text)
{
    return codes::rightCodeFromText(text);
}

}  // namespace

AccountWindow::AccountWindow(NamedQuery &query, const QString &objectName, const QString &caption, const char *gridName,
                             bool withRights, int nameBytes, QWidget *parent)
    : MasterDataWindow(objectName, caption, parent), m_query(query)
{
    resize(withRights ? 600 : 480, 440);
    auto *column = new QVBoxLayout(this);

    grid = named(new QTableView(this), gridName);
    QList<ColumnProxyModel::Column> columns{
        {QStringLiteral("Name"), QStringLiteral("姓名"), {}},
        {QStringLiteral("Nickname"), QStringLiteral("登录名"), {}},
        {QStringLiteral("typeid"), QStringLiteral("身份"), roleShown},
    };
    if (withRights)
        columns << ColumnProxyModel::Column{QStringLiteral("checker"), QStringLiteral("审核权"), rightShown,
                                            Qt::AlignCenter}
                << ColumnProxyModel::Column{QStringLiteral("admin"), QStringLiteral("开票据"), rightShown,
                                            Qt::AlignCenter};
    m_grid = new EditableGrid(query, grid, columns, this);
    grid->setColumnWidth(0, 90);
    grid->setColumnWidth(1, 90);
    grid->setColumnWidth(2, 130);
    grid->setColumnWidth(3, 80);
    column->addWidget(grid, 1);

    auto *form = new QGridLayout;
    DBEdit1 = named(new QLineEdit(this), "DBEdit1");
    DBEdit2 = named(new QLineEdit(this), "DBEdit2");
    DBEdit3 = named(new QLineEdit(this), "DBEdit3");
    Label7 = label(QStringLiteral("初始密码"), "Label7");
    DBComboBox1 = named(new QComboBox(this), "DBComboBox1");
    form->addWidget(label(QStringLiteral("真实姓名"), "Label2"), 0, 0);
    form->addWidget(DBEdit1, 0, 1);
    form->addWidget(label(QStringLiteral("登录名"), "Label3"), 0, 2);
    form->addWidget(DBEdit2, 0, 3);
    form->addWidget(Label7, 0, 4);
    form->addWidget(DBEdit3, 0, 5);
    form->addWidget(label(QStringLiteral("身份"), "Label4"), 1, 0);
    form->addWidget(DBComboBox1, 1, 1);
    if (withRights) {
        m_checker = named(new QComboBox(this), "DBComboBox2");
        m_admin = named(new QComboBox(this), "DBComboBox3");
        for (QComboBox *right : {m_checker, m_admin})
            right->addItems({codes::rightText(1), codes::rightText(0)});
        form->addWidget(label(QStringLiteral("申核权"), "Label5"), 1, 2);
        form->addWidget(m_checker, 1, 3);
        form->addWidget(label(QStringLiteral("开票权"), "Label6"), 1, 4);
        form->addWidget(m_admin, 1, 5);
    }
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);
    form->setColumnStretch(5, 1);
    column->addLayout(form);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bt_add = button(QStringLiteral("增加"), "bt_add");
    bt_save = button(QStringLiteral("保存"), "bt_save");
    bt_del = button(QStringLiteral("删除"), "bt_del");
    for (QPushButton *b : {bt_add, bt_save, bt_del})
        buttons->addWidget(b);
    column->addLayout(buttons);

    m_grid->bindText(DBEdit1, kName, nameBytes);
    m_grid->bindText(DBEdit2, kNickname, kNicknameBytes);
    m_grid->bindText(DBEdit3, kPassword, kPasswordBytes);
    m_grid->bindChoice(DBComboBox1, kTypeId, roleShown, roleStored);
    if (withRights) {
        m_grid->bindChoice(m_checker, QStringLiteral("checker"), rightShown, rightStored);
        m_grid->bindChoice(m_admin, QStringLiteral("admin"), rightShown, rightStored);
    }
    grid->setAccessibleName(QStringLiteral("人员列表"));
    setAccessKeys({{"Label2", 'N', "DBEdit1"},
                   {"Label3", 'L', "DBEdit2"},
                   {"Label7", 'I', "DBEdit3"},
                   {"Label4", 'R', "DBComboBox1"},
                   {"Label5", 'C', "DBComboBox2"},
                   {"Label6", 'B', "DBComboBox3"},
                   {"bt_add", 'A'},
                   {"bt_save", 'S'},
                   {"bt_del", 'D'}});
    // Changing a role never takes the last leader of a section out of office.
    m_grid->setStoreCheck(checkRoleChange);
    // Every stored change of an account enters the trail under the
    // administrator's name (the window lives while one user is logged in).
    m_grid->setStoreRecorder(storeRecorder(QStringLiteral("person"), CurrentUser));
}

void AccountWindow::beginAdding(int role)
{
    m_query.insert();
    m_query.setValue(kTypeId, role);
    m_grid->refreshFields();
}

bool AccountWindow::storeAdded(int nameBytes)
{
    switch (storeNewAccount(m_query, nameBytes, CurrentUser)) {
    case NewAccount::FieldsEmpty:
        messages::inform(kAccountFieldsEmpty);
        for (QLineEdit *field : {DBEdit1, DBEdit2, DBEdit3})
            if (field->text().isEmpty()) {
                field->setFocus();
                break;
            }
        return false;
    case NewAccount::LoginNameTaken:
        messages::inform(kLoginNameTaken);
        m_query.setValue(kNickname, QString());
        DBEdit2->setFocus();
        return false;
    case NewAccount::Stored:
        break;
    }
    return true;
}

}  // namespace masterdata

using masterdata::AccountWindow;

// --- TF_useradmin -----------------------------------------------------------

TF_useradmin::TF_useradmin(Tdm &dm, QWidget *parent)
    : AccountWindow(*dm.aq_useradmin, QStringLiteral("F_useradmin"), QStringLiteral("用户管理"), "DBGrid_useradmin",
                    true, masterdata::kSectionNameBytes, parent)
{
    DBComboBox2 = m_checker;
    DBComboBox3 = m_admin;
    Label1 = label(QString(), "Label1");
    QFont heading = Label1->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    heading.setBold(true);
    Label1->setFont(heading);
    Label1->setAlignment(Qt::AlignCenter);
    static_cast<QVBoxLayout *>(layout())->insertWidget(0, Label1);

    bt_modify = button(QStringLiteral("修改"), "bt_modify");
    bt_password = button(QStringLiteral("重置密码"), "bt_password");
    bt_password->setToolTip(QStringLiteral("为本科室工作人员设置新密码"));
    auto *buttons = static_cast<QHBoxLayout *>(layout()->itemAt(layout()->count() - 1)->layout());
    buttons->addWidget(bt_modify);
    buttons->addWidget(bt_password);

    setAccessKeys({{"bt_modify", 'E'}, {"bt_password", 'P'}});

    onClick(bt_add, [this] { bt_addClick(); });
    onClick(bt_save, [this] { bt_saveClick(); });
    onClick(bt_del, [this] { bt_delClick(); });
    onClick(bt_modify, [this] { bt_modifyClick(); });
    onClick(bt_password, [this] { bt_passwordClick(); });
    connect(m_grid, &EditableGrid::rowClicked, this, [this] { run([this] { DBGrid_useradminCellClick(); }); });
}

void TF_useradmin::setFieldsEnabled(bool enabled)
{
    for (QWidget *w : {DBEdit1, DBEdit2, DBEdit3})
        w->setEnabled(enabled);
}

void TF_useradmin::setChoicesEnabled(bool enabled)
{
    for (QWidget *w : {DBComboBox1, DBComboBox2, DBComboBox3})
        w->setEnabled(enabled);
}

void TF_useradmin::FormShow()
{
    m_modifying = false;
    grid->setEnabled(true);
    Label7->hide();
    DBEdit3->hide();
    bt_save->setEnabled(false);
    bt_del->setEnabled(false);
    bt_modify->setEnabled(false);
    bt_password->setEnabled(false);
    bt_add->setEnabled(true);
    setFieldsEnabled(false);
    setChoicesEnabled(false);

    const std::optional<masterdata::AccountSection> section = masterdata::accountSection(CurrentUser.typeId);
    DBComboBox1->clear();
    if (!section) {
        // Only the two section leaders are offered this window.
        Label1->setText(QStringLiteral("用户管理"));
        bt_add->setEnabled(false);
        m_query.close();
        return;
    }
    DBComboBox1->addItems(section->roleTexts);
    Label1->setText(section->heading);
    m_query.open(section->listStatement);
}

void TF_useradmin::DBGrid_useradminCellClick()
{
    const bool named = m_query.currentRow() >= 0 && !m_query.value(QStringLiteral("name")).toString().isEmpty();
    bt_modify->setEnabled(named);
    bt_del->setEnabled(named);
    // Only a clerk of the section, and not while a change is being made.
    const std::optional<masterdata::AccountSection> section = masterdata::accountSection(CurrentUser.typeId);
    bt_password->setEnabled(named && section && !m_modifying
                            && m_query.value(QStringLiteral("typeid")).toInt() == section->newAccountRole);
}

void TF_useradmin::bt_addClick()
{
    const std::optional<masterdata::AccountSection> section = masterdata::accountSection(CurrentUser.typeId);
    if (!section || !m_query.isActive())
        return;
    bt_add->setEnabled(false);
    bt_del->setEnabled(false);
    bt_modify->setEnabled(false);
    bt_password->setEnabled(false);
    bt_save->setEnabled(true);
    setFieldsEnabled(true);
    setChoicesEnabled(true);
    Label7->show();
    DBEdit3->show();
    beginAdding(section->newAccountRole);
    grid->setEnabled(false);
    DBEdit1->setFocus();
}

void TF_useradmin::bt_modifyClick()
{
    m_modifying = true;
    setChoicesEnabled(true);
    bt_add->setEnabled(false);
    bt_del->setEnabled(false);
    bt_modify->setEnabled(false);
    bt_password->setEnabled(false);
    bt_save->setEnabled(true);
}

void TF_useradmin::bt_saveClick()
{
    if (m_modifying) {
        // Whatever the row holds is stored; a refusal keeps the window modifying.
        m_grid->store();
        m_modifying = false;
    } else {
        if (!storeAdded(masterdata::kSectionNameBytes))
            return;
        if (const auto section = masterdata::accountSection(CurrentUser.typeId))
            Label1->setText(section->heading);
        Label7->hide();
        DBEdit3->hide();
        grid->setEnabled(true);
    }
    bt_add->setEnabled(true);
    bt_del->setEnabled(false);
    bt_save->setEnabled(false);
    bt_modify->setEnabled(false);
    bt_password->setEnabled(false);
    setFieldsEnabled(false);
    setChoicesEnabled(false);
}

void TF_useradmin::bt_delClick()
{
    masterdata::deleteAccount(m_query, CurrentUser);
    bt_del->setEnabled(false);
    bt_modify->setEnabled(false);
    bt_password->setEnabled(false);
}

void TF_useradmin::bt_passwordClick()
{
    if (m_query.currentRow() < 0 || m_query.state() != NamedQuery::State::Browsing)
        return;
    const QString nickname = m_query.value(QStringLiteral("nickname")).toString();
    const QString name = m_query.value(QStringLiteral("name")).toString();
    QSqlDatabase db = m_query.database();
    TF_resetpassword dialog(QStringLiteral("%1（%2）").arg(name, nickname), this);
    dialog.setReset([db, nickname](const QString &password, const QString &repeated) {
        masterdata::resetPassword(db, CurrentUser, nickname, password, repeated);
    });
    dialog.exec();
}

// --- TF_money ---------------------------------------------------------------

TF_money::TF_money(Tdm &dm, QWidget *parent)
    : AccountWindow(*dm.aq_money, QStringLiteral("F_money"), QStringLiteral("财务人员管理"), "DBGrid_money", false,
                    masterdata::kFinanceNameBytes, parent)
{
    DBComboBox1->addItems({codes::roleText(codes::RoleFinanceStaff), codes::roleText(codes::RoleFinanceLeader)});

    onClick(bt_add, [this] { bt_addClick(); });
    onClick(bt_save, [this] { bt_saveClick(); });
    onClick(bt_del, [this] { bt_delClick(); });
    connect(m_grid, &EditableGrid::rowClicked, this, [this] { run([this] { DBGrid_moneyCellClick(); }); });
    connect(m_grid, &EditableGrid::choicePicked, this, [this](QComboBox *combo) {
        if (combo == DBComboBox1)
            run([this] { DBComboBox1Change(); });
    });
}

void TF_money::FormShow()
{
    grid->setEnabled(true);
    Label7->hide();
    DBEdit3->hide();
    bt_save->setEnabled(false);
    bt_del->setEnabled(false);
    bt_add->setEnabled(true);
    DBEdit1->setEnabled(false);
    DBEdit2->setEnabled(false);
    m_query.open(masterdata::kFinanceListStatement);
}

void TF_money::DBGrid_moneyCellClick()
{
    bt_del->setEnabled(m_query.currentRow() >= 0 && !m_query.value(QStringLiteral("name")).toString().isEmpty());
}

void TF_money::bt_addClick()
{
    if (!m_query.isActive())
        return;
    bt_add->setEnabled(false);
    bt_del->setEnabled(false);
    bt_save->setEnabled(true);
    DBEdit1->setEnabled(true);
    DBEdit2->setEnabled(true);
    Label7->show();
    DBEdit3->show();
    beginAdding(masterdata::kNewFinanceRole);
    grid->setEnabled(false);
    DBEdit1->setFocus();
}

void TF_money::bt_saveClick()
{
    if (m_query.state() != NamedQuery::State::Inserting || !storeAdded(masterdata::kFinanceNameBytes))
        return;
    bt_add->setEnabled(true);
    bt_del->setEnabled(false);
    bt_save->setEnabled(false);
    DBEdit1->setEnabled(false);
    DBEdit2->setEnabled(false);
    Label7->hide();
    DBEdit3->hide();
    grid->setEnabled(true);
}

void TF_money::bt_delClick()
{
    masterdata::deleteAccount(m_query, CurrentUser);
    bt_del->setEnabled(false);
}

void TF_money::DBComboBox1Change()
{
    // While adding, the pick only sets the new account's role.
    if (m_query.state() == NamedQuery::State::Inserting)
        return;
    if (DBEdit3->text().isEmpty() || DBEdit2->text().isEmpty() || DBEdit1->text().isEmpty()) {
        m_query.cancel();  // the drop-down shows the stored role again
        messages::inform(masterdata::kAccountFieldsEmpty);
        return;
    }
    try {
        m_grid->store();
    } catch (const UserRefusal &) {
        m_query.cancel();
        throw;
    }
    m_query.edit();
}
