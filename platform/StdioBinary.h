// Standard input and output carrying bytes untranslated: no newline conversion and no
// end-of-file character. POSIX streams already behave so.
#pragma once

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

inline void SetStdioBinary() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}
#else
inline void SetStdioBinary() {}
#endif
