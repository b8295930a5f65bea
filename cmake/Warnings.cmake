# One set of warning flags for every target of ours, the same for Linux GCC, clang and MinGW.
# Warnings are errors: a warning in the cross build is as much a fault as one on Linux.
# Only the compilers get them: a target may also hold resource scripts (windres).
function(tapisto_warnings target)
  set(flags
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Werror)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${flags}>")
endfunction()
