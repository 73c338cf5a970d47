#pragma once
// The main window: where all notice work happens and every other window opens.

#include <QMainWindow>

class Tdm;

class TF_main : public QMainWindow
{
    Q_OBJECT
public:
    explicit TF_main(Tdm &dm, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Tdm &m_dm;
};
