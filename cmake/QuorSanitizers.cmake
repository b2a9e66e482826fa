# AddressSanitizer + UndefinedBehaviorSanitizer for the whole build when QUOR_SANITIZE is on.
if(QUOR_SANITIZE)
  set(QUOR_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  # Line tables are all a sanitizer report needs; full debug information made every test program
  # about 250 MB, some 10 GB per build tree. Compressed sections halve what is left.
  add_compile_options(${QUOR_SANITIZER_FLAGS} -O1 -g1 -gz)
  add_link_options(-fsanitize=address,undefined LINKER:--compress-debug-sections=zlib)
endif()
