#pragma once

#include <QString>

namespace brindle {

// Makes `path` a folder that only this user can enter, or checks that it already is one: a real
// folder (not a link) that this user owns, inside a folder nobody else can rename it out of (owned
// by this user or root, and sticky where others may write). A folder of ours with a looser mode is
// tightened. False when the folder belongs to someone else or cannot be made: then nothing in it
// may be trusted.
[[nodiscard]] bool makePrivateFolder(const QString& path);

} // namespace brindle
