# The font files the programs load: every file of the font table in
# gdiplus/FontMap.cpp must be installed, and the program's own font files
# ("Fonts/N_00/Toliva.ttf", "Fonts/cmss.ttf", ...) are copied beside the
# programs under their own names. The table stays the one place that names
# them: its rows are read here.
set(TOLIVA_FONT_MAP ${CMAKE_CURRENT_LIST_DIR}/gdiplus/FontMap.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOLIVA_FONT_MAP})

set(_font_file_re "\"(fonts-[a-z0-9-]+)\", *\"(/[^\"]+)\"")
file(STRINGS ${TOLIVA_FONT_MAP} _font_rows REGEX "${_font_file_re}")
if(NOT _font_rows)
  message(FATAL_ERROR "No font rows found in ${TOLIVA_FONT_MAP}")
endif()
set(_font_missing)
foreach(row IN LISTS _font_rows)
  string(REGEX MATCH "${_font_file_re}" _ "${row}")
  if(NOT EXISTS "${CMAKE_MATCH_2}")
    list(APPEND _font_missing "${CMAKE_MATCH_2} (Debian package ${CMAKE_MATCH_1})")
  endif()
endforeach()
if(_font_missing)
  list(REMOVE_DUPLICATES _font_missing)
  list(JOIN _font_missing "\n  " _font_missing_text)
  message(FATAL_ERROR "Font files are missing; install their packages (tools/install-deps.sh):\n  ${_font_missing_text}")
endif()

set(_private_re "^ *\\{\"(Fonts/[^\"]+)\", *\"[^\"]*\", *[A-Za-z]+, *\"[^\"]+\", *\"(/[^\"]+)\"\\}")
file(STRINGS ${TOLIVA_FONT_MAP} _private_rows REGEX "${_private_re}")
set(_font_outputs)
foreach(row IN LISTS _private_rows)
  string(REGEX MATCH "${_private_re}" _ "${row}")
  set(_out ${CMAKE_BINARY_DIR}/bin/${CMAKE_MATCH_1})
  set(_src ${CMAKE_MATCH_2})
  get_filename_component(_out_dir ${_out} DIRECTORY)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_out_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${_src} ${_out}
    DEPENDS ${_src}
    COMMENT "Placing ${CMAKE_MATCH_1}"
    VERBATIM)
  list(APPEND _font_outputs ${_out})
endforeach()
if(NOT _font_outputs)
  message(FATAL_ERROR "No program font files found in ${TOLIVA_FONT_MAP}")
endif()
add_custom_target(toliva_fonts ALL DEPENDS ${_font_outputs})
# Every program that draws text finds its fonts in place.
add_dependencies(toliva_platform toliva_fonts)
