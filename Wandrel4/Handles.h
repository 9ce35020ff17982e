// One move-only owner for each kind of handle the program holds.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

template <typename T, auto Close, T Invalid = T{}>
using UniqueHandle = common::UniqueHandle<T, Close, Invalid>;

using UniqueHwnd = UniqueHandle<HWND, &DestroyWindow>;
using UniqueHicon = UniqueHandle<HICON, &DestroyIcon>;
using UniqueHfont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueHdc = UniqueHandle<HDC, &DeleteDC>;
using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;
