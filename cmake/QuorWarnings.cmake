# Warning flags for our own targets. Qt and other imported targets are system includes, so their
# headers do not trip these.
function(quor_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough
    -Wcast-qual -Wformat=2 -Wundef -Wno-missing-field-initializers)
  if(QUOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
