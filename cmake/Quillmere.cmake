# qm_folder_library(<target> FOLDERS <folder>... [EXCLUDE <regex>...] LINKS <libs>...)
# Builds a static library from every .cpp/.h under the given folders (recursively), so a new
# source file needs no CMake edit. EXCLUDE leaves out files that another target builds.
function(qm_folder_library target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;EXCLUDE;LINKS" ${ARGN})
  set(srcs)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
      ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
    list(APPEND srcs ${found})
  endforeach()
  list(FILTER srcs EXCLUDE REGEX "/bench_[^/]*\\.cpp$")
  foreach(regex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${regex}")
  endforeach()
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(cpps)
    add_library(${target} STATIC ${srcs})
    target_link_libraries(${target} PUBLIC qm_options ${ARG_LINKS})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE qm_options ${ARG_LINKS})
  endif()
endfunction()

# qm_add_tests([LABELS <labels>...] [LINKS <libs>...])
# LINKS names the layer the tests exercise (qm_foundation, qm_components, qm_tags, qm_windows,
# ...), so that a test links only what it needs. One executable and one CTest test per *_test.cpp file in the calling folder. Every test runs
# offscreen, with its own settings and data folders (see tests/support/TestMain.cpp).
function(qm_add_tests)
  cmake_parse_arguments(ARG "" "" "LABELS;LINKS" ${ARGN})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix "${rel}")
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(stem ${src} NAME_WE)
    set(name ${prefix}_${stem})
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE qm_test_support ${ARG_LINKS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # Tests that run jobs find the codec module in ../bin, as the program finds it beside itself.
    if(TARGET quillmere-codecs)
      add_dependencies(${name} quillmere-codecs)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      LABELS "${prefix};${ARG_LABELS}"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLMERE_FORBID_POWEROFF=1")
  endforeach()
endfunction()
