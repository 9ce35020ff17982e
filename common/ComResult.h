// The error idiom at COM boundaries: early returns on a failed HRESULT or a null pointer, and
// a catch that turns an escaping C++ exception into an HRESULT.
#pragma once

#include <windows.h>

#include <new>

#define RETURN_IF_FAILED(expr)   \
  do {                           \
    const HRESULT hr_ = (expr);  \
    if (FAILED(hr_)) return hr_; \
  } while (0)

#define RETURN_IF_NULL(ptr)                 \
  do {                                      \
    if ((ptr) == nullptr) return E_POINTER; \
  } while (0)

// Ends a COM method body: turns an escaping C++ exception into an HRESULT.
#define CATCH_RETURN()            \
  catch (const std::bad_alloc&) { \
    return E_OUTOFMEMORY;         \
  }                               \
  catch (...) {                   \
    return E_UNEXPECTED;          \
  }
