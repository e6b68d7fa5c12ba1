// Random Leafturner.db images: opening (schema and integrity checks), every query, and the writes
// the reader makes never crash, and values read stay within their ranges.
#include "history/historydb.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 256 * 1024)
        return 0;
    for (const bool writable : {false, true}) {
        HistoryDb::Status status = HistoryDb::Status::Failed;
        const auto db = HistoryDb::OpenImage(data, size, writable, &status);
        if (!db)
            continue;
        for (const BookRecord& r : db->All()) {
            if (r.percent < 0 || r.percent > 100 || r.position < 0 || r.length < 0)
                __builtin_trap();
            (void)db->FindByPath(r.path);
            (void)db->FindByFingerprint(r.fingerprint);
            (void)db->FindFormerPath(r.path);
        }
        if (db->IsReadOnly())
            continue;
        BookRecord added;
        added.path = QStringLiteral("/books/fuzz.txt");
        added.fingerprint = {12345, 678};
        added.position = 40;
        added.length = 80;
        added.percent = 50;
        const bool written = db->Put(added) && db->UpdatePosition(added.path, 60, 80, 1, 1);
        if (size == 0 && (!written || db->FindByPath(added.path)->position != 60))
            __builtin_trap(); // an empty file becomes a working database
        (void)db->WithFingerprint(added.fingerprint);
        db->Rename(added.path, QStringLiteral("/books/moved.txt"));
        (void)db->FindFormerPath(added.path);
        db->Remove({QStringLiteral("/books/moved.txt")});
    }
    return 0;
}
