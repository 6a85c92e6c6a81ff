// SPDX-License-Identifier: GPL-3.0-or-later
// How the INI store meets the file system: one whole read, one durable replacement.
#pragma once

#include <string>

namespace tavrel::settings_file {

struct ReadResult {
    enum Status { Read, Absent, Failed } status = Absent;
    std::string content;
    std::string reason;  // why a Failed read failed, in plain words
};

// Reads the whole file. Absent only when there is no file (or no folder) to read.
ReadResult ReadWhole(const std::string& path);

// Replaces the file's content so that a crash leaves the old content or the new, whole:
// a temporary file in the folder of the file's final target (a symlink stays a symlink),
// flushed to the disk, given the old file's mode, renamed over the target, and the folder
// flushed. Makes the folder when missing. False, with the old file untouched, on any failure.
bool ReplaceDurably(const std::string& path, const std::string& content);

}  // namespace tavrel::settings_file
