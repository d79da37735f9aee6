#include "widgets/editor_lists.h"

#include "platform/name_order.h"

#include <QListWidget>

#include <algorithm>

void FillSortedNames(QListWidget *list, QStringList names)
{
    std::stable_sort(names.begin(), names.end(), NameLess);
    list->clear();
    list->addItems(names);
}

int AddSortedName(QListWidget *list, const QString &name)
{
    // Binary search for the first row that sorts after the name.
    int lo = 0;
    int hi = list->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (CompareNames(list->item(mid)->text(), name) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    list->insertItem(lo, name);
    return lo;
}

int FindListName(const QListWidget *list, const QString &name)
{
    for (int i = 0; i < list->count(); ++i)
        if (QString::compare(list->item(i)->text(), name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int SelectedListRow(const QListWidget *list)
{
    const int row = list->currentRow();
    return row >= 0 && row < list->count() && list->item(row)->isSelected() ? row : -1;
}

QString SelectedListName(const QListWidget *list)
{
    const int row = SelectedListRow(list);
    return row < 0 ? QString() : list->item(row)->text();
}

void ClearListSelection(QListWidget *list)
{
    list->clearSelection();
    list->setCurrentRow(-1);
}

void RemoveListRow(QListWidget *list, int row)
{
    delete list->takeItem(row);
    ClearListSelection(list);
}

void SetListEditMode(bool editing, QListWidget *list, std::initializer_list<QWidget *> listButtons,
                     std::initializer_list<QWidget *> editParts, QWidget *close)
{
    if (editing) {
        list->setEnabled(false);
        for (QWidget *button : listButtons)
            button->setVisible(false);
        for (QWidget *part : editParts)
            part->setVisible(true);
        close->setVisible(false);
        return;
    }
    for (QWidget *part : editParts)
        part->setVisible(false);
    list->setEnabled(true);
    for (QWidget *button : listButtons)
        button->setVisible(true);
    close->setVisible(true);
}
