# Compile options shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release)
endif()

option(QX_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)
option(QX_FUZZ "Build the libFuzzer targets (clang)" OFF)

# Every angle is a float and every operation is rounded before the next:
# no fused multiply-adds, no fast-math, and a warning for any silent double.
add_library(qx_options INTERFACE)
target_compile_options(qx_options INTERFACE
  -Wall -Wextra -Werror -Wfloat-conversion -Wdouble-promotion
  -ffp-contract=off -fno-fast-math)

# Tests get the same strictness, but float-to-double promotion is normal
# in test expectations.
add_library(qx_test_options INTERFACE)
target_compile_options(qx_test_options INTERFACE -Wall -Wextra -Werror -ffp-contract=off)

if(QX_FUZZ)
  target_compile_options(qx_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(qx_options INTERFACE -fsanitize=address,undefined)
endif()

if(QX_SANITIZE)
  foreach(t qx_options qx_test_options)
    target_compile_options(${t} INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${t} INTERFACE -fsanitize=address,undefined)
  endforeach()
endif()
