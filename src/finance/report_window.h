#pragma once
// 统计报表: the window from which every user prints the collection progress
// tables, the inspection counts and the fee ledger. Handlers keep the controls'
// state and call the report builders; the reports go to the preview.

#include <QDialog>

class ColumnProxyModel;
class NamedQuery;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;
class Tdm;

class TF_report : public QDialog
{
    Q_OBJECT
public:
    explicit TF_report(Tdm &dm, QWidget *parent = nullptr);
    ~TF_report() override;

    // Handlers, by their control and event.
    void FormShow();
    void DBGrid1CellClick(int row);
    void bt_cwkClick();
    void bt_cjkClick();
    void ListBox1Click();
    void bt_static2Click();
    void edit4Enter();
    void bt_tzClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void printProgress(QPushButton *button, const QString &templatePath);

    Tdm &m_dm;
    NamedQuery *aq_static1;
    ColumnProxyModel *m_static1Columns;
    bool m_shown = false;
    int m_gridRow = -1;

    QTableView *DBGrid1;
    QPushButton *bt_cwk;
    QPushButton *bt_cjk;
    QListWidget *ListBox1;
    QPushButton *bt_static2;
    QLineEdit *Edit3;
    QLineEdit *Edit4;
    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QPushButton *bt_tz;
};
