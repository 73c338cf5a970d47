#pragma once
// The fee-line editor: the clerk types the calculation steps of each fee line
// of the notice CurrentNoticeID, Enter computes the line's amount, and closing
// stores the lines with the notice total and puts the total into the notice
// row being edited. A line whose steps were changed without Enter is computed
// when the window is saved or closed.
//
// Created once at start-up, hidden. Show it with exec() (or open()): every
// showing loads the lines (FormShow); every closing, however it happens
// (f_item_save, the window's close button, Escape), writes the total (FormClose).

#include "expr/parser.h"

#include <QDialog>
#include <QVariant>

class QLabel;
class QPushButton;
class QTableView;
class Tdm;

namespace fees {
class FeeLineDelegate;
class FeeLineModel;
}  // namespace fees

class TF_item : public QDialog
{
    Q_OBJECT
public:
    explicit TF_item(Tdm &dm, QWidget *parent = nullptr);
    ~TF_item() override;

    // Grid modes: editing (steps and amounts typed, cells selected) or
    // browsing (read only, whole rows selected).
    void setEditingMode(bool editing);
    bool isEditingMode() const;

    void done(int result) override;

    // The window's parser; it keeps the last expression between evaluations.
    nollard::TParser Parser1;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void FormShow();
    // Saves the lines and writes the total; false when a line's steps could
    // not be computed (the window then stays open on that line).
    bool FormClose();
    // Gathers the lines as the grid holds them and saves them with the total,
    // which goes into the notice being edited.
    void saveLines();
    // Stores the line in editing with the notice total (nothing when no line
    // is in editing) and shows the lines as stored.
    void storeLineInEditing();
    int rowOfLine(const QVariant &lineId) const;
    void DBGrid1KeyPress();
    void DBGrid1KeyUp(int key);
    void F_item_saveClick();

    // Keeps the grid's current cell and the lines query's current row together.
    void gridMoved(const QModelIndex &current);
    void showQueryRow(int column = -1);

    Tdm &m_dm;
    fees::FeeLineModel *m_model;
    fees::FeeLineDelegate *m_delegate;
    QLabel *Label1;
    QTableView *DBGrid1;
    QPushButton *f_item_save;
    bool m_syncing = false;
};
