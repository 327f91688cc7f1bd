// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing whole files so that a reader never sees half of one.
// Thread: any. Failure: false, with the reason logged under "veltrio.files".

#include <filesystem>
#include <string_view>

namespace platform {

// Writes `bytes` to a new temporary file in the folder of `path`, flushes it to the disk and
// renames it over `path`. A full disk, a read-only folder or a crash part-way leaves the
// previous file as it was; the temporary file is removed on failure. When `path` is a symbolic
// link, the file it points to is replaced and the link stays.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Removes the temporary files that writes of `path` interrupted part-way (the process killed,
// the machine off) left beside it; a finished or failed write leaves none. Call it only while
// no other process may be writing `path`. Returns how many it removed.
int RemoveInterruptedWrites(const std::filesystem::path& path);

}  // namespace platform
