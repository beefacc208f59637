# Where an installed jxc keeps its parts. Included after GNUInstallDirs, before the folders that
# install anything.
#   JXC_MODULE_DIR           the module library's folder: a folder of its own under the library
#                            folder (beside the programs on Windows)
#   JXC_MODULE_DIR_FROM_BIN  that folder relative to the programs' folder, for jxc-host's default
#                            lookup, so an installed tree can be moved to another prefix
if(WIN32)
  set(JXC_MODULE_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(JXC_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/jxc)
endif()
file(RELATIVE_PATH JXC_MODULE_DIR_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${JXC_MODULE_DIR})
if(JXC_MODULE_DIR_FROM_BIN STREQUAL "")
  set(JXC_MODULE_DIR_FROM_BIN .)
endif()

# The sdk component carries the module library too, so that installing it alone gives a host
# built elsewhere everything it loads. The Debian packages turn this off: there the runtime
# package holds the library and the -dev package depends on it, and no file may be in both.
option(JXC_SDK_WITH_MODULE "Install the module library with the sdk component too" ON)
