#pragma once

#include "platform/dialog_service.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>

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

    // Runs while the box of each message is up, as a user's look at the folder then would.
    std::function<void(const QString &)> onMessage;

    void showMessage(const QString &text) override
    {
        messages << text;
        if (onMessage)
            onMessage(text);
    }
    void showError(const QString &title, const QString &text) override { errors << title + QStringLiteral(": ") + text; }
    bool askYesNo(const QString &text) override { return askYesNoCancel(text) == Answer::Yes; }
    Answer askYesNoCancel(const QString &text) override
    {
        questions << text;
        return next(answers, Answer::No, "question: " + text.toStdString());
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
        return next(folders, QString(), "folder dialog: " + title.toStdString());
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
        const auto c = next(colors, {}, "colour dialog");
        if (!c)
            return false;
        color = *c;
        return true;
    }
    bool chooseFont(FontValue &font, bool, bool) override
    {
        ++fontDialogs;
        const auto f = next(fonts, {}, "font dialog");
        if (!f)
            return false;
        font = *f;
        return true;
    }

    QString clipboardText() override { return clipboard; }
    void setClipboardText(const QString &text) override { clipboard = text; }

    QString clipboard;

private:
    QString nextFile(const QString &title) { return next(fileNames, QString(), "file dialog: " + title.toStdString()); }
    // The queue's next answer; a dialog the test did not script fails it and gets the fallback.
    template <class T> static T next(std::deque<T> &queue, const T &fallback, const std::string &dialog)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted " << dialog;
            return fallback;
        }
        const T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
