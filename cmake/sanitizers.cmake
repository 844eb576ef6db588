# Sanitizer builds apply to every target of the tree, so tests link the same
# instrumented libraries as the programs.
if(TFT_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TFT_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TFT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TFT_SANITIZE must be empty, address or thread")
endif()

if(TFT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TFT_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  # Coverage for the whole tree, so the fuzzers see into the libraries.
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
