#include "report/report_preview_dialog.h"

#include "report/report_notifier.h"
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
#include <QPrintDialog>
#include <QScreen>
#include <QSettings>
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
const QString kPrinterKey = QStringLiteral("reports/lastPrinter");
}  // namespace

void ReportPreviewDialog::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

QString ReportPreviewDialog::lastFolder()
{
    const QString folder = userSettings().value(kFolderKey).toString();
    if (!folder.isEmpty() && QDir(folder).exists())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString ReportPreviewDialog::lastPrinter()
{
    return userSettings().value(kPrinterKey).toString();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

ReportPreviewDialog::ReportPreviewDialog(QList<PreparedReport> reports, QWidget *parent)
    : QDialog(parent), m_reports(std::move(reports)), m_printer(QPrinter::HighResolution)
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

    ReportPrinter::applyPageSetup(&m_printer, m_reports);
    // Laid out once, on the paper of the preview's printer; a page is painted only
    // when it comes into view.
    m_layout = std::make_unique<ReportLayout>(m_reports, &m_printer);
    m_preview = new ReportPageView(this);
    m_preview->setObjectName(QStringLiteral("previewWidget"));
    const QPageLayout paper = m_printer.pageLayout();
    const int resolution = m_printer.resolution();
    m_preview->setPages(m_layout->pageCount(), paper.fullRectPixels(resolution).size(),
                        paper.paintRectPixels(resolution).topLeft(), resolution,
                        [this](QPainter *painter, int page) { paintPage(painter, page); });
    connect(m_preview, &ReportPageView::currentPageChanged, this, &ReportPreviewDialog::showPageState);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tb_preview"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    connect(addToolAction(QStringLiteral("act_zoomIn"), QStringLiteral("放大"), QKeySequence::ZoomIn),
            &QAction::triggered, m_preview, [this] { m_preview->zoomIn(); });
    connect(addToolAction(QStringLiteral("act_zoomOut"), QStringLiteral("缩小"), QKeySequence::ZoomOut),
            &QAction::triggered, m_preview, [this] { m_preview->zoomOut(); });
    connect(addToolAction(QStringLiteral("act_fitWidth"), QStringLiteral("适合宽度")), &QAction::triggered, m_preview,
            &ReportPageView::fitToWidth);
    connect(addToolAction(QStringLiteral("act_fitPage"), QStringLiteral("整页")), &QAction::triggered, m_preview,
            &ReportPageView::fitInView);
    m_toolBar->addSeparator();

    connect(addToolAction(QStringLiteral("act_firstPage"), QStringLiteral("首页"), Qt::Key_Home), &QAction::triggered,
            m_preview, [this] { m_preview->setCurrentPage(1); });
    connect(addToolAction(QStringLiteral("act_previousPage"), QStringLiteral("上一页"), Qt::Key_PageUp),
            &QAction::triggered, m_preview, [this] { m_preview->setCurrentPage(m_preview->currentPage() - 1); });
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("sb_page"));
    m_pageBox->setMinimum(1);
    m_toolBar->addWidget(m_pageBox);
    m_pageCountLabel = new QLabel(this);
    m_pageCountLabel->setObjectName(QStringLiteral("lb_pageCount"));
    m_toolBar->addWidget(m_pageCountLabel);
    connect(m_pageBox, &QSpinBox::valueChanged, m_preview, &ReportPageView::setCurrentPage);
    connect(addToolAction(QStringLiteral("act_nextPage"), QStringLiteral("下一页"), Qt::Key_PageDown),
            &QAction::triggered, m_preview, [this] { m_preview->setCurrentPage(m_preview->currentPage() + 1); });
    connect(addToolAction(QStringLiteral("act_lastPage"), QStringLiteral("末页"), Qt::Key_End), &QAction::triggered,
            m_preview, [this] { m_preview->setCurrentPage(m_preview->pageCount()); });
    m_toolBar->addSeparator();

    m_findEdit = new QLineEdit(this);
    m_findEdit->setObjectName(QStringLiteral("ed_find"));
    m_findEdit->setPlaceholderText(QStringLiteral("查找"));
    m_findEdit->setClearButtonEnabled(true);
    m_findEdit->setMaximumWidth(160);
    m_toolBar->addWidget(m_findEdit);
    connect(m_findEdit, &QLineEdit::returnPressed, this, &ReportPreviewDialog::findNext);
    connect(m_findEdit, &QLineEdit::textChanged, this, [this] {
        if (m_match.isValid())
            m_preview->refreshPage(m_match.page + 1);
        m_match = ReportMatch();
        m_findState->clear();
    });
    connect(addToolAction(QStringLiteral("act_findNext"), QStringLiteral("查找下一个"), QKeySequence::FindNext),
            &QAction::triggered, this, &ReportPreviewDialog::findNext);
    // Ctrl+F goes to the field: a key of the window, with no button beside
    // the field it would only repeat.
    auto *find = new QAction(QStringLiteral("查找"), this);
    find->setObjectName(QStringLiteral("act_find"));
    find->setShortcut(QKeySequence::Find);
    addAction(find);
    connect(find, &QAction::triggered, this, [this] {
        m_findEdit->setFocus();
        m_findEdit->selectAll();
    });
    m_findState = new QLabel(this);
    m_findState->setObjectName(QStringLiteral("lb_findState"));
    m_toolBar->addWidget(m_findState);
    m_toolBar->addSeparator();

    connect(addToolAction(QStringLiteral("act_print"), QStringLiteral("打印"), QKeySequence::Print),
            &QAction::triggered, this, &ReportPreviewDialog::printReports);
    connect(addToolAction(QStringLiteral("act_savePdf"), QStringLiteral("保存为PDF"), QKeySequence::Save),
            &QAction::triggered, this, &ReportPreviewDialog::savePdf);
    // A key of its own as well, for a screen too narrow for the toolbar.
    QAction *saveCsv = addToolAction(QStringLiteral("act_saveCsv"), QStringLiteral("保存为CSV"),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveCsv, &QAction::triggered, this, &ReportPreviewDialog::saveCsv);
    saveCsv->setEnabled(std::any_of(m_reports.cbegin(), m_reports.cend(),
                                    [](const PreparedReport &report) { return !report.table.isEmpty(); }));
    m_toolBar->addSeparator();
    connect(addToolAction(QStringLiteral("act_close"), QStringLiteral("关闭"), Qt::Key_Escape), &QAction::triggered,
            this, &QDialog::reject);

    // Alt keys of the toolbar, beside the usual keys; a toolbar button shows
    // the icon text, which keeps the key only when set itself.
    const QList<QPair<const char *, char>> accessKeys{
        {"act_zoomIn", 'I'},    {"act_zoomOut", 'O'},      {"act_fitWidth", 'W'}, {"act_fitPage", 'A'},
        {"act_firstPage", 'F'}, {"act_previousPage", 'R'}, {"act_nextPage", 'N'}, {"act_lastPage", 'L'},
        {"act_findNext", 'X'},  {"act_print", 'P'},        {"act_savePdf", 'D'},  {"act_saveCsv", 'V'},
        {"act_close", 'C'}};
    for (const auto &[name, key] : accessKeys) {
        QAction *action = findChild<QAction *>(QString::fromLatin1(name));
        const QString plain = action->text();
        action->setText(plain + QStringLiteral("(&") + QChar::fromLatin1(key) + u')');
        action->setIconText(action->text());
        m_toolBar->widgetForAction(action)->setAccessibleName(plain);
    }
    m_pageBox->setAccessibleName(QStringLiteral("页码"));
    m_findEdit->setAccessibleName(QStringLiteral("查找"));
    m_preview->setAccessibleName(windowTitle());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_preview, 1);
    // Wide enough for the whole toolbar where the screen allows: a button
    // left behind the toolbar's extension loses its Alt key.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        resize(qBound(width(), m_toolBar->sizeHint().width(), screen->availableGeometry().width() - 16), height());
    showPageState();
    m_preview->setFocus();
}

