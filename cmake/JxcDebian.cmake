# The Debian packages, made by `cpack -G DEB` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# and JXC_SDK_WITH_MODULE=OFF (scripts/package.sh does both):
#   jxc      component runtime: the two programs, the module in its own library folder, the
#            desktop entry, the icon, the manual pages, the deployment guide
#   jxc-dev  component sdk: the headers, the platform core library and the CMake package config
#            for hosts built elsewhere; it depends on jxc of the same version, which holds the
#            module those hosts load
# Included last from the top-level CMakeLists.txt, after every install rule.

if(UNIX AND NOT APPLE)
  set(JXC_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/jxc)

  # The desktop entry and its icon: the SVG for any size, PNGs for the usual sizes (rendered from
  # the SVG by scripts/render-icons.sh and kept in the tree, so the build needs no SVG renderer).
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/jxc.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/jxc.svg
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT runtime)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/${size}x${size}/jxc.png
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps COMPONENT runtime)
  endforeach()

  # Manual pages go in compressed, as Debian keeps them; -n leaves the time out of the file, so
  # the same page gives the same package.
  find_program(JXC_GZIP gzip REQUIRED)
  set(jxc_man_pages)
  foreach(page jxc-host.1 jxc-admin.1)
    set(gz ${PROJECT_BINARY_DIR}/packaging/${page}.gz)
    add_custom_command(OUTPUT ${gz}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
      COMMAND ${JXC_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/${page} > ${gz}
      DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page}
      COMMENT "Compressing the manual page ${page}" VERBATIM)
    list(APPEND jxc_man_pages ${gz})
  endforeach()
  add_custom_target(jxc-man-pages ALL DEPENDS ${jxc_man_pages})
  install(FILES ${jxc_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

  install(FILES ${PROJECT_SOURCE_DIR}/docs/deploy-server.md ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${JXC_DOC_DIR} COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/jxc-dev COMPONENT sdk)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jxc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "jxc")
set(CPACK_PACKAGE_CONTACT "jxc developers <jxc@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# One package per component; anything installed outside these two stays out of the packages.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime sdk)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each package's description is its component's, whose first line is the synopsis. No
# CPACK_PACKAGE_DESCRIPTION_SUMMARY: CPack would put it in front of both.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME jxc)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "调拨单: transfer bills of a purchase-sales-inventory system
jxc-host is the desktop program for transfer bills (调拨单): warehouse clerks search,
create, edit, audit, post, reverse and print the bills that move goods between
storages, and follow the stock ledger. jxc-admin sets up and manages its database:
an embedded SQLite file for one workstation or a shared PostgreSQL server.")
# The libraries the programs and the module link are found by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What it cannot see, because nothing links it:
#  - fonts-wqy-microhei: the forms ask for 宋体, and fontconfig substitutes this CJK font;
#    without one, the Chinese texts show as empty boxes.
# Qt's platform plugins are loaded at run time too, but Debian 12 ships the ones used here (xcb
# for the windows, also under XWayland; offscreen for a screenshot without a display) inside
# libqt6gui6, which the list above has already; qt6-qpa-plugins holds only VNC and TUIO touch.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "fonts-wqy-microhei")

set(CPACK_DEBIAN_SDK_PACKAGE_NAME jxc-dev)
set(CPACK_DEBIAN_SDK_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_SDK_DESCRIPTION
  "调拨单: headers and CMake package for hosts of the transfer-bill module
The host interfaces, the platform headers and the platform core library of the
transfer-bill module, with the CMake package config that find_package(JxcTransfer)
reads. A host built with them loads the module installed by the package jxc.")
# The module a host loads is in the runtime package, and must be the same build; the package
# config finds Qt's CMake packages, which only the Qt development package brings.
set(CPACK_DEBIAN_SDK_PACKAGE_DEPENDS "jxc (= ${PROJECT_VERSION}), qt6-base-dev (>= 6.4)")
set(CPACK_DEBIAN_SDK_PACKAGE_SHLIBDEPS OFF)

if(JXC_SDK_WITH_MODULE)
  message(STATUS "jxc: JXC_SDK_WITH_MODULE is ON; `cpack -G DEB` needs it OFF, or the module would be in both packages")
endif()

include(CPack)
