// Inside the drive module: the turn that hands the drive from one thread to
// the next, and the steps both readers take around their own parsing.
#pragma once

#include <cstddef>
#include <cstdint>

// The drive and its readers serve one thread at a time, handed from the main
// thread to the loader thread by the start-up order and a pause. Each call
// takes its turn on entry and ends it on return, so what one thread left in
// the module's state is visible to the next.
void CFS_TakeTurn();
void CFS_EndTurn();

// Takes the turn and reads entry name of type; an entry that inflates to
// fewer than header bytes fails with `truncated`.
void CFS_ReaderOpen(const char* name, uint32_t type, size_t header, const char* truncated);
// Header word index of the entry being read.
uint32_t CFS_ReaderWord(size_t index);
// Releases the entry and record, then reports message.
[[noreturn]] void CFS_ReaderFail(void* record, const char* message);
// The `bytes` that follow the header, in a block of their own, once they
// all came (else `truncated`) and the block could be had (else `no_memory`);
// then releases the entry and ends the turn.
void* CFS_ReaderBody(uint64_t bytes, void* record, const char* truncated, const char* no_memory);

// The inflate step: inflates the csize stored bytes at src, one zlib stream,
// into dest, which holds *length bytes; *length then holds the bytes
// inflated. False when the stream is damaged or does not end within csize
// bytes and *length bytes. zlib does it natively (cfs_inflate_zlib.cpp); in
// a browser the entry was inflated ahead (cfs_web.h).
bool CFS_Uncompress(uint8_t* dest, uint64_t* length, const uint8_t* src, uint32_t csize);
