# Installing the driver set (cmake --install, scripts/install) and packaging
# it for Debian (cpack -G DEB). The platform libraries and the modules
# install themselves (qm_platform_library, qm_module); this file adds the
# tools, the video driver, the link in the TWAIN directory and the package.
#
# Nothing installed is written at run time: settings, caches and the
# registry go to the user's own Windows directory.

# The tools find the platform's libraries through their own location.
foreach(_tool acquire camsim qmcam qmvideo)
  if(TARGET ${_tool})
    set_target_properties(${_tool} PROPERTIES INSTALL_RPATH "$ORIGIN/../${QM_INSTALL_LIB_DIR}")
    install(TARGETS ${_tool} RUNTIME DESTINATION ${QM_INSTALL_BIN_DIR})
  endif()
endforeach()

if(TARGET morvax)
  set_target_properties(morvax PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS morvax LIBRARY DESTINATION ${QM_INSTALL_LIB_DIR})
endif()

# Source managers on this platform look for sources under <prefix>/lib/twain
# and list a file whose name contains ".ds". The source is listed there
# through a link to the installed Windows directory, where its panel and
# device module lie beside it; loaded through the link, it still finds its
# libraries.
if(TARGET qm_datasource_module)
  set_property(TARGET qm_datasource_module APPEND PROPERTY INSTALL_RPATH "$ORIGIN/../qm4200")
  install(CODE "
    set(_twain \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QM_INSTALL_TWAIN_DIR}\")
    file(MAKE_DIRECTORY \"\${_twain}\")
    file(REMOVE \"\${_twain}/qm4200.ds\")
    file(CREATE_LINK ../qm4200/windows/TWAIN_32/QM4200.DS \"\${_twain}/qm4200.ds\" SYMBOLIC)
    message(STATUS \"Installing: \${_twain}/qm4200.ds -> ../qm4200/windows/TWAIN_32/QM4200.DS\")
  ")
endif()

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/qm4200)

# The Debian package: its dependencies are what the installed programs and
# libraries link, found by dpkg-shlibdeps, and the fonts the window system
# draws with.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qm4200)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QM4200 project")
set(CPACK_PACKAGE_CONTACT "QM4200 project <qm4200@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "QM4200 camera drivers: TWAIN data source, camera tools, video driver")
set(CPACK_PACKAGE_DESCRIPTION
  "A TWAIN data source with its photo browser panel and device module for\n"
  "QM4200-family digital still cameras on USB or RS-232, the video capture\n"
  "driver for the dual-mode camera, and the tools acquire, qmcam, qmvideo and\n"
  "camsim (simulated cameras).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${QM_LIB_DIR} ${QM_WINDOWS_DIR}/TWAIN_32 ${QM_WINDOWS_DIR}/TWAIN_32/QM4200)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
include(CPack)
