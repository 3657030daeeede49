#pragma once
// The lock password as scnf/SSTConf.xml keeps it (LoginPd): a salted, iterated SHA-256
// digest, "sha256i$<rounds>$<salt hex>$<digest hex>". Files written by older versions hold
// the password itself; it still opens the lock and is replaced by its digest at the next
// save of the security page.

#include <QString>

namespace marlune {

// A new digest of the password with a fresh random salt.
QString HashLockPassword(const QString& password);

// Whether the stored value is a digest (as opposed to a clear-text password of old).
bool IsHashedLockPassword(const QString& stored);

// Whether the typed password opens a lock whose stored value is `stored` (a digest, or a
// clear-text password of old). An empty stored value (a file edited by hand) is opened by an
// empty password, so that such a lock never shuts the user out.
bool LockPasswordMatches(const QString& stored, const QString& typed);

} // namespace marlune
