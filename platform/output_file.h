// The tools' output files, written without harming what a path already
// names. A regular file, or nothing, is replaced whole: the bytes go to a
// temporary beside it that is then renamed over it, so an interrupted write
// never leaves a truncated file that looks finished. Anything else
// (/dev/null, a FIFO, a terminal, a link) just takes the bytes, and is never
// renamed over or removed.
#pragma once

#include <cstdint>
#include <vector>

// Writes `bytes` to `path`. False when they could not all be written; a
// temporary made for them is gone by then.
bool OUTFILE_Save(const char* path, const std::vector<uint8_t>& bytes);

// Whether `path` is a regular file or names nothing yet: what the tools may
// replace, or remove when their work fails.
bool OUTFILE_IsReplaceable(const char* path);

// Removes `path` when it is a regular file; leaves anything else as it is.
void OUTFILE_Discard(const char* path);
