// The Windows API surface that the host and the component use. On Windows it
// is the system's own headers; elsewhere our implementation of the same names.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>
#else
#include "platform/posix/WinTypes.h"
#include "platform/posix/WinError.h"
#include "platform/posix/Guid.h"
#include "platform/posix/OaTypes.h"
#include "platform/posix/ComInterfaces.h"
#include "platform/posix/OleAuto.h"
#include "platform/posix/ObjBase.h"
#include "platform/posix/WinBase.h"
#include "platform/posix/WinReg.h"
#include "platform/posix/WinUser.h"
#endif
