#pragma once

// Replays the disk calls a change made (recorded through FileChange::setDiskRecorder) into a model
// of a POSIX file system, and builds every state a power cut could leave: after each call, with
// the bytes not yet synced kept, lost, cut short or zeroed, and with the names not yet made
// durable by a sync of their folder all kept, all lost, one of them lost while the later ones
// stay, or the later ones lost. Each state is made in a folder of its own, recovered as opening
// the project recovers it, and must then hold the files before the change or those after it,
// and nothing of the change's own.

#include "platform/file_change.h"

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <map>
#include <set>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace power_cut {

using Files = std::map<QString, QByteArray>; // folder-relative name: bytes
using Calls = std::vector<FileChange::DiskCall>;

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file under the folder.
inline Files filesUnder(const QString &folder)
{
    Files files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(folder).relativeFilePath(path)] = readBytes(path);
    }
    return files;
}

// Records the calls while it lives.
struct Recorder {
    Calls calls;
    Recorder()
    {
        FileChange::setDiskRecorder([this](const FileChange::DiskCall &call) {
            calls.push_back(call);
            return true;
        });
    }
    ~Recorder() { FileChange::setDiskRecorder(nullptr); }
};

inline void save(QDataStream &s, const Calls &calls)
{
    s << qint32(calls.size());
    for (const auto &c : calls)
        s << qint32(c.kind) << c.path << c.target << c.bytes;
}

inline Calls load(QDataStream &s)
{
    Calls calls;
    qint32 n = 0;
    s >> n;
    for (qint32 i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
        qint32 kind = 0;
        FileChange::DiskCall c{};
        s >> kind >> c.path >> c.target >> c.bytes;
        c.kind = FileChange::DiskCall::Kind(kind);
        calls.push_back(c);
    }
    return calls;
}

struct Inode {
    QByteArray durable; // what a power cut leaves for sure
    QByteArray now;
};

struct NameStep {
    QString dir;
    QString removed; // a name that goes
    QString set;     // a name that comes, for the inode
    int inode = -1;
    bool synced = false;
};

// The model after the first `count` calls.
struct Model {
    std::vector<Inode> inodes;
    std::map<QString, int> initial;
    std::vector<NameStep> steps;
    // The inodes the journal's lines name (of a file kept, of a temporary file or copy made), as
    // recorded, and the file each is in the model: a state built anew has inodes of its own, so
    // the lines are made to name those.
    // By the line's offset in the journal: a file system reuses the inode of a file removed.
    std::map<qsizetype, int> namedInodes;
    qsizetype journalSize = 0;
};

inline QString parentOf(const QString &rel)
{
    const qsizetype slash = rel.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : rel.left(slash);
}

class Replay
{
public:
    // The folder the change worked in, its files before and after, and the calls it made.
    Replay(const QString &folder, const Files &before, const Files &after, const Calls &calls)
        : m_folder(QDir::cleanPath(folder)), m_calls(calls)
    {
        QSet<QString> names;
        for (const auto &c : calls) {
            for (const QString &p : {c.path, c.target}) {
                if (!p.isEmpty() && c.kind != FileChange::DiskCall::SyncFolder)
                    names.insert(rel(p));
            }
            if (c.kind == FileChange::DiskCall::SyncFolder)
                m_dirs.insert(rel(c.path));
        }
        for (const auto &[name, bytes] : before)
            if (names.contains(name))
                m_before[name] = bytes;
        for (const auto &[name, bytes] : after)
            if (names.contains(name))
                m_after[name] = bytes;
        for (const QString &n : names)
            m_dirs.insert(parentOf(n));
    }

    int statesChecked() const { return m_checked; }

    // Every state a power cut could leave, recovered; the failures, one line each (empty: none).
    QStringList failures()
    {
        QStringList found;
        for (size_t count = 0; count <= m_calls.size(); ++count) {
            const Model model = replay(count);
            std::vector<int> unsynced;
            for (size_t i = 0; i < model.steps.size(); ++i)
                if (!model.steps[i].synced)
                    unsynced.push_back(int(i));
            // The name steps to drop: none, each alone, and each with all after it.
            std::vector<std::pair<std::set<int>, QString>> lost{{{}, QStringLiteral("every name kept")}};
            for (size_t j = 0; j < unsynced.size(); ++j) {
                lost.push_back({{unsynced[j]}, QStringLiteral("name step %1 lost").arg(unsynced[j])});
                std::set<int> tail(unsynced.begin() + qsizetype(j), unsynced.end());
                if (tail.size() > 1)
                    lost.push_back({tail, QStringLiteral("name steps from %1 on lost").arg(unsynced[j])});
            }
            for (const auto &[drop, dropText] : lost) {
                for (const Bytes mode : {Kept, Lost, Cut, Zeroed}) {
                    const QString failure = check(model, drop, mode);
                    if (!failure.isEmpty())
                        found << QStringLiteral("after %1 calls (%2), %3, %4: %5")
                                     .arg(count)
                                     .arg(count ? describe(m_calls[count - 1]) : QStringLiteral("none"), dropText,
                                          modeText(mode), failure);
                }
            }
        }
        return found;
    }

private:
    enum Bytes { Kept, Lost, Cut, Zeroed };

