#include "reportpreviewdialog.h"

#include "reportpreview.h"
#include "reportprinter.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>

ReportPreviewDialog::ReportPreviewDialog(QList<PreparedReport> reports, QWidget *parent)
    : QDialog(parent), reports_(std::move(reports)), printer_(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("ReportPreviewDialog"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(980, 760);

    ReportPrinter::applyPageSetup(&printer_, reports_);
    preview_ = new QPrintPreviewWidget(&printer_, this);
    preview_->setObjectName(QStringLiteral("previewWidget"));
    preview_->setZoomMode(QPrintPreviewWidget::FitToWidth);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { ReportPrinter::paint(printer, reports_); });
    connect(preview_, &QPrintPreviewWidget::previewChanged, this, &ReportPreviewDialog::showPageState);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("tb_preview"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);

    connect(addToolAction(QStringLiteral("act_zoomIn"), QStringLiteral("放大"), QKeySequence::ZoomIn),
            &QAction::triggered, preview_, [this] { preview_->zoomIn(); });
    connect(addToolAction(QStringLiteral("act_zoomOut"), QStringLiteral("缩小"), QKeySequence::ZoomOut),
            &QAction::triggered, preview_, [this] { preview_->zoomOut(); });
    connect(addToolAction(QStringLiteral("act_fitWidth"), QStringLiteral("适合宽度")),
            &QAction::triggered, preview_, &QPrintPreviewWidget::fitToWidth);
    connect(addToolAction(QStringLiteral("act_fitPage"), QStringLiteral("整页")),
            &QAction::triggered, preview_, &QPrintPreviewWidget::fitInView);
    toolBar_->addSeparator();

    connect(addToolAction(QStringLiteral("act_firstPage"), QStringLiteral("首页"), Qt::Key_Home),
            &QAction::triggered, preview_, [this] { preview_->setCurrentPage(1); });
    connect(addToolAction(QStringLiteral("act_previousPage"), QStringLiteral("上一页"), Qt::Key_PageUp),
            &QAction::triggered, preview_, [this] { preview_->setCurrentPage(preview_->currentPage() - 1); });
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName(QStringLiteral("sb_page"));
    pageBox_->setMinimum(1);
    toolBar_->addWidget(pageBox_);
    pageCountLabel_ = new QLabel(this);
    pageCountLabel_->setObjectName(QStringLiteral("lb_pageCount"));
    toolBar_->addWidget(pageCountLabel_);
    connect(pageBox_, &QSpinBox::valueChanged, preview_, &QPrintPreviewWidget::setCurrentPage);
    connect(addToolAction(QStringLiteral("act_nextPage"), QStringLiteral("下一页"), Qt::Key_PageDown),
            &QAction::triggered, preview_, [this] { preview_->setCurrentPage(preview_->currentPage() + 1); });
    connect(addToolAction(QStringLiteral("act_lastPage"), QStringLiteral("末页"), Qt::Key_End),
            &QAction::triggered, preview_, [this] { preview_->setCurrentPage(preview_->pageCount()); });
    toolBar_->addSeparator();

    connect(addToolAction(QStringLiteral("act_print"), QStringLiteral("打印"), QKeySequence::Print),
            &QAction::triggered, this, &ReportPreviewDialog::printReports);
    connect(addToolAction(QStringLiteral("act_savePdf"), QStringLiteral("保存为PDF"), QKeySequence::Save),
            &QAction::triggered, this, &ReportPreviewDialog::savePdf);
    toolBar_->addSeparator();
    connect(addToolAction(QStringLiteral("act_close"), QStringLiteral("关闭"), Qt::Key_Escape),
            &QAction::triggered, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(preview_, 1);
}

QAction *ReportPreviewDialog::addToolAction(const QString &objectName, const QString &text, const QKeySequence &shortcut)
{
    QAction *action = toolBar_->addAction(text);
    action->setObjectName(objectName);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (QWidget *button = toolBar_->widgetForAction(action))
        button->setObjectName(objectName);
    return action;
}

void ReportPreviewDialog::showPageState()
{
    const int count = preview_->pageCount();
    const QSignalBlocker blocker(pageBox_);
    pageBox_->setMaximum(std::max(1, count));
    pageBox_->setValue(std::max(1, preview_->currentPage()));
    pageCountLabel_->setText(QStringLiteral(" / %1 ").arg(count));
}

void ReportPreviewDialog::printReports()
{
    QPrinter printer(QPrinter::HighResolution);
    ReportPrinter::applyPageSetup(&printer, reports_);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool printed = ReportPrinter::paint(&printer, reports_) && printer.printerState() != QPrinter::Error;
    ReportPreview::notePrintOutcome(printed);
    if (!printed)
        QMessageBox::warning(this, QStringLiteral("Nollard"), QStringLiteral("打印机无法打开，报表未打印。"));
}

void ReportPreviewDialog::savePdf()
{
    const QString baseName = reports_.isEmpty() ? QStringLiteral("report")
                                                : QFileInfo(reports_.first().templatePath).completeBaseName();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存为PDF"),
                                                QDir(folder).filePath(baseName + QStringLiteral(".pdf")),
                                                QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (!ReportPrinter::exportPdf(reports_, path))
        QMessageBox::warning(this, QStringLiteral("Nollard"),
                             QStringLiteral("无法写入文件 %1，报表未保存。").arg(QDir::toNativeSeparators(path)));
}
