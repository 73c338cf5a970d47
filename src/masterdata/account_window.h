#pragma once
// The account windows: TF_useradmin, where a section leader keeps the accounts
// of the own section with their review and bill rights, and TF_money, where
// the finance leader keeps the finance accounts. Both edit rows of person
// through the data module's queries; the grid never shows the password.

#include "window_form.h"

class EditableGrid;
class NamedQuery;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class Tdm;

namespace masterdata {

// What the two account windows share: the grid, the name, login name and
// initial password fields, the role drop-down and the add, save and delete
// buttons.
class AccountWindow : public MasterDataWindow
{
    Q_OBJECT
public:
    QTableView *grid;
    QLineEdit *DBEdit1;
    QLineEdit *DBEdit2;
    QLineEdit *DBEdit3;
    QLabel *Label7;
    QComboBox *DBComboBox1;
    QPushButton *bt_add;
    QPushButton *bt_save;
    QPushButton *bt_del;

protected:
    AccountWindow(NamedQuery &query, const QString &objectName, const QString &caption, const char *gridName,
                  bool withRights, int nameBytes, QWidget *parent);
    NamedQuery *editedQuery() const override { return &m_query; }

    // Puts the new account into the query with its role and opens the fields.
    void beginAdding(int role);
    // Stores the account being added; true when it was stored. A refusal is
    // told here, with the focus where the user corrects it.
    bool storeAdded(int nameBytes);
    // The right drop-downs of TF_useradmin (null in TF_money).
    QComboBox *m_checker = nullptr;
    QComboBox *m_admin = nullptr;

    NamedQuery &m_query;
    EditableGrid *m_grid;
};

}  // namespace masterdata

class TF_useradmin : public masterdata::AccountWindow
{
    Q_OBJECT
public:
    explicit TF_useradmin(Tdm &dm, QWidget *parent = nullptr);

    void FormShow() override;
    void DBGrid_useradminCellClick();
    void bt_addClick();
    void bt_saveClick();
    void bt_delClick();
    void bt_modifyClick();
    // A clerk of the section gets a new password, typed twice.
    void bt_passwordClick();

    bool modifying() const { return m_modifying; }

    QLabel *Label1;
    QComboBox *DBComboBox2;
    QComboBox *DBComboBox3;
    QPushButton *bt_modify;
    QPushButton *bt_password;

private:
    void setFieldsEnabled(bool enabled);
    void setChoicesEnabled(bool enabled);
    bool m_modifying = false;
};

class TF_money : public masterdata::AccountWindow
{
    Q_OBJECT
public:
    explicit TF_money(Tdm &dm, QWidget *parent = nullptr);

    void FormShow() override;
    void DBGrid_moneyCellClick();
    void bt_addClick();
    void bt_saveClick();
    void bt_delClick();
    void DBComboBox1Change();
};
