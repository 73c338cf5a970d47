#pragma once
// The application object. Every event handler of every window runs inside its
// notify(), so an error that a handler does not handle itself ends here and
// goes to the general error display; the program keeps running.

#include <QApplication>

class NollardApplication : public QApplication
{
public:
    NollardApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
