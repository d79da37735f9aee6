#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// A font as the program stores it: no Qt Gui type, so the tables can hold it.
struct FontValue
{
    int charset = 1; // the stored character-set number (1 = default)
    QString name;
    int size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint32_t color = 0; // colour value, red in the low byte

    bool operator==(const FontValue &) const = default;
};

// Every message box, question, file or folder dialog, shell open and clipboard access
// of the program goes through this one service, so tests can script the answers.
class DialogService
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~DialogService() = default;

    // A plain message box with an OK button.
    virtual void showMessage(const QString &text) = 0;
    // An error box with a title and the error icon.
    virtual void showError(const QString &title, const QString &text) = 0;
    // A confirmation with Yes and No; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // A confirmation with Yes, No and Cancel.
    virtual Answer askYesNoCancel(const QString &text) = 0;
    virtual void beep() = 0;

    // File dialogs return the chosen full path, empty when cancelled. The filter has
    // the form "Description|*.ext" of the program's dialogs.
    virtual QString getOpenFileName(const QString &title, const QString &dir, const QString &filter,
                                    const QString &defaultExt) = 0;
    virtual QString getSaveFileName(const QString &title, const QString &dir, const QString &filter,
                                    const QString &defaultExt) = 0;
    virtual QString getExistingDirectory(const QString &title, const QString &dir) = 0;
    // A save dialog for a file the program checks itself (a new project): it asks no overwrite
    // question of its own, so the user is answered once, by the program.
    virtual QString getNewFileName(const QString &title, const QString &dir, const QString &filter,
                                   const QString &defaultExt)
    {
        return getSaveFileName(title, dir, filter, defaultExt);
    }

    // Opens a document or address with the desktop's program for it; false when that failed.
    virtual bool shellOpen(const QString &target) = 0;

    // The colour dialog: `color` (red in the low byte) is the start value and, on true,
    // the chosen colour; false when cancelled.
    virtual bool chooseColor(std::uint32_t &color) = 0;
    // The font dialog: `font` is the start value and, on true, the chosen font. With
    // `withColor` the dialog also offers the font's colour; without `withEffects` it
    // offers no underline and strike-out.
    virtual bool chooseFont(FontValue &font, bool withColor, bool withEffects) = 0;

    virtual QString clipboardText() = 0;
    virtual void setClipboardText(const QString &text) = 0;
};

// The service in use. Until one is installed, a silent one answers No and cancels.
DialogService &dialogs();
// Installs a service (not owned); nullptr returns to the silent one.
void setDialogService(DialogService *service);
