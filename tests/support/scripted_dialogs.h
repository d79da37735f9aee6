#pragma once

#include "platform/dialog_service.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

// A dialog service for tests: records every message and answers questions and file
// dialogs from queues. A dialog the test did not script fails the test at once and is
// answered No / cancelled, so no test ever waits for a user.
class ScriptedDialogs : public DialogService
{
public:
    ScriptedDialogs() { setDialogService(this); }
    ~ScriptedDialogs() override { setDialogService(nullptr); }

    QStringList messages;  // showMessage texts, in order
    QStringList errors;    // "title: text" of showError
    QStringList questions; // texts of askYesNo / askYesNoCancel
    QStringList opened;    // shellOpen targets
    int beeps = 0;
    bool shellResult = true;

    std::deque<Answer> answers;     // for askYesNo (Cancel counts as No) and askYesNoCancel
    std::deque<QString> fileNames;  // for open and save file dialogs ("" = cancelled)
    std::deque<QString> folders;    // for folder dialogs

    void showMessage(const QString &text) override { messages << text; }
    void showError(const QString &title, const QString &text) override { errors << title + QStringLiteral(": ") + text; }
    bool askYesNo(const QString &text) override { return askYesNoCancel(text) == Answer::Yes; }
    Answer askYesNoCancel(const QString &text) override
    {
        questions << text;
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text.toStdString();
            return Answer::No;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep() override { ++beeps; }
    QString getOpenFileName(const QString &title, const QString &, const QString &, const QString &) override
    {
        return nextFile(title);
    }
    QString getSaveFileName(const QString &title, const QString &, const QString &, const QString &) override
    {
        return nextFile(title);
    }
    QString getExistingDirectory(const QString &title, const QString &) override
    {
        if (folders.empty()) {
            ADD_FAILURE() << "unscripted folder dialog: " << title.toStdString();
            return QString();
        }
        const QString f = folders.front();
        folders.pop_front();
        return f;
    }
    bool shellOpen(const QString &target) override
    {
        opened << target;
        return shellResult;
    }
    // Colour and font dialogs: each call takes the next scripted answer; an empty
    // optional means the user cancelled.
    std::deque<std::optional<std::uint32_t>> colors;
    std::deque<std::optional<FontValue>> fonts;
    int colorDialogs = 0;
    int fontDialogs = 0;

    bool chooseColor(std::uint32_t &color) override
    {
        ++colorDialogs;
        if (colors.empty()) {
            ADD_FAILURE() << "unscripted colour dialog";
            return false;
        }
        const auto c = colors.front();
        colors.pop_front();
        if (!c)
            return false;
        color = *c;
        return true;
    }
    bool chooseFont(FontValue &font, bool, bool) override
    {
        ++fontDialogs;
        if (fonts.empty()) {
            ADD_FAILURE() << "unscripted font dialog";
            return false;
        }
        const auto f = fonts.front();
        fonts.pop_front();
        if (!f)
            return false;
        font = *f;
        return true;
    }

    QString clipboardText() override { return clipboard; }
    void setClipboardText(const QString &text) override { clipboard = text; }

    QString clipboard;

private:
    QString nextFile(const QString &title)
    {
        if (fileNames.empty()) {
            ADD_FAILURE() << "unscripted file dialog: " << title.toStdString();
            return QString();
        }
        const QString f = fileNames.front();
        fileNames.pop_front();
        return f;
    }
};
