#pragma once

// Runs a write as on a full disk: in a child process whose file-size limit is small, with
// SIGXFSZ ignored, so a write past the limit fails with EFBIG instead of ending the process.
// The parent gets the child's answer; its own limit and signals stay untouched.

#include "platform/ansi.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct LimitedWrite {
    bool ran = false;    // the child reported back
    bool result = false; // what the write returned
    QString reason;      // ansi::lastWriteError() or whatever the write gives as its reason
};

// The write returns its result and sets the reason; it runs only in the child.
inline LimitedWrite writeWithFileSizeLimit(rlim_t limit, const std::function<bool(QString &)> &write)
{
    LimitedWrite answer;
    int fds[2];
    if (pipe(fds) != 0)
        return answer;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return answer;
    }
    if (pid == 0) {
        close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{limit, limit};
        setrlimit(RLIMIT_FSIZE, &lim);
        QString reason;
        const bool ok = write(reason);
        const QByteArray out = QByteArray(ok ? "1" : "0") + reason.toUtf8();
        qsizetype done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        close(fds[1]);
        _exit(0); // no destructors or atexit handlers of the parent's objects
    }
    close(fds[1]);
    QByteArray in;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        in.append(buffer, n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !in.isEmpty()) {
        answer.ran = true;
        answer.result = in.at(0) == '1';
        answer.reason = QString::fromUtf8(in.mid(1));
    }
    return answer;
}

// The system's text for a file past the size limit, as a reason should name it.
inline QString fileTooLargeText()
{
    return QString::fromLocal8Bit(std::strerror(EFBIG));
}

// The same for a writer that leaves its reason in ansi::lastWriteError() (the atomic writer
// and every writer built on it).
inline LimitedWrite writeOnFullDisk(rlim_t limit, const std::function<bool()> &write)
{
    return writeWithFileSizeLimit(limit, [&](QString &reason) {
        const bool ok = write();
        reason = ansi::lastWriteError();
        return ok;
    });
}

// A write on a full disk that ran, failed and named the size limit as its reason.
inline ::testing::AssertionResult failedForFileSize(const LimitedWrite &w)
{
    if (!w.ran)
        return ::testing::AssertionFailure() << "the write did not report back";
    if (w.result)
        return ::testing::AssertionFailure() << "the write succeeded";
    if (!w.reason.contains(fileTooLargeText(), Qt::CaseInsensitive))
        return ::testing::AssertionFailure() << "the reason \"" << w.reason.toStdString()
                                             << "\" does not name the size limit";
    return ::testing::AssertionSuccess();
}

// Every entry of a folder but . and .., sorted: a write that failed leaves no file of its own.
inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The messages of failed writes: each is its caller's text, then ": " and the system's reason.
// The reason's wording is the system's own, so only that one is there is checked.
inline ::testing::AssertionResult messagesWithReasons(const QStringList &messages, const QStringList &texts)
{
    bool ok = messages.size() == texts.size();
    for (qsizetype i = 0; ok && i < texts.size(); ++i) {
        const QString prefix = texts[i] + QStringLiteral(": ");
        ok = messages[i].startsWith(prefix) && messages[i].size() > prefix.size();
    }
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "messages {" << messages.join(QStringLiteral(" | ")).toStdString()
                                         << "} are not {" << texts.join(QStringLiteral(": <reason> | ")).toStdString()
                                         << ": <reason>}";
}
