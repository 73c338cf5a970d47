#pragma once
// The login window: the first window of the program and the one whose closing
// ends it.

#include <QWidget>

class NamedQuery;
class QLineEdit;
class QPushButton;

class TF_login : public QWidget
{
    Q_OBJECT
public:
    explicit TF_login(NamedQuery &aq_login, QWidget *parent = nullptr);

    // The window that a successful login shows in place of this one.
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QPushButton *bt_ok;
    QPushButton *bt_cancle;

    void bt_okClick();
    void bt_cancleClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool Edit1KeyPress(int key);
    bool Edit2KeyPress(int key);

    NamedQuery &m_aq_login;
    QWidget *m_mainWindow = nullptr;
};
