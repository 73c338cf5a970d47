#include "item_window.h"

#include "configure.h"
#include "fee_line_delegate.h"
#include "fee_line_model.h"
#include "line_evaluation.h"
#include "line_queries.h"
#include "line_saving.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/current_user.h"
#include "app/messages.h"
#include "db/named_query.h"
#include "db/tdm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

using fees::FeeLineModel;

TF_item::TF_item(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("F_item"));
    fees::configure(dm);
    setWindowTitle(QStringLiteral("收费项目"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("收费项目    "), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    m_model = new FeeLineModel(*dm.aq_itemofnotice, this);
    m_delegate = new fees::FeeLineDelegate(this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(m_model);
    DBGrid1->setItemDelegate(m_delegate);
    DBGrid1->setTabKeyNavigation(true);
    DBGrid1->setShowGrid(true);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->setColumnWidth(FeeLineModel::ItemName, 119);
    DBGrid1->setColumnWidth(FeeLineModel::Description, 154);
    DBGrid1->setColumnWidth(FeeLineModel::Money, 63);
    DBGrid1->setColumnWidth(FeeLineModel::Type, 98);
    DBGrid1->installEventFilter(this);

    f_item_save = new QPushButton(QStringLiteral("保\u3000存"), this);
    f_item_save->setObjectName(QStringLiteral("f_item_save"));
    f_item_save->setAutoDefault(false);  // Enter belongs to the grid

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(f_item_save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    resize(520, 420);

    // The grid is reached through its caption; Tab moves between its cells.
    keys::set(Label1, DBGrid1, 'I');
    keys::set(f_item_save, 'S');

    connect(f_item_save, &QPushButton::clicked, this, &TF_item::F_item_saveClick);
    connect(m_delegate, &fees::FeeLineDelegate::enterPressed, this, &TF_item::DBGrid1KeyPress);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { gridMoved(current); });
    connect(dm.aq_itemofnotice, &NamedQuery::currentRowChanged, this, [this] {
        if (!m_syncing)
            showQueryRow();
    });

    setEditingMode(true);
}

TF_item::~TF_item() = default;

void TF_item::setEditingMode(bool editing)
{
    m_model->setEditable(editing);
    DBGrid1->setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                           | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                                     : QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(editing ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
}

bool TF_item::isEditingMode() const
{
    return m_model->isEditable();
}

void TF_item::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TF_item::done(int result)
{
    // However the window closes, the lines are saved with the total; a line
    // whose steps cannot be computed keeps the window open on that line.
    if (isVisible() && !FormClose())
        return;
    QDialog::done(result);
}

void TF_item::FormShow()
{
    const QString department = CurrentUser.department;
    messages::guarded([&] {
        if (department == codes::kInspection) {
            DBGrid1->setColumnHidden(FeeLineModel::Type, true);
            // A clerk of this section always types the steps, whatever mode
            // an earlier ship affairs showing left behind.
            setEditingMode(true);
            fees::openEditorLines(m_dm, department);
        } else if (department == codes::kShipAffairs) {
            DBGrid1->setColumnHidden(FeeLineModel::Type, false);
            fees::openEditorLines(m_dm, department);
            setEditingMode(m_dm.aq_itemofnotice->rowCount() > 0);
        }
    });
    m_model->forgetChangedSteps();
    showQueryRow(FeeLineModel::Description);
    DBGrid1->setFocus();
}

bool TF_item::FormClose()
{
    m_delegate->commitOpenEditor();
    int refusedRow = -1;
    bool processedElsewhere = false;
    m_syncing = true;
    const bool saved = messages::guarded([this, &refusedRow, &processedElsewhere] {
        try {
            saveLines();
        } catch (const fees::StepsNotComputed &refusal) {
            refusedRow = rowOfLine(refusal.lineId());
            throw;
        } catch (const fees::LinesNotStored &) {
            processedElsewhere = true;
            throw;
        }
    });
    m_syncing = false;
    // Lines another workstation has taken further cannot be saved later
    // either: the editor closes on the lines as stored.
    if (saved || processedElsewhere) {
        m_model->forgetChangedSteps();
        return true;
    }
    if (refusedRow >= 0) {
        // The clerk is taken to the line to correct; leaving the line being
        // edited stores its steps as usual.
        DBGrid1->setCurrentIndex(m_model->index(refusedRow, FeeLineModel::Description));
        DBGrid1->setFocus();
    }
    return false;
}

void TF_item::saveLines()
{
    // The lines whose steps were typed since their amount was computed, and
    // the line in editing: a change still pending in the grid.
    NamedQuery &lines = *m_dm.aq_itemofnotice;
    const QStringList changed = m_model->changedSteps();
    QList<fees::FeeLineEdit> edits;
    if (lines.isActive()) {
        const int current = lines.currentRow();
        const int count = changed.isEmpty() ? 0 : lines.rowCount();
        for (int row = 0; row < count; ++row) {
            fees::FeeLineEdit line = fees::lineAt(lines, row);
            line.computeSteps = changed.contains(line.lineId.toString());
            if (line.computeSteps || (row == current && fees::lineInEditing(lines)))
                edits << line;
        }
        if (count == 0 && current >= 0 && fees::lineInEditing(lines))
            edits << fees::lineAt(lines, current);
    }
    fees::CurrentNoticeRevision = fees::saveEditorLines(m_dm.database(), CurrentUser, Parser1,
                                                        {fees::CurrentNoticeID, fees::CurrentNoticeRevision}, edits)
                                      .revision;
    // The total of the lines as stored goes into the notice being edited.
    fees::writeNoticeTotal(m_dm, CurrentUser.department, fees::CurrentNoticeID, fees::LineTypeFilter);
}

void TF_item::storeLineInEditing()
{
    try {
        fees::storeEditedLine(*m_dm.aq_itemofnotice, CurrentUser);
    } catch (const fees::LinesNotStored &) {
        m_model->forgetChangedSteps();
        throw;
    }
}

int TF_item::rowOfLine(const QVariant &lineId) const
{
    NamedQuery &lines = *m_dm.aq_itemofnotice;
    for (int row = 0, rows = lines.model()->rowCount(); row < rows; ++row)
        if (lines.valueAt(row, QStringLiteral("lineid")).toString() == lineId.toString())
            return row;
    return -1;
}

void TF_item::DBGrid1KeyPress()
{
    NamedQuery &lines = *m_dm.aq_itemofnotice;
    const int column = DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().column()
                                                         : int(FeeLineModel::Description);
    const QString line = lines.value(QStringLiteral("lineid")).toString();
    m_syncing = true;
    const bool computed = messages::guarded([&] {
        fees::evaluateCurrentLine(lines, Parser1);
        storeLineInEditing();  // the line and the notice total together
    });
    if (computed)
        m_model->markComputed(line);
    m_syncing = false;
    showQueryRow(column);
}

void TF_item::DBGrid1KeyUp(int key)
{
    // A grid may begin a new line below the last one on Down; the editor
    // never adds lines.
    NamedQuery &lines = *m_dm.aq_itemofnotice;
    if (key == Qt::Key_Down && lines.state() == NamedQuery::State::Inserting)
        lines.cancel();
}

void TF_item::F_item_saveClick()
{
    // Closing saves: the pending change, the lines whose steps changed, and
    // the total (done).
    accept();
}

bool TF_item::eventFilter(QObject *object, QEvent *event)
{
    if (object == DBGrid1) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                DBGrid1KeyPress();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            DBGrid1KeyUp(static_cast<QKeyEvent *>(event)->key());
        }
    }
    return QDialog::eventFilter(object, event);
}

void TF_item::gridMoved(const QModelIndex &current)
{
    NamedQuery &lines = *m_dm.aq_itemofnotice;
    if (m_syncing || !current.isValid() || current.row() == lines.currentRow())
        return;
    m_syncing = true;
    // Leaving a line stores what was typed into it.
    const bool stored = messages::guarded([&] { storeLineInEditing(); });
    if (stored)
        lines.setCurrentRow(current.row());
    m_syncing = false;
    showQueryRow(current.column());
}

void TF_item::showQueryRow(int column)
{
    const int row = m_dm.aq_itemofnotice->currentRow();
    if (column < 0)
        column = DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().column() : int(FeeLineModel::Description);
    const QModelIndex target = row >= 0 ? m_model->index(row, column) : QModelIndex();
    if (target == DBGrid1->currentIndex())
        return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    DBGrid1->setCurrentIndex(target);
    m_syncing = wasSyncing;
}
