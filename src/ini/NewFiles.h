#pragma once
// The new files a save writes beside its target before renaming them over it, named
// "<target>.new-<process id>-<attempt>", and the clean-up of those an interrupted save left.

#include <string>

namespace zeb {

std::string NewFileName(const std::string& target, int attempt);

// Removes the new files of `target` that no running save can still be writing: those of a
// process that has ended, and this process's own. Anything else in the folder stays, and a
// file that cannot be removed is left: the save goes on either way.
void RemoveStaleNewFiles(const std::string& target);

}  // namespace zeb
