#include "name_list_window.h"

#include "named_rows.h"

#include "app/current_user.h"
#include "app/editable_grid.h"
#include "app/messages.h"
#include "db/named_query.h"
#include "db/tdm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace masterdata;

namespace {

const QString kName = QStringLiteral("name");

}  // namespace

TF_namelist::TF_namelist(Tdm &dm, const NameList &list, QWidget *parent)
    : MasterDataWindow(list.windowName, list.caption, parent), m_list(list), m_query(*(dm.*list.query))
{
    resize(380, 420);
    auto *column = new QVBoxLayout(this);
    grid = new QTableView(this);
    grid->setObjectName(list.gridName);
    m_grid = new EditableGrid(m_query, grid, {{kName, list.columnTitle, {}}}, this);
    column->addWidget(grid, 1);

    auto *field = new QHBoxLayout;
    DBEdit1 = named(new QLineEdit(this), "DBEdit1");
    field->addWidget(label(list.fieldLabel, "Label1"));
    field->addWidget(DBEdit1, 1);
    column->addLayout(field);
    m_grid->bindText(DBEdit1, kName, list.nameBytes);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bt_add = button(QStringLiteral("增加"), "bt_add", [this] { bt_addClick(); });
    bt_save = button(QStringLiteral("保存"), "bt_save", [this] { bt_saveClick(); });
    bt_del = button(QStringLiteral("删除"), "bt_del", [this] { bt_delClick(); });
    for (QPushButton *b : {bt_add, bt_save, bt_del})
        buttons->addWidget(b);
    column->addLayout(buttons);

    grid->setAccessibleName(list.columnTitle);
    setAccessKeys({{"Label1", 'M', "DBEdit1"}, {"bt_add", 'A'}, {"bt_save", 'S'}, {"bt_del", 'D'}});

    connect(m_grid, &EditableGrid::rowClicked, this, [this] { run([this] { gridCellClick(); }); });
}

void TF_namelist::FormShow()
{
    bt_save->setEnabled(false);
    bt_del->setEnabled(false);
    bt_add->setEnabled(true);
    DBEdit1->setEnabled(false);
    m_query.open(QStringLiteral("select * from %1").arg(m_list.table));
}

void TF_namelist::gridCellClick()
{
    bt_del->setEnabled(m_query.currentRow() >= 0 && !m_query.value(kName).toString().isEmpty());
}

void TF_namelist::bt_addClick()
{
    if (!m_query.isActive())
        return;
    bt_save->setEnabled(true);
    bt_add->setEnabled(false);
    bt_del->setEnabled(false);
    DBEdit1->setEnabled(true);
    if (m_list.focusNameOnAdd)
        DBEdit1->setFocus();
    grid->setEnabled(false);
    m_query.insert();
    m_grid->refreshFields();
}

void TF_namelist::bt_saveClick()
{
    switch (storeNewName(m_query, m_list, CurrentUser)) {
    case NewName::Empty:
        messages::inform(m_list.emptyMessage);
        DBEdit1->setFocus();
        return;
    case NewName::Exists:
        messages::inform(m_list.existsMessage);
        DBEdit1->setFocus();
        return;
    case NewName::Stored:
        break;
    }
    bt_save->setEnabled(false);
    bt_del->setEnabled(false);
    bt_add->setEnabled(true);
    DBEdit1->setEnabled(false);
    grid->setEnabled(true);
}

void TF_namelist::bt_delClick()
{
    deleteName(m_query, m_list, CurrentUser);
    bt_del->setEnabled(false);
}
