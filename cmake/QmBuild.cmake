# Build conventions shared by every folder of the tree.
#
#   build/lib      platform shared libraries (one instance per process, as the
#                  host platform's own libraries are)
#   build/bin      applications, simulators and tools
#   build/windows  a ready Windows directory: TWAIN_32/QM4200.DS and
#                  TWAIN_32/QM4200/{Vantrel,Kestrom}.DLL
#   build/tests    test executables

set(QM_LIB_DIR ${CMAKE_BINARY_DIR}/lib)
set(QM_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(QM_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
set(QM_TEST_DIR ${CMAKE_BINARY_DIR}/tests)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${QM_LIB_DIR})
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${QM_BIN_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/archive)
file(MAKE_DIRECTORY ${QM_WINDOWS_DIR}/TWAIN_32/QM4200)

# The installed layout (cmake/QmInstall.cmake), below the prefix:
#   bin                 the tools
#   lib/qm4200          platform libraries and the video driver
#   lib/qm4200/windows  the read-only Windows directory with the modules
#   lib/twain           the link through which source managers find the source
set(QM_INSTALL_BIN_DIR bin)
set(QM_INSTALL_LIB_DIR lib/qm4200)
set(QM_INSTALL_WINDOWS_DIR lib/qm4200/windows)
set(QM_INSTALL_TWAIN_DIR lib/twain)

# Deliverables export only their entry points.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

add_compile_options(-Wall -Wextra)
if(QM4200_WERROR)
  add_compile_options(-Werror)
endif()
if(QM4200_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# Shared objects may leave symbols to the executable that loads them (the
# sanitizer runtime), but never an undefined symbol of our own.
if(NOT QM4200_SANITIZE)
  add_link_options(LINKER:--no-undefined)
endif()

macro(qm_optional_subdirectories)
  foreach(_dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_dir}/CMakeLists.txt)
      add_subdirectory(${_dir})
    endif()
  endforeach()
endmacro()

# qm_platform_library(<target> SOURCES ... [LIBS ...])
# A platform stand-in: a shared library in build/lib whose whole API is
# visible, so every module of a process shares one instance of it.
function(qm_platform_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET default
    C_VISIBILITY_PRESET default
    VISIBILITY_INLINES_HIDDEN OFF
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} LIBRARY DESTINATION ${QM_INSTALL_LIB_DIR})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARG_LIBS)
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  endif()
  if(ARG_PRIVATE_LIBS)
    target_link_libraries(${target} PRIVATE ${ARG_PRIVATE_LIBS})
  endif()
endfunction()

# qm_component(<target> SOURCES ... [LIBS ...])
# One folder of a deliverable: a static, position-independent library that
# the deliverable and the folder's tests link.
function(qm_component target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARG_LIBS)
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  endif()
  if(ARG_PRIVATE_LIBS)
    target_link_libraries(${target} PRIVATE ${ARG_PRIVATE_LIBS})
  endif()
endfunction()

# qm_module(<target> FILE <name> DIR <dir under build/windows> SOURCES ... LIBS ...)
# A deliverable module with its installed file name (QM4200.DS, Vantrel.DLL,
# Kestrom.DLL), laid out in the ready Windows directory.
function(qm_module target)
  cmake_parse_arguments(ARG "" "FILE;DIR" "SOURCES;LIBS" ${ARGN})
  add_library(${target} MODULE ${ARG_SOURCES})
  # Installed, the platform's libraries lie as many levels up as DIR is deep.
  string(REGEX REPLACE "[^/]+" ".." _up "${ARG_DIR}")
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ""
    OUTPUT_NAME ${ARG_FILE}
    LIBRARY_OUTPUT_DIRECTORY ${QM_WINDOWS_DIR}/${ARG_DIR}
    INSTALL_RPATH "$ORIGIN/${_up}/..")
  install(TARGETS ${target} LIBRARY DESTINATION ${QM_INSTALL_WINDOWS_DIR}/${ARG_DIR})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
endfunction()

# qm_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s] [COST s])
# A GoogleTest executable registered with CTest, one CTest entry per test.
# COST is a test's expected run time: CTest starts the costly ones first, so a
# fresh tree's parallel run does not end with one long test running alone.
function(qm_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT;COST" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QM_TEST_DIR})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qm_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(_properties TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "QM4200_UI=headless")
  if(QM4200_SANITIZE)
    # This compiler's sanitizer runtime guesses the extent of a run-time
    # loaded library's thread-local block from the bytes in front of it; when
    # the block starts 16 bytes into a page it reads the allocator's own
    # header instead, and the leak check at exit crashes on the nonsense
    # range. Not intercepting the lookup leaves those blocks to the loader's
    # own records, which the leak check already treats as roots.
    list(APPEND _properties ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::intercept_tls_get_addr=0")
  endif()
  if(ARG_LABELS)
    list(APPEND _properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_COST)
    list(APPEND _properties COST ${ARG_COST})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${_properties})
endfunction()

# qm_benchmark(<name> SOURCES ... [LIBS ...])
function(qm_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QM4200_BENCH)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
