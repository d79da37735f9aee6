#include "platform/dialog_service.h"

namespace {

// Stands in before the program installs its real service, and in tools without a display.
class SilentDialogService : public DialogService
{
public:
    void showMessage(const QString &) override {}
    void showError(const QString &, const QString &) override {}
    bool askYesNo(const QString &) override { return false; }
    Answer askYesNoCancel(const QString &) override { return Answer::Cancel; }
    void beep() override {}
    QString getOpenFileName(const QString &, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString getSaveFileName(const QString &, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString getExistingDirectory(const QString &, const QString &) override { return QString(); }
    bool shellOpen(const QString &) override { return false; }
    bool chooseColor(std::uint32_t &) override { return false; }
    bool chooseFont(FontValue &, bool, bool) override { return false; }
    QString clipboardText() override { return m_clipboard; }
    void setClipboardText(const QString &text) override { m_clipboard = text; }

private:
    QString m_clipboard;
};

SilentDialogService g_silent;
DialogService *g_service = nullptr;

} // namespace

DialogService &dialogs() { return g_service ? *g_service : g_silent; }

void setDialogService(DialogService *service) { g_service = service; }
