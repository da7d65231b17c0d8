# qm_resources(<target> <script>)
# Compiles a module's resource script (bitmaps, dialog templates, string
# tables) at build time into the target. The generated source registers the
# resources when the module loads, under the module's instance. The target
# should be the module or program that owns them (an object in a static
# library nobody references would be dropped by the linker).
include_guard(GLOBAL)

function(qm_resources target script)
  get_filename_component(_script ${script} ABSOLUTE)
  get_filename_component(_name ${script} NAME_WE)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${_name}_resources.cpp)
  add_custom_command(
    OUTPUT ${_out}
    COMMAND qm_rc ${_script} ${_out} ${_out}.d
    DEPENDS qm_rc ${_script}
    DEPFILE ${_out}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${_out})
  target_link_libraries(${target} PRIVATE qm_ui)
endfunction()
