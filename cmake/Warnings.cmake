# One set of warning flags for every target of ours, the same for Linux GCC, clang and MinGW.
# Warnings are errors: a warning in the cross build is as much a fault as one on Linux.
function(tapisto_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Werror)
endfunction()
