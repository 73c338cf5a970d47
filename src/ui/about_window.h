#pragma once
// The about box: the program's picture, its title and its version. A click on
// the background closes it; the picture and the texts do not react to clicks.

#include <QDialog>

class QLabel;

class TF_about : public QDialog
{
    Q_OBJECT
public:
    explicit TF_about(QWidget *parent = nullptr);

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;

    void FormClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
