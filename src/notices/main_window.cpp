#include "main_window.h"

#include "app/tdm.h"

#include <QCloseEvent>
#include <QCoreApplication>

TF_main::TF_main(Tdm &dm, QWidget *parent) : QMainWindow(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("F_main"));
    setWindowTitle(QStringLiteral("Nollard"));
    setMaximumSize(808, 580);
    resize(808, 580);
}

void TF_main::closeEvent(QCloseEvent *event)
{
    event->accept();
    QCoreApplication::quit();
}
