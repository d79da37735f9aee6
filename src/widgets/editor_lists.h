#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

class QListWidget;
class QWidget;

// The sorted name lists of the editors sort in the one order of names (CompareNames) and look
// names up without regard to letter case, as the users expect of a list of station or line names.

// Replaces the list's entries by the names, sorted.
void FillSortedNames(QListWidget *list, QStringList names);
// Inserts the name at its place in a sorted list; returns its row.
int AddSortedName(QListWidget *list, const QString &name);
// The row of the name compared without regard to case, -1 when it is not listed.
int FindListName(const QListWidget *list, const QString &name);
// The text of the selected row, empty when none is selected.
QString SelectedListName(const QListWidget *list);
// The selected row, -1 when none.
int SelectedListRow(const QListWidget *list);
// Leaves no row selected or current.
void ClearListSelection(QListWidget *list);
// Removes the row and leaves no row selected: the list would otherwise make a neighbour
// current, and the next Edit or Delete would act on an entry the user never chose.
void RemoveListRow(QListWidget *list, int row);

// Switches a list editor between browsing and editing: editing locks the list, hides its buttons
// and Close (whose absence makes the window refuse to close) and shows the edit parts. The order
// of the steps decides where the focus goes when a focused part is hidden.
void SetListEditMode(bool editing, QListWidget *list, std::initializer_list<QWidget *> listButtons,
                     std::initializer_list<QWidget *> editParts, QWidget *close);
