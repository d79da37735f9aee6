#include "widgets/line_edit_filters.h"

#include "data/common_helpers.h"
#include "platform/dialog_service.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

LineEditKeyFilter::LineEditKeyFilter(QLineEdit *edit, KeyFilterKind kind) : QObject(edit), m_edit(edit), m_kind(kind)
{
    edit->installEventFilter(this);
}

bool LineEditKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    QChar key;
    if (keyEvent->key() == Qt::Key_Backspace)
        key = QChar(8);
    else if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter)
        key = QChar(13);
    else if (keyEvent->text().size() == 1 && keyEvent->text()[0].isPrint())
        key = keyEvent->text()[0];
    else
        return false; // cursor keys, Delete and shortcuts are not typed characters

    const QChar typed = key;
    switch (m_kind) {
    case KeyFilterKind::Digit:
        DigitKeyFilter(key);
        break;
    case KeyFilterKind::Decimal:
        DecimalKeyFilter(m_edit->text(), key);
        break;
    case KeyFilterKind::Hex:
        HexKeyFilter(key);
        break;
    case KeyFilterKind::EnterToNext:
        EnterToNextControl([this] { m_edit->nextInFocusChain()->setFocus(Qt::TabFocusReason); }, key);
        return key.isNull();
    case KeyFilterKind::Integer: {
        EditField field;
        field.text = m_edit->text();
        field.cursorPosition = m_edit->cursorPosition();
        field.selectionStart = m_edit->hasSelectedText() ? m_edit->selectionStart() : field.cursorPosition;
        field.selectionLength = m_edit->hasSelectedText() ? static_cast<int>(m_edit->selectedText().size()) : 0;
        IntegerKeyFilter(m_edit->text(), &field, key);
        if (field.text != m_edit->text())
            m_edit->setText(field.text);
        m_edit->setCursorPosition(field.cursorPosition);
        break;
    }
    }
    if (key.isNull()) {
        if (typed != QChar(13) && typed != QChar(8))
            dialogs().beep();
        return true;
    }
    if (key == typed)
        return false;
    // The filter changed the character (a point typed as the decimal comma, a lower-case hex digit).
    m_edit->insert(QString(key));
    return true;
}

void installKeyFilter(QLineEdit *edit, KeyFilterKind kind) { new LineEditKeyFilter(edit, kind); }
