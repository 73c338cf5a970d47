#pragma once
// Bill management: the printed notices of the user's section waiting for a
// bill number, the issued bills that can still be voided, and the voided
// bills. Opened modally from the main window by section members with the bill
// right; every handler hands its work to the bill operations.

#include "db/sql_statement.h"

#include <QDialog>
#include <functional>

class NamedQuery;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class Tdm;

namespace finance {

class TF_cjkpj : public QDialog
{
    Q_OBJECT
public:
    explicit TF_cjkpj(Tdm &dm, QWidget *parent = nullptr);
    ~TF_cjkpj() override;

    // Handlers.
    void FormShow();
    void DBGrid1CellClick();
    void Button1Click();
    void DBGrid2CellClick();
    void button3Click();
    void Button8Click();
    void Button9Click();
    void Button2Click();
    void button6Click();
    void Button5Click();
    void Button10Click();
    void Button7Click();

    // Area 1: notices not yet billed.
    QGroupBox *GroupBox1;
    QTableView *DBGrid1;
    QLabel *Label1;
    QLineEdit *Edit1;
    QLabel *Label2;
    QLineEdit *Edit2;
    QLabel *Label5;
    QLineEdit *Edit5;
    QPushButton *Button8;
    QPushButton *Button9;
    QPushButton *Button1;
    // How many bill numbers this year skipped (bill_gaps.h).
    QLabel *Label_skipped;

    // Area 2: bills issued and not yet counted.
    QGroupBox *GroupBox2;
    QTableView *DBGrid2;
    QLabel *Label3;
    QLineEdit *Edit3;
    QPushButton *button6;
    QPushButton *Button2;
    QPushButton *button3;

    // Area 3: voided bills.
    QGroupBox *GroupBox3;
    QTableView *DBGrid3;
    QLabel *Label4;
    QLineEdit *Edit4;
    QPushButton *Button5;
    QLabel *Label6;
    QLineEdit *Edit6;
    QPushButton *Button10;
    QPushButton *Button7;

    // The queries of the lower two areas belong to the window.
    NamedQuery *aq_pjyk;
    NamedQuery *aq_pjfp;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildArea1();
    void buildArea2();
    void buildArea3();
    // The Alt keys of the areas, fields and buttons, and the lists' names.
    void setAccessKeys();
    void connectHandlers();
    // Reads the counter into Edit1 and Edit2.
    void showProposedNumber();
    void showSkippedNumbers();
    void openArea(NamedQuery &query, const Statement &statement);
    bool run(const std::function<void()> &handler);

    Tdm &m_dm;
    // The smallest usable number as last shown in Edit1.
    int m_shownNumber = 0;
};

}  // namespace finance
