#pragma once
// The fee item catalogue windows TF_itemmodifycj and TF_itemmodifycw: add and
// delete items and move them up and down in the order that every new notice's
// fee lines follow. One class, configured by the catalogue it keeps.

#include "catalogue.h"
#include "window_form.h"

class EditableGrid;
class NamedQuery;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class Tdm;

class TF_itemmodify : public masterdata::MasterDataWindow
{
    Q_OBJECT
public:
    TF_itemmodify(Tdm &dm, const masterdata::Catalogue &catalogue, QWidget *parent = nullptr);

    void FormShow() override;
    void DBGrid_itemCellClick();
    void bt_addClick();
    void Bt_saveClick();
    void bt_delClick();
    void bt_upClick();
    void bt_downClick();

    QLabel *Label1;
    QTableView *DBGrid_item;
    QLineEdit *DBEdit1;
    QLineEdit *DBEdit2 = nullptr;      // unit price, ship affairs only
    QComboBox *DBComboBox1 = nullptr;  // fee type, ship affairs only
    QPushButton *bt_add;
    QPushButton *bt_save;
    QPushButton *bt_del;
    QPushButton *bt_up;
    QPushButton *bt_down;

protected:
    NamedQuery *editedQuery() const override { return m_query; }

private:
    void setFieldsEnabled(bool enabled);
    void move(int step);

    const masterdata::Catalogue &m_catalogue;
    NamedQuery *m_query;
    EditableGrid *m_grid;
};

// The ship inspection section's catalogue.
class TF_itemmodifycj : public TF_itemmodify
{
    Q_OBJECT
public:
    explicit TF_itemmodifycj(Tdm &dm, QWidget *parent = nullptr);
};

// The ship affairs section's catalogue: items with a unit price and a fee type.
class TF_itemmodifycw : public TF_itemmodify
{
    Q_OBJECT
public:
    explicit TF_itemmodifycw(Tdm &dm, QWidget *parent = nullptr);
};
