#pragma once
// Files read for pages, uploads and streams: opened without waiting (a FIFO or a device put where
// a file was would hold the reader until a writer came) and accepted only as regular files of an
// ordinary filesystem; the kernel's own files claim no size, and some never end or block on read.

#include <string>

namespace OrdinaryFile {

// Zero when the open descriptor is a regular file of an ordinary filesystem, else the error to
// fail with (EISDIR, EINVAL or the system's).
int refusal(int fd);
// The descriptor, still non-blocking, or -1 with the error in `error`.
int openForReading(const std::string& path, int& error);

} // namespace OrdinaryFile
