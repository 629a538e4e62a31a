# What `cmake --install` puts under the prefix, and the Debian package made from the same:
#   include/vtx/               the interfaces shared by hosts and modules
#   include/vtx-sdk/           the SDK headers a catalog includes (sdk/, module/, state/, platform/)
#   include/vtx-host/host/     the reference host library's headers
#   lib/libvtx_sdk.a, lib/libvtx_host.a
#   lib/vtx/modules/           libBrennick2010.so, libSdkExample.so (vtxhost's default search)
#   lib/cmake/Vtx/             the CMake package: Vtx::sdk, Vtx::host, Vtx::vtxhost, vtx_add_catalog
#   lib/pkgconfig/vtx.pc
#   share/vtx/                 the entry points' source and the version script a catalog links
#   share/doc/vtx-sdk/         README.md, GUIDE.md (the catalog author's guide) and examples/sdk
#   share/man/man1/vtxhost.1   the manual page, made by `vtxhost manual` from its help texts
#   bin/vtxhost
# Installed binaries carry no debug sections.
include(CMakePackageConfigHelpers)

set(VTX_SDK_VERSION 5.1.0)
set(VTX_INSTALL_SDK_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/vtx-sdk)
set(VTX_INSTALL_HOST_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/vtx-host)
set(VTX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/vtx)
set(VTX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vtx)

install(DIRECTORY include/vtx DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(DIRECTORY sdk module platform state DESTINATION ${VTX_INSTALL_SDK_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(FILES module/Exports.cpp module/exports.map DESTINATION ${VTX_INSTALL_DATADIR})

target_include_directories(vtx_sdk PUBLIC
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}> $<INSTALL_INTERFACE:${VTX_INSTALL_SDK_INCLUDEDIR}>)
set_target_properties(vtx_sdk PROPERTIES EXPORT_NAME sdk)
set(VTX_INSTALLED_TARGETS vtx_sdk)
if(TARGET vtx_host)
  install(DIRECTORY host DESTINATION ${VTX_INSTALL_HOST_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
  target_include_directories(vtx_host PUBLIC $<INSTALL_INTERFACE:${VTX_INSTALL_HOST_INCLUDEDIR}>)
  set_target_properties(vtx_host PROPERTIES EXPORT_NAME host)
  list(APPEND VTX_INSTALLED_TARGETS vtx_host)
endif()
if(TARGET vtxhost)
  list(APPEND VTX_INSTALLED_TARGETS vtxhost)
endif()
# The documentation a package user needs without this repository: the README, the guide
# and the worked example catalog, which builds from its installed copy.
set(VTX_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vtx-sdk)
install(FILES README.md examples/sdk/GUIDE.md DESTINATION ${VTX_INSTALL_DOCDIR})
install(DIRECTORY examples/sdk/ DESTINATION ${VTX_INSTALL_DOCDIR}/examples/sdk)
if(TARGET vtxhost)
  # vtxhost(1), from the same texts as `vtxhost help`.
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vtxhost.1
    COMMAND vtxhost manual ${CMAKE_BINARY_DIR}/vtxhost.1 DEPENDS vtxhost
    COMMENT "vtxhost(1) from vtxhost's help texts")
  add_custom_target(vtxhost_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/vtxhost.1)
  install(FILES ${CMAKE_BINARY_DIR}/vtxhost.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(TARGETS ${VTX_INSTALLED_TARGETS} EXPORT VtxTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT VtxTargets NAMESPACE Vtx:: DESTINATION ${VTX_INSTALL_CMAKEDIR})

set(VTX_INSTALLED_MODULES Brennick2010)
if(TARGET SdkExample)
  list(APPEND VTX_INSTALLED_MODULES SdkExample)
endif()
install(TARGETS ${VTX_INSTALLED_MODULES} LIBRARY DESTINATION ${VTX_INSTALL_MODULE_DIR})

# Debug sections off everything installed that has them, whatever the build type (a
# RelWithDebInfo module is fifteen times its stripped size). Symbols stay.
set(VTX_STRIPPED_FILES ${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:vtx_sdk>)
if(TARGET vtx_host)
  list(APPEND VTX_STRIPPED_FILES ${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:vtx_host>)
endif()
if(TARGET vtxhost)
  list(APPEND VTX_STRIPPED_FILES ${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:vtxhost>)
endif()
foreach(module IN LISTS VTX_INSTALLED_MODULES)
  list(APPEND VTX_STRIPPED_FILES ${VTX_INSTALL_MODULE_DIR}/$<TARGET_FILE_NAME:${module}>)
endforeach()
if(CMAKE_STRIP)
  install(CODE "
    foreach(file ${VTX_STRIPPED_FILES})
      set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${file}\")
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug \"\${path}\" RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR \"cannot strip \${path}\")
      endif()
    endforeach()")
endif()

# The CMake package.
configure_package_config_file(cmake/VtxConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/VtxConfig.cmake
  INSTALL_DESTINATION ${VTX_INSTALL_CMAKEDIR}
  PATH_VARS VTX_INSTALL_DATADIR VTX_INSTALL_MODULE_DIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VtxConfigVersion.cmake
  VERSION ${VTX_SDK_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VtxConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VtxConfigVersion.cmake
  cmake/VtxCatalog.cmake DESTINATION ${VTX_INSTALL_CMAKEDIR})

# pkg-config, for builds without CMake.
file(RELATIVE_PATH VTX_PC_PREFIX_FROM_PCDIR /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" VTX_PC_PREFIX_FROM_PCDIR "${VTX_PC_PREFIX_FROM_PCDIR}")
configure_file(cmake/vtx.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vtx.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vtx.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Debian package: `cpack -G DEB` in the build folder. It installs under the prefix the
# tree was configured with, the one vtxhost searches for modules (configure with
# -DCMAKE_INSTALL_PREFIX=/usr for a package that installs under /usr).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vtx-sdk)
set(CPACK_PACKAGE_VERSION ${VTX_SDK_VERSION})
set(CPACK_PACKAGE_VENDOR "Brennick2010")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Catalog module SDK, reference host vtxhost and the Brennick2010 catalog")
set(CPACK_PACKAGE_CONTACT "Brennick2010 maintainers <maintainers@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# Run-time libraries from the binaries themselves; the headers need Boost and, for the
# host's headers, nlohmann-json.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libboost-dev (>= 1.74), libboost-thread-dev (>= 1.74), nlohmann-json3-dev (>= 3)")
set(CPACK_STRIP_FILES ON)
include(CPack)
