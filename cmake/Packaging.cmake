# What `make install` and `make deb` put where: the two programs, libpvxjsim
# (static and shared) with its header, CMake package files for both, the CTest
# module, the man pages, the editor files and the examples.
include(CMakePackageConfigHelpers)

set(KESTRUN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake)

install(TARGETS kestrun1 pvxjsim_cmd EXPORT kestrun1Targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set_target_properties(pvxjsim_cmd PROPERTIES EXPORT_NAME pvxjsim)
install(TARGETS pvxjsim_static pvxjsim_shared EXPORT pvxjsimTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Unspecified
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/pvxj DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h" PATTERN "*.def")

foreach(pkg pvxjsim kestrun1)
  configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/${pkg}Config.cmake.in
    ${CMAKE_BINARY_DIR}/cmake/${pkg}Config.cmake
    INSTALL_DESTINATION ${KESTRUN_CMAKE_DIR}/${pkg})
  write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/${pkg}ConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
  install(EXPORT ${pkg}Targets NAMESPACE ${pkg}:: DESTINATION ${KESTRUN_CMAKE_DIR}/${pkg})
  install(FILES ${CMAKE_BINARY_DIR}/cmake/${pkg}Config.cmake
                ${CMAKE_BINARY_DIR}/cmake/${pkg}ConfigVersion.cmake
          DESTINATION ${KESTRUN_CMAKE_DIR}/${pkg})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/cmake/KestrunTest.cmake ${CMAKE_SOURCE_DIR}/cmake/KestrunRunTest.cmake
  DESTINATION ${KESTRUN_CMAKE_DIR}/kestrun1)

# Man pages: mdoc sources in man/, installed compressed as Debian does.
set(KESTRUN_MAN_PAGES kestrun1.1 pvxjsim.1)
set(man_gz)
foreach(page ${KESTRUN_MAN_PAGES})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/man/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/man/${page} VERBATIM)
  list(APPEND man_gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(man ALL DEPENDS ${man_gz})
install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Editor support: Vim finds its files under share/vim/vimfiles on Debian.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/editors/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/editors/vscode/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrun1/vscode)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
  FILES_MATCHING PATTERN "*.dat")
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/client/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME pvxjsim.md)

# The Debian package (make deb).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrun1)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "kestrun1 maintainers <kestrun1@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console test driver for the Altaris workflow C API")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"console test driver for the Altaris workflow C API
 kestrun1 runs test case files of keyword sections, one API call each,
 checks every result against its expectation, writes a result file and ends
 with an exit code a batch job can test. The package also holds libpvxjsim,
 a simulated workflow client with its state in SQLite, its pvxjsim command,
 CMake package files, a CTest module for suites of test case files, man
 pages, Vim and VS Code syntax files and examples.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, libsqlite3-0")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cmake (>= 3.21), libsqlite3-dev")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
