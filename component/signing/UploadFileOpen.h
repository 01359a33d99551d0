// Opening an upload file by its name in the ANSI code page, read-only and in binary mode.
#pragma once

#include <cstdio>
#include <string>

// Null when the file cannot be opened.
FILE* OpenUploadFile(const std::string& ansiName);
