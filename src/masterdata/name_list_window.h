#pragma once
// The window of one name list (TF_company, TF_buildtype, TF_runtype,
// TF_othertype): list, add with an empty-name and a duplicate check, delete.
// One class, configured by the list it keeps.

#include "name_lists.h"
#include "window_form.h"

class EditableGrid;
class NamedQuery;
class QLineEdit;
class QPushButton;
class QTableView;
class Tdm;

class TF_namelist : public masterdata::MasterDataWindow
{
    Q_OBJECT
public:
    TF_namelist(Tdm &dm, const masterdata::NameList &list, QWidget *parent = nullptr);

    void FormShow() override;
    void gridCellClick();
    void bt_addClick();
    void bt_saveClick();
    void bt_delClick();

    QTableView *grid;
    QLineEdit *DBEdit1;
    QPushButton *bt_add;
    QPushButton *bt_save;
    QPushButton *bt_del;

protected:
    NamedQuery *editedQuery() const override { return &m_query; }

private:
    const masterdata::NameList &m_list;
    NamedQuery &m_query;
    EditableGrid *m_grid;
};
