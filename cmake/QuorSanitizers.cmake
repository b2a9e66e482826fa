# AddressSanitizer + UndefinedBehaviorSanitizer for the whole build when QUOR_SANITIZE is on.
if(QUOR_SANITIZE)
  set(QUOR_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${QUOR_SANITIZER_FLAGS} -O1 -g)
  add_link_options(-fsanitize=address,undefined)
endif()
