option(QUORVEL_WERROR "Treat compiler warnings as errors" OFF)

function(quorvel_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wold-style-cast -Wconversion -Wsign-conversion
    $<$<BOOL:${QUORVEL_WERROR}>:-Werror>)
endfunction()
