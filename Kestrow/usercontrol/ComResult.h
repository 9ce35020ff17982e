// Small helpers for HRESULT plumbing at COM boundaries.
#pragma once

#include <windows.h>

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
