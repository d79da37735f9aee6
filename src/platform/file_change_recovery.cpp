#include "platform/file_change.h"
#include "platform/file_change_disk.h"
#include "platform/file_change_journal.h"

#include <cerrno>

using namespace change_disk;

FileChange::Recovery FileChange::recoverFolder(const QString &folder)
{
    Recovery result;
    const QString clean = cleanFolder(folder);
    if (clean.isEmpty())
        return result;
    journal::Reading reading = journal::read(clean, journalName());
    result.files = reading.named;
    result.cut = reading.cut;
    switch (reading.verdict) {
    case journal::Reading::NoJournal:
        return result;
    case journal::Reading::Busy:
        // A change still running in another process is left to it.
        result.kind = Recovery::Busy;
        return result;
    case journal::Reading::Refuse:
        result.kind = Recovery::Refused;
        result.error = reading.refusal;
        result.lying = reading.lying;
        return result;
    case journal::Reading::Act:
        break;
    }
    if (reading.done) {
        clearEntries(clean, reading.entries, reading.scratch);
        result.kind = Recovery::Completed;
        // The kept files are gone for good before the journal that names them goes; should that
        // not be sure, the change is complete all the same, and its journal stays for the next
        // opening to clear away.
        if (!syncFolders(foldersOf(clean, reading.entries), result.journalError)) {
            journal::release(reading);
            return result;
        }
    } else if (!undoEntries(clean, reading.entries, reading.scratch, result.error)) {
        // The journal stays, so that the next opening tries again.
        result.kind = Recovery::Failed;
        result.notPutBack = journal::notPutBack(clean, reading.entries);
        journal::release(reading);
        return result;
    } else {
        result.kind = Recovery::Undone;
        result.madeGone = reading.madeGone;
    }
    // Removed while still locked. No sync after: a journal that comes back after a power cut
    // finds its work done, and the next change makes the folder's names durable before it
    // touches a file.
    if (diskUnlink(clean + QLatin1Char('/') + journalName()) != 0 && errno != ENOENT)
        result.journalError = systemReason(errno);
    journal::release(reading);
    return result;
}
