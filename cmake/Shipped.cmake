# wandrel_shipped(TARGET): what makes a shipped binary small. The tests link the same
# libraries without it.
#  - our own terminate handler instead of the runtime's verbose one with its demangler;
#  - throw helpers of our own that do not bring the old-ABI string with them;
#  - the win32 thread-model runtime instead of the posix one (no winpthread), where the
#    cross compilers come in both models.
set(_wandrel_win32_launcher "")
if(CMAKE_CXX_COMPILER MATCHES "-posix$")
  string(REGEX REPLACE "-posix$" "-win32" _win32_cxx "${CMAKE_CXX_COMPILER}")
  if(NOT EXISTS "${_win32_cxx}")
    message(FATAL_ERROR "${_win32_cxx} is missing (tools/setup installs it): the shipped "
                        "binaries link with the win32 thread-model runtime")
  endif()
  set(_wandrel_win32_launcher ${PROJECT_SOURCE_DIR}/cmake/link-win32-threads)
endif()

function(wandrel_shipped target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common/TerminateHandler.cpp
                                   ${PROJECT_SOURCE_DIR}/common/ThrowHelpers.cpp)
  if(_wandrel_win32_launcher)
    set_target_properties(${target} PROPERTIES CXX_LINKER_LAUNCHER ${_wandrel_win32_launcher}
                                               C_LINKER_LAUNCHER ${_wandrel_win32_launcher})
  endif()
endfunction()
