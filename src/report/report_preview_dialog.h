#pragma once

#include "report/prepared_report.h"
#include "report/report_layout.h"

#include <QDialog>
#include <QList>
#include <QPrinter>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPainter;
class ReportPageView;
class QSpinBox;
class QToolBar;

// The modal preview of prepared reports: zoom, page navigation, find, print, save
// as PDF or (for reports that carry a table) as CSV, and close. Controls carry
// object names (act_zoomIn, act_nextPage, sb_page, ed_find, ...) so that tests and
// accessibility tools can find them. Saving offers the folder used last.
class ReportPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ReportPreviewDialog(QList<PreparedReport> reports, QWidget *parent = nullptr);

    ~ReportPreviewDialog() override;

    // The pages, painted as they come into view (object name previewWidget).
    ReportPageView *pageView() const { return m_preview; }
    // The match shown highlighted; invalid when none.
    ReportMatch currentMatch() const { return m_match; }

    // Asks for the file to save to (title, suggested path, filter); an empty
    // text cancels. Tests replace it; an empty function restores the dialog.
    using FileChooser =
        std::function<QString(QWidget *parent, const QString &title, const QString &suggested, const QString &filter)>;
    static void setFileChooser(FileChooser chooser);
    // The folder offered first when saving: the one used last.
    static QString lastFolder();
    // The printer chosen last in the print dialog, offered first the next time.
    static QString lastPrinter();

private:
    QAction *addToolAction(const QString &objectName, const QString &text, const QKeySequence &shortcut = {});
    void printReports();
    void savePdf();
    void saveCsv();
    QString chooseFile(const QString &title, const QString &suffix, const QString &filter);
    void paintPage(QPainter *painter, int page);
    void findNext();
    void showPageState();

    QList<PreparedReport> m_reports;
    QPrinter m_printer;
    ReportPageView *m_preview = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCountLabel = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLineEdit *m_findEdit = nullptr;
    QLabel *m_findState = nullptr;
    std::unique_ptr<ReportLayout> m_layout;  // laid out once, on the preview's printer
    ReportMatch m_match;
};
