# qm_resources(<target> <script> [BITMAP_DIR <dir>] [DEPENDS <file or target>...])
# Compiles a module's resource script (bitmaps, dialog templates, string
# tables) at build time into the target. The generated source registers the
# resources when the module loads, under the module's instance. The target
# should be the module or program that owns them (an object in a static
# library nobody references would be dropped by the linker).
#
# A bitmap the script names by a relative path is looked up beside the
# script, then in BITMAP_DIR, so a script in the source tree can use bitmaps
# drawn into the build tree; DEPENDS names what produces them, so the script
# is compiled again when they change.
include_guard(GLOBAL)

function(qm_resources target script)
  cmake_parse_arguments(ARG "" "BITMAP_DIR" "DEPENDS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "qm_resources: unexpected arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  get_filename_component(_script ${script} ABSOLUTE)
  get_filename_component(_name ${script} NAME_WE)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${_name}_resources.cpp)
  set(_bitmap_dir)
  if(ARG_BITMAP_DIR)
    set(_bitmap_dir ${ARG_BITMAP_DIR})
  endif()
  add_custom_command(
    OUTPUT ${_out}
    COMMAND qm_rc ${_script} ${_out} ${_out}.d ${_bitmap_dir}
    DEPENDS qm_rc ${_script} ${ARG_DEPENDS}
    DEPFILE ${_out}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${_out})
  target_link_libraries(${target} PRIVATE qm_ui)
endfunction()
