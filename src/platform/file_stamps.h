#pragma once

#include <QString>

// What the program last saw of each file it read or wrote: the file's identity, size and times
// as the system gave them then, or that it was not there. Another copy of the program (or any
// other program) that changed a file since leaves a different stamp behind, and a change that is
// to write over that file is refused rather than put this copy's older view of the project over
// the other's work. One lstat per file a change touches is all the check costs.
namespace FileStamps {

// A file the program reads, or finds missing, for what it holds: the first look counts, since
// the tables made from it are what a later save writes back; a second read of a file already
// seen (a check, a look-up) does not make older tables newer.
void noteRead(const QString &path);
// Whether the file is there, noted as read either way: a save that rests on a file's absence
// relies on it as much as on its bytes, and a file another program makes since is told.
bool seenThere(const QString &path);
// The program wrote or removed the file, or put its old bytes back: what is there now is its own.
void noteWritten(const QString &path);
// False when the file is not as last seen: another program wrote, removed or created it. A
// file never seen counts as unchanged.
bool unchanged(const QString &path);
// The first file under the folder (absolute) whose contents this copy read and that is not as
// last seen, empty when every one is: a save relies on every file of the project that went into
// its tables, not only on those it writes. A file the program only wrote (a plan's image) is
// no input of a save.
// A file given as except is passed over (a change's own journal, which it makes itself).
QString firstChangedUnder(const QString &folder, const QString &except = QString());
// Opening a project reads it anew: what was seen of any earlier state no longer counts.
void forgetAll();
// A new project made in the folder: what the folder held before is no part of it.
void forgetUnder(const QString &folder);

// The reason a refused write gives, after the name of the file written; it names the file that
// another program changed: the one written, or another one the save relied on.
QString changedElsewhereReason(const QString &file, bool written);

} // namespace FileStamps
