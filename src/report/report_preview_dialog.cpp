#include "report/report_preview_dialog.h"

#include "report/report_page_view.h"
#include "report/report_preview.h"
#include "report/report_printer.h"
#include "report/report_table.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSettings>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {
ReportPreviewDialog::FileChooser &fileChooser()
{
    static ReportPreviewDialog::FileChooser chooser;
    return chooser;
}

// Kept in the user's settings of this workstation, not in the shared configuration.
QSettings userSettings()
{
    return QSettings(QStringLiteral("Nollard"), QStringLiteral("Nollard"));
}
const QString kFolderKey = QStringLiteral("reports/lastFolder");
} // namespace

void ReportPreviewDialog::setFileChooser(FileChooser chooser) { fileChooser() = std::move(chooser); }

QString ReportPreviewDialog::lastFolder()
{
    const QString folder = userSettings().value(kFolderKey).toString();
    if (!folder.isEmpty() && QDir(folder).exists())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

ReportPreviewDialog::ReportPreviewDialog(QList<PreparedReport> reports, QWidget *parent)
    : QDialog(parent), reports_(std::move(reports)), printer_(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("ReportPreviewDialog"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    // As large as a page needs, but never larger than the screen's free area
    // less the window frame and title (a 1366x768 screen with a taskbar).
    QSize size(980, 760);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = size.boundedTo(QSize(free.width() - 16, free.height() - 40));
    }
    resize(size);

    ReportPrinter::applyPageSetup(&printer_, reports_);
    // Laid out once, on the paper of the preview's printer; a page is painted only
    // when it comes into view.
    layout_ = std::make_unique<ReportLayout>(reports_, &printer_);
    preview_ = new ReportPageView(this);
    preview_->setObjectName(QStringLiteral("previewWidget"));
    const QPageLayout paper = printer_.pageLayout();
    const int resolution = printer_.resolution();
    preview_->setPages(layout_->pageCount(), paper.fullRectPixels(resolution).size(),
                       paper.paintRectPixels(resolution).topLeft(), resolution,
                       [this](QPainter *painter, int page) { paintPage(painter, page); });
    connect(preview_, &ReportPageView::currentPageChanged, this, &ReportPreviewDialog::showPageState);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("tb_preview"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);

    connect(addToolAction(QStringLiteral("act_zoomIn"), QStringLiteral("放大"), QKeySequence::ZoomIn),
            &QAction::triggered, preview_, [this] { preview_->zoomIn(); });
    connect(addToolAction(QStringLiteral("act_zoomOut"), QStringLiteral("缩小"), QKeySequence::ZoomOut),
            &QAction::triggered, preview_, [this] { preview_->zoomOut(); });
    connect(addToolAction(QStringLiteral("act_fitWidth"), QStringLiteral("适合宽度")),
            &QAction::triggered, preview_, &ReportPageView::fitToWidth);
    connect(addToolAction(QStringLiteral("act_fitPage"), QStringLiteral("整页")),
            &QAction::triggered, preview_, &ReportPageView::fitInView);
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
    connect(pageBox_, &QSpinBox::valueChanged, preview_, &ReportPageView::setCurrentPage);
    connect(addToolAction(QStringLiteral("act_nextPage"), QStringLiteral("下一页"), Qt::Key_PageDown),
            &QAction::triggered, preview_, [this] { preview_->setCurrentPage(preview_->currentPage() + 1); });
    connect(addToolAction(QStringLiteral("act_lastPage"), QStringLiteral("末页"), Qt::Key_End),
            &QAction::triggered, preview_, [this] { preview_->setCurrentPage(preview_->pageCount()); });
    toolBar_->addSeparator();

    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName(QStringLiteral("ed_find"));
    findEdit_->setPlaceholderText(QStringLiteral("查找"));
    findEdit_->setClearButtonEnabled(true);
    findEdit_->setMaximumWidth(160);
    toolBar_->addWidget(findEdit_);
    connect(findEdit_, &QLineEdit::returnPressed, this, &ReportPreviewDialog::findNext);
    connect(findEdit_, &QLineEdit::textChanged, this, [this] {
        if (match_.isValid())
            preview_->refreshPage(match_.page + 1);
        match_ = ReportMatch();
        findState_->clear();
    });
    connect(addToolAction(QStringLiteral("act_findNext"), QStringLiteral("查找下一个"), QKeySequence::FindNext),
            &QAction::triggered, this, &ReportPreviewDialog::findNext);
    connect(addToolAction(QStringLiteral("act_find"), QStringLiteral("查找"), QKeySequence::Find), &QAction::triggered,
            this, [this] {
                findEdit_->setFocus();
                findEdit_->selectAll();
            });
    toolBar_->widgetForAction(findChild<QAction *>(QStringLiteral("act_find")))->setVisible(false);
    findState_ = new QLabel(this);
    findState_->setObjectName(QStringLiteral("lb_findState"));
    toolBar_->addWidget(findState_);
    toolBar_->addSeparator();

    connect(addToolAction(QStringLiteral("act_print"), QStringLiteral("打印"), QKeySequence::Print),
            &QAction::triggered, this, &ReportPreviewDialog::printReports);
    connect(addToolAction(QStringLiteral("act_savePdf"), QStringLiteral("保存为PDF"), QKeySequence::Save),
            &QAction::triggered, this, &ReportPreviewDialog::savePdf);
    QAction *saveCsv = addToolAction(QStringLiteral("act_saveCsv"), QStringLiteral("保存为CSV"));
    connect(saveCsv, &QAction::triggered, this, &ReportPreviewDialog::saveCsv);
    saveCsv->setEnabled(std::any_of(reports_.cbegin(), reports_.cend(),
                                    [](const PreparedReport &report) { return !report.table.isEmpty(); }));
    toolBar_->addSeparator();
    connect(addToolAction(QStringLiteral("act_close"), QStringLiteral("关闭"), Qt::Key_Escape),
            &QAction::triggered, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(preview_, 1);
    showPageState();
    preview_->setFocus();
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

void ReportPreviewDialog::paintPage(QPainter *painter, int page)
{
    layout_->paintPage(painter, page, match_);
}

void ReportPreviewDialog::findNext()
{
    const QString text = findEdit_->text();
    if (text.isEmpty())
        return;
    const ReportMatch previous = match_;
    const ReportMatch found = layout_->find(text, match_);
    match_ = found;
    if (previous.isValid())
        preview_->refreshPage(previous.page + 1);
    if (!found.isValid()) {
        findState_->setText(QStringLiteral(" 未找到 "));
        return;
    }
    findState_->setText(QStringLiteral(" 第 %1 页 ").arg(found.page + 1));
    preview_->refreshPage(found.page + 1);
    preview_->showPlace(found.page + 1, QPointF(found.left, found.top));
}

QString ReportPreviewDialog::chooseFile(const QString &title, const QString &suffix, const QString &filter)
{
    const QString baseName = reports_.isEmpty() ? QStringLiteral("report") : reports_.first().exportName;
    const QString suggested = QDir(lastFolder()).filePath(baseName + u'.' + suffix);
    QString path = fileChooser() ? fileChooser()(this, title, suggested, filter)
                                 : QFileDialog::getSaveFileName(this, title, suggested, filter);
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    userSettings().setValue(kFolderKey, QFileInfo(path).absolutePath());
    return path;
}

void ReportPreviewDialog::saveCsv()
{
    const auto it = std::find_if(reports_.cbegin(), reports_.cend(),
                                 [](const PreparedReport &report) { return !report.table.isEmpty(); });
    if (it == reports_.cend())
        return;
    const QString path = chooseFile(QStringLiteral("保存为CSV"), QStringLiteral("csv"),
                                    QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    if (!writeReportCsv(it->table, path))
        QMessageBox::warning(this, QStringLiteral("Nollard"),
                             QStringLiteral("无法写入文件 %1，报表未保存。").arg(QDir::toNativeSeparators(path)));
}

void ReportPreviewDialog::savePdf()
{
    const QString path = chooseFile(QStringLiteral("保存为PDF"), QStringLiteral("pdf"),
                                    QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!ReportPrinter::exportPdf(reports_, path))
        QMessageBox::warning(this, QStringLiteral("Nollard"),
                             QStringLiteral("无法写入文件 %1，报表未保存。").arg(QDir::toNativeSeparators(path)));
}