QAction *ReportPreviewDialog::addToolAction(const QString &objectName, const QString &text,
                                            const QKeySequence &shortcut)
{
    QAction *action = m_toolBar->addAction(text);
    action->setObjectName(objectName);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (QWidget *button = m_toolBar->widgetForAction(action))
        button->setObjectName(objectName);
    return action;
}

void ReportPreviewDialog::showPageState()
{
    const int count = m_preview->pageCount();
    const QSignalBlocker blocker(m_pageBox);
    m_pageBox->setMaximum(std::max(1, count));
    m_pageBox->setValue(std::max(1, m_preview->currentPage()));
    m_pageCountLabel->setText(QStringLiteral(" / %1 ").arg(count));
}

void ReportPreviewDialog::printReports()
{
    QPrinter printer(QPrinter::HighResolution);
    ReportPrinter::applyPageSetup(&printer, m_reports);
    ReportPrinter::preparePrintJob(&printer, m_reports, lastPrinter());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A file chosen as the target is no printer to offer next time.
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
        userSettings().setValue(kPrinterKey, printer.printerName());
    const bool printed = ReportPrinter::paint(&printer, m_reports) && printer.printerState() != QPrinter::Error;
    ReportPreview::notePrintOutcome(printed);
    if (!printed)
        report::notify(report::Severity::Warning, QStringLiteral("打印机无法打开，报表未打印。"), this);
}

void ReportPreviewDialog::paintPage(QPainter *painter, int page)
{
    m_layout->paintPage(painter, page, m_match);
}

void ReportPreviewDialog::findNext()
{
    const QString text = m_findEdit->text();
    if (text.isEmpty())
        return;
    const ReportMatch previous = m_match;
    const ReportMatch found = m_layout->find(text, m_match);
    m_match = found;
    if (previous.isValid())
        m_preview->refreshPage(previous.page + 1);
    if (!found.isValid()) {
        m_findState->setText(QStringLiteral(" 未找到 "));
        return;
    }
    m_findState->setText(QStringLiteral(" 第 %1 页 ").arg(found.page + 1));
    m_preview->refreshPage(found.page + 1);
    m_preview->showPlace(found.page + 1, QPointF(found.left, found.top));
}

QString ReportPreviewDialog::chooseFile(const QString &title, const QString &suffix, const QString &filter)
{
    const QString baseName = m_reports.isEmpty() ? QStringLiteral("report") : m_reports.first().exportName;
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
    const auto it = std::find_if(m_reports.cbegin(), m_reports.cend(),
                                 [](const PreparedReport &report) { return !report.table.isEmpty(); });
    if (it == m_reports.cend())
        return;
    const QString path = chooseFile(QStringLiteral("保存为CSV"), QStringLiteral("csv"),
                                    QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    if (!writeReportCsv(it->table, path))
        report::notify(report::Severity::Warning,
                       QStringLiteral("无法写入文件 %1，报表未保存。").arg(QDir::toNativeSeparators(path)), this);
}

void ReportPreviewDialog::savePdf()
{
    const QString path = chooseFile(QStringLiteral("保存为PDF"), QStringLiteral("pdf"),
                                    QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!ReportPrinter::exportPdf(m_reports, path))
        report::notify(report::Severity::Warning,
                       QStringLiteral("无法写入文件 %1，报表未保存。").arg(QDir::toNativeSeparators(path)), this);
}
