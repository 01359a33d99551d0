// Opening an upload file by its name in the ANSI code page, read-only and in binary mode.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Null when the file cannot be opened.
FILE* OpenUploadFile(const std::string& ansiName);

// Seeks to the end of the file and gives the position there, its size, in 64 bits, so that a
// file of 2 GiB or more is measured where the C runtime's long has 32; false when the seek or
// the position fails.
bool SeekToUploadFileEnd(FILE* file, int64_t& size);
