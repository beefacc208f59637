# The package config a host built elsewhere finds with find_package(JxcTransfer):
# JxcTransfer::sdk (headers, the platform core, Qt) and the module library's path.
include(CMakePackageConfigHelpers)

if(WIN32)
  set(JXC_MODULE_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(JXC_MODULE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR})
endif()
set(JXC_MODULE_FILE_NAME "libjxc-transfer${CMAKE_SHARED_LIBRARY_SUFFIX}")
set(JXC_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/JxcTransfer)

install(EXPORT JxcTransferTargets NAMESPACE JxcTransfer:: DESTINATION ${JXC_PACKAGE_DIR} COMPONENT sdk)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/JxcTransferConfig.cmake.in
  ${PROJECT_BINARY_DIR}/cmake/JxcTransferConfig.cmake
  INSTALL_DESTINATION ${JXC_PACKAGE_DIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR JXC_MODULE_INSTALL_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/JxcTransferConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmake/JxcTransferConfig.cmake ${PROJECT_BINARY_DIR}/cmake/JxcTransferConfigVersion.cmake
  DESTINATION ${JXC_PACKAGE_DIR} COMPONENT sdk)
