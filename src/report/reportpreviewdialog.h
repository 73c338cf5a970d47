#pragma once

#include "preparedreport.h"

#include <QDialog>
#include <QList>
#include <QPrinter>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QSpinBox;
class QToolBar;

// The modal preview of prepared reports: zoom, page navigation, print, save as PDF
// and close. Controls carry object names (act_zoomIn, act_nextPage, sb_page, ...)
// so that tests and accessibility tools can find them.
class ReportPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ReportPreviewDialog(QList<PreparedReport> reports, QWidget *parent = nullptr);

    QPrintPreviewWidget *previewWidget() const { return preview_; }

private:
    QAction *addToolAction(const QString &objectName, const QString &text, const QKeySequence &shortcut = {});
    void printReports();
    void savePdf();
    void showPageState();

    QList<PreparedReport> reports_;
    QPrinter printer_;
    QPrintPreviewWidget *preview_ = nullptr;
    QSpinBox *pageBox_ = nullptr;
    QLabel *pageCountLabel_ = nullptr;
    QToolBar *toolBar_ = nullptr;
};
