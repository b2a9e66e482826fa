# Adds every folder below `root` (one or two levels deep) that has a CMakeLists.txt, so each area
# registers its own tests and parallel work never edits a shared list. Area lists never call
# add_subdirectory themselves.
function(quor_add_test_areas root)
  cmake_parse_arguments(ARG "" "" "SKIP" ${ARGN})
  file(GLOB lists CONFIGURE_DEPENDS ${root}/*/CMakeLists.txt ${root}/*/*/CMakeLists.txt)
  list(SORT lists)
  foreach(list_file IN LISTS lists)
    get_filename_component(area ${list_file} DIRECTORY)
    get_filename_component(area_name ${area} NAME)
    if(NOT area_name IN_LIST ARG_SKIP)
      add_subdirectory(${area})
    endif()
  endforeach()
endfunction()
