# Compile options shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release)
endif()

option(QX_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)
option(QX_FUZZ "Build the libFuzzer targets (clang)" OFF)
# Off by default: a warning that a newer compiler adds must not stop a
# user's build. CI turns it on.
option(QX_WERROR "Treat compiler warnings as errors" OFF)

# Every target, tests included: the warnings, and no fused multiply-adds
# and no fast-math, so that every float operation is rounded before the next.
add_library(qx_options INTERFACE)
target_compile_options(qx_options INTERFACE -Wall -Wextra -ffp-contract=off -fno-fast-math)
if(QX_WERROR)
  target_compile_options(qx_options INTERFACE -Werror)
endif()

# The program's own code, linked privately so that it reaches no test: every
# angle is a float, and a silent double is a warning. Tests don't get it:
# float-to-double promotion is normal in test expectations.
add_library(qx_float_checks INTERFACE)
target_compile_options(qx_float_checks INTERFACE -Wfloat-conversion -Wdouble-promotion)

if(QX_FUZZ)
  target_compile_options(qx_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(qx_options INTERFACE -fsanitize=address,undefined)
endif()

if(QX_SANITIZE)
  target_compile_options(qx_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(qx_options INTERFACE -fsanitize=address,undefined)
endif()
