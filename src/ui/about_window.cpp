#include "about_window.h"

#include "emblem.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

TF_about::TF_about(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("F_about"));
    setWindowTitle(QStringLiteral("关于本软件"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(340, 170);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ui::emblemPixmap(96));
    Label1 = new QLabel(QStringLiteral("Nollard"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont title = Label1->font();
    title.setPointSize(title.pointSize() * 2);
    title.setBold(true);
    Label1->setFont(title);
    Label2 = new QLabel(QStringLiteral("第二版  Build0825"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    // A click on the picture or a text stays there instead of closing the box.
    for (QLabel *l : {Image1, Label1, Label2})
        l->setAttribute(Qt::WA_NoMousePropagation);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->setHorizontalSpacing(20);
    grid->addWidget(Image1, 0, 0, 2, 1);
    grid->addWidget(Label1, 0, 1, Qt::AlignBottom);
    grid->addWidget(Label2, 1, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
}

void TF_about::FormClick()
{
    close();
}

void TF_about::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FormClick();
    QDialog::mousePressEvent(event);
}