    static QString modeText(Bytes mode)
    {
        switch (mode) {
        case Kept: return QStringLiteral("unsynced bytes kept");
        case Lost: return QStringLiteral("unsynced bytes lost");
        case Cut: return QStringLiteral("unsynced bytes cut short");
        case Zeroed: return QStringLiteral("unsynced bytes zeroed");
        }
        return QString();
    }

    QString describe(const FileChange::DiskCall &c) const
    {
        static const char *kinds[] = {"create", "write", "sync file", "sync folder", "rename", "link", "unlink"};
        QString text = QLatin1String(kinds[c.kind]) + QLatin1Char(' ') + rel(c.path);
        if (!c.target.isEmpty())
            text += QStringLiteral(" -> ") + rel(c.target);
        return text;
    }

    QString rel(const QString &path) const
    {
        const QString clean = QDir::cleanPath(path);
        return clean == m_folder ? QString() : clean.mid(m_folder.size() + 1);
    }

    Model replay(size_t count) const
    {
        Model m;
        for (const auto &[name, bytes] : m_before) {
            m.initial[name] = int(m.inodes.size());
            m.inodes.push_back({bytes, bytes});
        }
        std::map<QString, int> live = m.initial;
        using K = FileChange::DiskCall;
        for (size_t i = 0; i < count; ++i) {
            const K &c = m_calls[i];
            const QString a = rel(c.path), b = rel(c.target);
            const auto it = live.find(a);
            switch (c.kind) {
            case K::Create:
                if (it != live.end()) {
                    m.inodes[it->second].now.clear();
                } else {
                    live[a] = int(m.inodes.size());
                    m.steps.push_back({parentOf(a), QString(), a, int(m.inodes.size())});
                    m.inodes.push_back({});
                }
                break;
            case K::Write:
                if (it != live.end())
                    m.inodes[it->second].now += c.bytes;
                if (a == FileChange::journalName()) {
                    noteNamedInodes(m, live, c.bytes);
                    m.journalSize += c.bytes.size();
                }
                break;
            case K::SyncFile:
                if (it != live.end())
                    m.inodes[it->second].durable = m.inodes[it->second].now;
                break;
            case K::SyncFolder:
                for (NameStep &s : m.steps)
                    if (s.dir == a)
                        s.synced = true;
                break;
            case K::Rename:
                if (it != live.end()) {
                    const int inode = it->second;
                    m.steps.push_back({parentOf(b), a, b, inode});
                    live.erase(a);
                    live[b] = inode;
                }
                break;
            case K::Link:
                if (it != live.end()) {
                    m.steps.push_back({parentOf(b), QString(), b, it->second});
                    live[b] = it->second;
                }
                break;
            case K::Unlink:
                if (it != live.end()) {
                    m.steps.push_back({parentOf(a), a, QString(), -1});
                    live.erase(it);
                }
                break;
            }
        }
        return m;
    }

    static QByteArray content(const Inode &inode, Bytes mode)
    {
        const QByteArray &now = inode.now;
        if (now == inode.durable || mode == Kept)
            return now;
        if (mode == Lost)
            return inode.durable;
        const qsizetype kept = now.startsWith(inode.durable) ? inode.durable.size() : 0;
        if (mode == Cut)
            return now.left(kept + (now.size() - kept) / 2);
        return now.left(kept) + QByteArray(now.size() - kept, '\0');
    }

