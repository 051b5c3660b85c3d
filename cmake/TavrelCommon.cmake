# One place for warnings and Qt safety defines; every target links tavrel_options.
add_library(tavrel_options INTERFACE)
target_compile_options(tavrel_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(tavrel_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER)

# tavrel_add_library(name SOURCES ... LIBS ...): one static library per subsystem folder.
function(tavrel_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC tavrel_options ${ARG_LIBS})
endfunction()

# Places a fresh data/data.mdb beside the given program. An existing file holds the
# user's plans and counts, so a rebuild never replaces it.
function(tavrel_place_data target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/data
    COMMAND ${CMAKE_COMMAND} -DSRC=${PROJECT_BINARY_DIR}/data/data.mdb
            -DDST=$<TARGET_FILE_DIR:${target}>/data/data.mdb
            -P ${PROJECT_SOURCE_DIR}/cmake/copy_if_missing.cmake
    VERBATIM)
  add_dependencies(${target} tavrel_data_template)
endfunction()
