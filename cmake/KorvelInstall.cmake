# Installation: the korvel program, the library with its public headers, a
# CMake package (find_package(korvel CONFIG) -> korvel::korvel), a pkg-config
# file and the manual page. Included at the end of the top-level CMakeLists.
#
# Only korvel_lib is exported. korvel_cli is linked into the program and is
# neither installed nor part of any exported interface; libpng stays a
# private dependency of the library.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

option(KORVEL_INSTALL "Generate the install rules" ${PROJECT_IS_TOP_LEVEL})
if(NOT KORVEL_INSTALL)
  return()
endif()

get_target_property(_korvel_lib_type korvel_lib TYPE)

# The imported target is korvel::korvel; consumers need C++20 for the headers.
set_target_properties(korvel_lib PROPERTIES EXPORT_NAME korvel)
target_compile_features(korvel_lib PUBLIC cxx_std_20)
if(_korvel_lib_type STREQUAL "SHARED_LIBRARY")
  set_target_properties(korvel_lib PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  if(NOT KORVEL_PROGRAM_IS_STATIC)
    # The installed program finds the installed shared library next to it.
    file(RELATIVE_PATH _korvel_bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
    set_target_properties(korvel PROPERTIES INSTALL_RPATH "$ORIGIN/${_korvel_bin_to_lib}")
  endif()
endif()

set(KORVEL_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/korvel"
    CACHE STRING "Where the CMake package files are installed, relative to the prefix")
mark_as_advanced(KORVEL_INSTALL_CMAKEDIR)

install(TARGETS korvel_lib EXPORT korvelTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS korvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korvel_verify)
  # korvel looks for its helper next to itself first.
  set_target_properties(korvel_verify PROPERTIES EXPORT_NAME verify)
  target_compile_features(korvel_verify PUBLIC cxx_std_20)
  if(_korvel_lib_type STREQUAL "SHARED_LIBRARY")
    set_target_properties(korvel_verify PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
    file(RELATIVE_PATH _korvel_bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
    set_target_properties(korvel-verify PROPERTIES INSTALL_RPATH "$ORIGIN/${_korvel_bin_to_lib}")
  endif()
  install(TARGETS korvel_verify EXPORT korvelTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS korvel-verify RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET korvel-server)
  # The service, its manual page and a systemd unit that starts it from
  # this prefix.
  if(_korvel_lib_type STREQUAL "SHARED_LIBRARY")
    file(RELATIVE_PATH _korvel_bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
    set_target_properties(korvel-server PROPERTIES INSTALL_RPATH "$ORIGIN/${_korvel_bin_to_lib}")
  endif()
  install(TARGETS korvel-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/korvel-server.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  configure_file(${PROJECT_SOURCE_DIR}/programs/korvel-server/korvel-server.service.in
                 ${PROJECT_BINARY_DIR}/korvel-server.service @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/korvel-server.service DESTINATION lib/systemd/system)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/korvel
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.hpp")
install(FILES ${PROJECT_SOURCE_DIR}/docs/korvel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# CMake package. A static library carries libpng in its link interface, so
# the package then looks libpng up itself.
if(_korvel_lib_type STREQUAL "STATIC_LIBRARY")
  set(KORVEL_CONFIG_DEPENDENCIES [=[# The static libraries link libpng, nettle, FreeType, fontconfig (and
# zxing-cpp for korvel::verify), which the consumer's link needs too.
find_dependency(PNG 1.6)
find_dependency(PkgConfig)
pkg_check_modules(NETTLE REQUIRED QUIET IMPORTED_TARGET nettle)
pkg_check_modules(FREETYPE REQUIRED QUIET IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED QUIET IMPORTED_TARGET fontconfig)]=])
  if(TARGET korvel_verify)
    string(APPEND KORVEL_CONFIG_DEPENDENCIES "\nfind_dependency(ZXing)")
  endif()
else()
  set(KORVEL_CONFIG_DEPENDENCIES "# The shared libraries carry their dependencies themselves.")
endif()
install(EXPORT korvelTargets NAMESPACE korvel:: FILE korvelTargets.cmake DESTINATION ${KORVEL_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/korvelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/korvelConfig.cmake
  INSTALL_DESTINATION ${KORVEL_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/korvelConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/korvelConfig.cmake ${PROJECT_BINARY_DIR}/korvelConfigVersion.cmake
  DESTINATION ${KORVEL_INSTALL_CMAKEDIR})

# pkg-config file. Its paths are relative to where it is installed, so the
# tree can be installed with --prefix or moved after installation.
set(_korvel_pcdir "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(KORVEL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH _korvel_pc_to_prefix "/prefix/${_korvel_pcdir}" "/prefix")
  string(REGEX REPLACE "/$" "" _korvel_pc_to_prefix "${_korvel_pc_to_prefix}")
  set(KORVEL_PC_PREFIX "\${pcfiledir}/${_korvel_pc_to_prefix}")
endif()
foreach(_dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${_dir}}")
    set(KORVEL_PC_${_dir} "${CMAKE_INSTALL_${_dir}}")
  else()
    set(KORVEL_PC_${_dir} "\${prefix}/${CMAKE_INSTALL_${_dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/korvel.pc.in ${PROJECT_BINARY_DIR}/korvel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korvel.pc DESTINATION ${_korvel_pcdir})
