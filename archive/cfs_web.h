// The drive in a browser. A read must return at once, but the browser
// inflates (DecompressionStream) only asynchronously, so every entry of the
// open drive is inflated ahead, before the production starts; the handler's
// inflate step then takes the entry's result.
#pragma once

// Starts inflating every entry of the drive that CFS_Open opened at path.
void CFS_WEB_InflateAll(const char* path);

// True once every entry has been inflated, or has failed to (its read then
// fails as a damaged stream does).
bool CFS_WEB_Ready();