    // Makes the state, recovers it and judges it; empty when it is the old or the new one.
    QString check(const Model &m, const std::set<int> &drop, Bytes mode)
    {
        std::map<QString, int> names = m.initial;
        for (size_t i = 0; i < m.steps.size(); ++i) {
            if (drop.count(int(i)))
                continue;
            const NameStep &s = m.steps[i];
            if (!s.removed.isEmpty())
                names.erase(s.removed);
            if (!s.set.isEmpty())
                names[s.set] = s.inode;
        }
        // The same state twice is judged once.
        QByteArray key;
        {
            QDataStream ks(&key, QIODevice::WriteOnly);
            for (const auto &[name, inode] : names)
                ks << name << inode << content(m.inodes[size_t(inode)], mode);
        }
        if (m_seen.count(key))
            return QString();
        m_seen.insert(key);
        ++m_checked;

        QTemporaryDir dir;
        if (!dir.isValid())
            return QStringLiteral("no temporary folder");
        for (const QString &d : m_dirs)
            QDir().mkpath(dir.path() + QLatin1Char('/') + d);
        std::map<int, QString> made;
        for (const auto &[name, inode] : names) {
            const QString path = dir.path() + QLatin1Char('/') + name;
            if (const auto it = made.find(inode); it != made.end()) {
                if (::link(QFile::encodeName(it->second).constData(), QFile::encodeName(path).constData()) != 0)
                    return QStringLiteral("cannot link ") + name;
                continue;
            }
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(content(m.inodes[size_t(inode)], mode)) < 0)
                return QStringLiteral("cannot make ") + name;
            made[inode] = path;
        }
        if (names.count(FileChange::journalName()))
            nameMadeInodes(m, made, dir.path() + QLatin1Char('/') + FileChange::journalName());
        const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
        const Files now = filesUnder(dir.path());
        if (now == m_before || now == m_after)
            return QString();
        QStringList differs;
        for (const auto &[name, bytes] : now) {
            const auto b = m_before.find(name), a = m_after.find(name);
            if ((b == m_before.end() || b->second != bytes) && (a == m_after.end() || a->second != bytes))
                differs << name + QStringLiteral(" (neither)");
            else if (b == m_before.end() || b->second != bytes)
                differs << name + QStringLiteral(" (new)");
            else if (a == m_after.end() || a->second != bytes)
                differs << name + QStringLiteral(" (old)");
        }
        for (const auto &[name, bytes] : m_before)
            if (!now.count(name) && m_after.count(name))
                differs << name + QStringLiteral(" (missing)");
        for (const auto &[name, bytes] : m_after)
            if (!now.count(name) && !m_before.count(name))
                differs << name + QStringLiteral(" (new one missing)");
        return QStringLiteral("recovery %1 %2 left %3").arg(int(r.kind)).arg(r.error, differs.join(QStringLiteral(", ")));
    }

    // The field of a journal line that holds an inode, and the field that names its file.
    static bool inodeFields(const QList<QByteArray> &fields, int &inode, int &name)
    {
        if (fields.size() == 5 && fields[0] == "keep") {
            inode = 4;
            name = 1;
            return true;
        }
        if (fields.size() == 3 && fields[0] == "id") {
            inode = 2;
            name = 1;
            return true;
        }
        return false;
    }

    void noteNamedInodes(Model &m, const std::map<QString, int> &live, const QByteArray &bytes) const
    {
        qsizetype offset = m.journalSize;
        for (const QByteArray &line : bytes.split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            int inode = 0, name = 0;
            const auto it = inodeFields(fields, inode, name) ? live.find(QUrl::fromPercentEncoding(fields[name]))
                                                              : live.end();
            if (it != live.end())
                m.namedInodes[offset] = it->second;
            offset += line.size() + 1;
        }
    }

    static void nameMadeInodes(const Model &m, const std::map<int, QString> &made, const QString &journal)
    {
        QFile f(journal);
        if (!f.open(QIODevice::ReadOnly))
            return;
        QList<QByteArray> lines = f.readAll().split('\n');
        f.close();
        qsizetype offset = 0;
        for (QByteArray &line : lines) {
            const qsizetype at = offset;
            offset += line.size() + 1;
            QList<QByteArray> fields = line.split('\t');
            int field = 0, name = 0;
            if (!inodeFields(fields, field, name))
                continue;
            const auto inode = m.namedInodes.find(at);
            if (inode == m.namedInodes.end() || !made.count(inode->second))
                continue;
            struct stat st;
            if (::lstat(QFile::encodeName(made.at(inode->second)).constData(), &st) == 0) {
                fields[field] = QByteArray::number(quint64(st.st_ino));
                line = fields.join('\t');
            }
        }
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(lines.join('\n'));
    }

    QString m_folder;
    Calls m_calls;
    Files m_before;
    Files m_after;
    QSet<QString> m_dirs;
    std::set<QByteArray> m_seen;
    int m_checked = 0;
};

} // namespace power_cut
