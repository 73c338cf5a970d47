#include "app/list_view.h"

#include "app/messages.h"
#include "report/report_preview_dialog.h"
#include "report/report_table.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <algorithm>

namespace {

listtools::FileChooser &fileChooser()
{
    static listtools::FileChooser chooser;
    return chooser;
}

// The file name offered for a list: what the list is called for a screen
// reader, else its window's title.
QString exportName(const QTableView *view)
{
    QString name = view->accessibleName();
    if (name.isEmpty())
        name = view->window()->windowTitle();
    static const QRegularExpression unfit(QStringLiteral("[\\\\/:*?\"<>|\\s]+"));
    name = name.replace(unfit, QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("list") : name;
}

class ListTools : public QObject
{
public:
    ListTools(QTableView *view, bool sortable) : QObject(view), m_view(view)
    {
        view->installEventFilter(this);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, &ListTools::showMenu);
        if (!sortable)
            return;
        QHeaderView *header = view->horizontalHeader();
        header->setSectionsClickable(true);
        header->setSortIndicatorShown(true);
        header->setSortIndicator(-1, Qt::AscendingOrder);
        connect(header, &QHeaderView::sectionClicked, this, &ListTools::sectionClicked);
        if (QAbstractItemModel *model = view->model()) {
            // A query shared with a list shown before stands in its own order again.
            model->sort(-1);
            if (auto *items = qobject_cast<QStandardItemModel *>(model)) {
                items->setSortRole(ListSortRole);
                // Rows filled in again come in their own order: sorted as chosen.
                connect(items, &QAbstractItemModel::rowsInserted, this, &ListTools::sortAgainLater);
            }
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
            auto *key = static_cast<QKeyEvent *>(event);
            // The context menu from the keyboard as well (the menu key
            // comes as a context menu event of its own).
            if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_F10
                && key->modifiers() == Qt::ShiftModifier) {
                const QRect current = m_view->visualRect(m_view->currentIndex());
                showMenu(current.isValid() ? current.center() : QPoint(0, 0));
                return true;
            }
            if (key->matches(QKeySequence::Copy)) {
                // The whole rows, not the one cell a table copies by itself.
                if (event->type() == QEvent::KeyPress)
                    listtools::copyRows(m_view);
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void sectionClicked(int section)
    {
        // The first click on a column sorts up, the next one down, and so on.
        m_order = section == m_section && m_order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        m_section = section;
        m_view->horizontalHeader()->setSortIndicator(m_section, m_order);
        sort();
    }

    void sort()
    {
        if (m_section < 0 || !m_view->model())
            return;
        m_view->model()->sort(m_section, m_order);
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid()) {
            // Laid out now, so that the scroll bar reaches a row that the
            // sorting read further down.
            m_view->doItemsLayout();
            m_view->scrollTo(current);
        }
    }

    void sortAgainLater()
    {
        if (m_section < 0 || m_pending)
            return;
        m_pending = true;
        QTimer::singleShot(0, this, [this] {
            m_pending = false;
            sort();
        });
    }

    void showMenu(const QPoint &pos)
    {
        QMenu menu(m_view);
        menu.setObjectName(QStringLiteral("menu_list"));
        QAction *copy = menu.addAction(QStringLiteral("复制(&C)"));
        copy->setObjectName(QStringLiteral("act_copyRows"));
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        copy->setEnabled(m_view->model() && m_view->model()->rowCount() > 0);
        QAction *save = menu.addAction(QStringLiteral("保存为CSV(&S)…"));
        save->setObjectName(QStringLiteral("act_saveCsv"));
        save->setEnabled(m_view->model() != nullptr);
        const QPointer<QTableView> view = m_view;
        QAction *chosen = menu.exec(m_view->viewport()->mapToGlobal(pos));
        if (!view)
            return;
        if (chosen == copy)
            listtools::copyRows(view);
        else if (chosen == save)
            listtools::saveCsv(view);
    }

    QTableView *m_view;
    int m_section = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    bool m_pending = false;
};

}  // namespace

QTableView *makeListView(const QString &objectName, QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(objectName);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    // A list takes Tab as a field does; Tab leaves it rather than moving
    // between its cells, and the arrow keys move the row.
    view->setFocusPolicy(Qt::StrongFocus);
    view->setTabKeyNavigation(false);
    view->horizontalHeader()->setStretchLastSection(true);
    addListTools(view);
    return view;
}

void addListTools(QTableView *view, bool sortable)
{
    new ListTools(view, sortable);
}

QStandardItem *listCell(const QString &text, const QVariant &sortValue)
{
    auto *cell = new QStandardItem(text);
    cell->setEditable(false);
    cell->setData(sortValue.isValid() ? sortValue : QVariant(text), ListSortRole);
    return cell;
}

namespace listtools {

QList<QStringList> shownRows(QTableView *view, bool allRows)
{
    QList<QStringList> rows;
    QAbstractItemModel *model = view->model();
    if (!model)
        return rows;
    if (allRows) {
        while (model->canFetchMore({}))
            model->fetchMore({});
    }
    const QHeaderView *header = view->horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!view->isColumnHidden(logical))
            columns << logical;
    }
    QStringList titles;
    for (int c : std::as_const(columns))
        titles << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    rows << titles;

    QList<int> chosen;
    if (allRows) {
        for (int r = 0; r < model->rowCount(); ++r)
            chosen << r;
    } else if (view->selectionModel()) {
        for (const QModelIndex &index : view->selectionModel()->selectedRows())
            chosen << index.row();
        std::sort(chosen.begin(), chosen.end());
        if (chosen.isEmpty() && view->currentIndex().isValid())
            chosen << view->currentIndex().row();
    }
    for (int r : std::as_const(chosen)) {
        QStringList cells;
        for (int c : std::as_const(columns))
            cells << model->index(r, c).data(Qt::DisplayRole).toString();
        rows << cells;
    }
    return rows;
}

void copyRows(QTableView *view)
{
    const QList<QStringList> rows = shownRows(view, false);
    if (rows.size() < 2)
        return;  // nothing chosen: the clipboard keeps what it holds
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n]+"));
    QStringList lines;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (const QString &cell : row)
            cells << QString(cell).replace(breaks, QStringLiteral(" "));
        lines << cells.join(u'\t');
    }
    QApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
}

bool saveCsv(QTableView *view)
{
    const QString title = QStringLiteral("保存为CSV");
    const QString filter = QStringLiteral("CSV 文件 (*.csv)");
    const QString suggested =
        QDir(ReportPreviewDialog::lastFolder()).filePath(exportName(view) + QStringLiteral(".csv"));
    QString path = fileChooser() ? fileChooser()(view, title, suggested, filter)
                                 : QFileDialog::getSaveFileName(view, title, suggested, filter);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    ReportTable table;
    table.rows = shownRows(view, true);
    if (!writeReportCsv(table, path)) {
        messages::inform(QStringLiteral("无法写入文件 %1，列表未保存。").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

void setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

}  // namespace listtools
