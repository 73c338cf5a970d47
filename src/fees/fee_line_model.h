#pragma once
// The fee-line editor's grid rows: the rows of the lines query, with the four
// columns the editor shows. Edits go into the query's current row (its edit
// buffer), which the editor stores with post.

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

class NamedQuery;

namespace fees {

class FeeLineModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { ItemName, Description, Money, Type, ColumnCount };

    // The width of the calculation steps in GBK bytes (itemofnotice.description).
    static constexpr int kDescriptionWidth = 255;

    explicit FeeLineModel(NamedQuery &lines, QObject *parent = nullptr);

    // Whether the steps and the amount may be typed (the grid's editing mode).
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }

    static QString fieldName(int column);

    // The lines (by lineid) whose steps were typed since their amount was
    // computed or typed: their amount no longer says what the steps say.
    QStringList changedSteps() const;
    void markComputed(const QString &lineId);
    void forgetChangedSteps();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Writes into the query's current row, which must be the index's row.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void rowsShown();

    NamedQuery &m_lines;
    bool m_editable = true;
    QSet<QString> m_changedSteps;
};

}  // namespace fees
