// Calls whose form differs between operating systems. Each has one version per platform
// (platform_posix.cpp, platform_win32.cpp); the build picks the file, so no tool needs an
// #ifdef of its own.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>

namespace plandrix::platform {

// Makes a write beyond the process's file size limit fail with an error instead of
// ending the program (SIGXFSZ ignored where the platform has it), so that a save can
// report the failure and remove its temporary file.
void IgnoreFileSizeSignal();

// Whether the stream is a terminal (rather than a file or a pipe).
bool IsTerminal(std::FILE* stream);

// Moves from over to in one step, replacing an existing to. False when that failed
// (from is then left where it was).
bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Storage for a map image or a bitmap: zero-filled memory of size bytes that the kernel
// may back with large pages where the platform allows it. Null when it cannot be had.
// Give it back with FreeLargeBuffer and the same size.
void* AllocateLargeBuffer(std::size_t size);
void FreeLargeBuffer(void* data, std::size_t size);

// Creates path as a new file open for writing in binary mode. Null when that failed,
// with errno EEXIST when a file of that name was there already (which is kept as it was).
std::FILE* CreateExclusive(const std::filesystem::path& path);

}  // namespace plandrix::platform
