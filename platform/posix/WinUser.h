// Message-box styles and answers on POSIX. There is no message box here: the component
// draws its prompts with a program of its own and speaks of them in these terms.
#pragma once

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_RIGHT 0x00080000L
#define MB_RTLREADING 0x00100000L

#define IDOK 1
#define IDCANCEL 2
