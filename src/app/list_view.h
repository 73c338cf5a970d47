#pragma once

#include <QVariant>

#include <functional>

class QAbstractItemModel;
class QStandardItem;
class QString;
class QTableView;
class QWidget;

// A read-only list over a model, as every window shows its lists: whole rows
// chosen one at a time with the mouse or the arrow keys, no editing in place,
// the last column taking the room that is left. Tab stops on it once. It has
// the list tools below.
QTableView *makeListView(const QString &objectName, QAbstractItemModel *model, QWidget *parent);

// What a person expects of a read-only list on a desktop:
// - a click on a column title sorts the rows by it, a second click the other
//   way; until the first click the rows stand in the list's own order. The
//   model sorts (sort()): the row that is current stays current and in view.
// - Ctrl+C copies the chosen rows, with the column titles, as tab-separated
//   text.
// - the context menu copies, and saves the whole list as a CSV file.
// `sortable` false: copy and save only (a list whose rows another window
// shares in their fixed order).
void addListTools(QTableView *view, bool sortable = true);

// The value a list of QStandardItems sorts by (a time as a time, an amount
// as a number); cells without one sort by their text.
constexpr int ListSortRole = Qt::UserRole + 0x100;
// A read-only cell showing `text` and sorting by `sortValue` (by the text
// when that is invalid).
QStandardItem *listCell(const QString &text, const QVariant &sortValue = {});

namespace listtools {
// The list's rows as the user sees them, the column titles first: every row
// for `allRows`, else the chosen rows (the current one when none is chosen).
// A list read page by page is read to its end for all rows.
QList<QStringList> shownRows(QTableView *view, bool allRows);
// Copies the chosen rows to the clipboard.
void copyRows(QTableView *view);
// Asks for a file and writes the whole list there as CSV; false when the
// user cancelled or the file could not be written (the user is told).
bool saveCsv(QTableView *view);

// Asks for the file to save to (parent, title, suggested path, filter); an
// empty text cancels. Tests replace it; an empty function restores the dialog.
using FileChooser = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;
void setFileChooser(FileChooser chooser);
}  // namespace listtools
