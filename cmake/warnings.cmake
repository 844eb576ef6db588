# Warnings are errors for the suite's own code.
function(tft_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wunused -Woverloaded-virtual -Wformat=2 -Werror)
endfunction()
