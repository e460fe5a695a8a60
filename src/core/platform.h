// Calls whose form differs between operating systems. Each has one version per platform
// (platform_posix.cpp, platform_win32.cpp); the build picks the file, so no tool needs an
// #ifdef of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace plandrix::platform {

// Makes a write beyond the process's file size limit fail with an error instead of
// ending the program (SIGXFSZ ignored where the platform has it), so that a save can
// report the failure and remove its temporary file.
void IgnoreFileSizeSignal();

// Whether the stream is a terminal (rather than a file or a pipe).
bool IsTerminal(std::FILE* stream);

// Moves from over to in one step, replacing an existing to. False when that failed, with
// errno saying why (from is then left where it was).
bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Storage for a map image or a bitmap: zero-filled memory of size bytes that the kernel
// may back with large pages where the platform allows it. Null when it cannot be had.
// Give it back with FreeLargeBuffer and the same size.
void* AllocateLargeBuffer(std::size_t size);
void FreeLargeBuffer(void* data, std::size_t size);

// Creates path as a new file open for writing in binary mode. Null when that failed,
// with errno EEXIST when a file of that name was there already (which is kept as it was).
std::FILE* CreateExclusive(const std::filesystem::path& path);

// The error of OpenRegularFile for a name that is there but is no regular file.
inline constexpr int kNotRegularFile = -1;

// Opens path for binary reading when it is a regular file (links followed) and gives its
// size. A named pipe or a device is refused without waiting for a writer or reading from
// it. Null when refused, with error set to errno or to kNotRegularFile.
std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uint64_t& size, int& error);

// Opens an existing file that is not a regular one (a device, a named pipe, a terminal)
// for binary writing where it is: nothing is created, replaced or cut. Null with errno
// set when that failed (also when path turned out to be a regular file: EEXIST).
std::FILE* OpenInPlace(const std::filesystem::path& path);

// Whether the existing regular file at path is protected against writing: the user may
// not write it, or it has no write permission for anyone (mode 444), which holds for the
// administrator as well. A save refuses such a file rather than replace it.
bool IsWriteProtected(const std::filesystem::path& path);

// The id of the running process: temporary names that hold it belong to this run.
std::uint64_t ProcessId();

// A save in progress. While one lives, an interrupt, a terminate or a hangup signal
// (Windows: Ctrl-C, Ctrl-Break or closing the console) removes its temporary file before
// the program ends as the signal ends it (status 128 + the signal's number in a shell);
// a signal that the program was started ignoring stays ignored. Outside a save every
// signal keeps its default action. One save at a time.
//
// The handler can reach only global storage: the temporary file's name lies in a buffer
// of the platform file allocated before the program starts, the one global mutable state
// of the programs.
class SaveInProgress {
 public:
  SaveInProgress();
  // Removes a temporary file that is still held (an exception ended the save), then
  // gives the signals their earlier actions.
  ~SaveInProgress();
  SaveInProgress(const SaveInProgress&) = delete;
  SaveInProgress& operator=(const SaveInProgress&) = delete;

  // Creates path as CreateExclusive does, with the permission bits mode (as far as the
  // system and the process's mask allow), and holds it as the file a signal removes. No
  // signal can come between its creation and its holding. Null with errno set on failure.
  std::FILE* CreateTemporary(const std::filesystem::path& path, unsigned mode);
  // The temporary file took the target's place or was removed: nothing is left to remove.
  void Release();
};

}  // namespace plandrix::platform
