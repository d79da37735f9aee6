#pragma once

#include "platform/dialog_service.h"

// The dialog service of the running program: Qt message boxes and dialogs.
class QtDialogService : public DialogService
{
public:
    void showMessage(const QString &text) override;
    void showError(const QString &title, const QString &text) override;
    bool askYesNo(const QString &text) override;
    Answer askYesNoCancel(const QString &text) override;
    void beep() override;
    QString getOpenFileName(const QString &title, const QString &dir, const QString &filter,
                            const QString &defaultExt) override;
    QString getSaveFileName(const QString &title, const QString &dir, const QString &filter,
                            const QString &defaultExt) override;
    QString getExistingDirectory(const QString &title, const QString &dir) override;
    QString getNewFileName(const QString &title, const QString &dir, const QString &filter,
                           const QString &defaultExt) override;
    bool shellOpen(const QString &target) override;
    bool chooseColor(std::uint32_t &color) override;
    bool chooseFont(FontValue &font, bool withColor, bool withEffects) override;
    QString clipboardText() override;
    void setClipboardText(const QString &text) override;
};

// "VOZ-Projekt|*.ppr" becomes "VOZ-Projekt (*.ppr)"; pairs are joined by ";;".
QString toQtFilter(const QString &filter);

// The family a font choice stores: the stored name while the user kept the family the dialog
// showed for it at the start, else the chosen family.
QString ChosenFontFamily(const QString &stored, const QString &shownAtStart, const QString &chosen);
