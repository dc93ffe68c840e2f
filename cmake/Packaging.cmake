# Debian packages: `cmake --build <build> --target package` writes them to <build>/packages.
# - the module for the OBS of this build's Qt: obs-brenmoor-camera-control-qt5 (Debian 12's OBS 29) or
#   obs-brenmoor-camera-control-qt6 (OBS 30 and later built on Qt 6). Both install the same files, so they conflict.
# - ptzctl, the command-line tool, on its own: from the Qt 5 build only, so that there is one ptzctl package (it runs
#   beside either OBS).
# Their version is the project's.
set(PTZ_PACKAGE_QT5 obs-brenmoor-camera-control-qt5)
set(PTZ_PACKAGE_QT6 obs-brenmoor-camera-control-qt6)
if(PTZ_QT_VERSION EQUAL 6)
	set(PTZ_PACKAGE ${PTZ_PACKAGE_QT6})
	set(PTZ_PACKAGE_OTHER ${PTZ_PACKAGE_QT5})
	set(PTZ_PACKAGE_OBS "obs-studio (>= 30)")
	set(PTZ_PACKAGE_FOR "OBS Studio 30 and later built on Qt 6")
else()
	set(PTZ_PACKAGE ${PTZ_PACKAGE_QT5})
	set(PTZ_PACKAGE_OTHER ${PTZ_PACKAGE_QT6})
	set(PTZ_PACKAGE_OBS "obs-studio (>= 29), obs-studio (<< 30)")
	set(PTZ_PACKAGE_FOR "OBS Studio 29 built on Qt 5 (Debian 12)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PTZ_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brenmoor")
set(CPACK_PACKAGE_CONTACT "Brenmoor <support@brenmoor.invalid>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
# The per-user layout (obs-user-plugin) is for cmake --install only.
set(CPACK_COMPONENTS_ALL obs-plugin)
if(PTZ_QT_VERSION EQUAL 5)
	list(APPEND CPACK_COMPONENTS_ALL ptzctl)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_OBS-PLUGIN_PACKAGE_NAME ${PTZ_PACKAGE})
set(CPACK_DEBIAN_OBS-PLUGIN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_OBS-PLUGIN_PACKAGE_DEPENDS "${PTZ_PACKAGE_OBS}")
set(CPACK_DEBIAN_OBS-PLUGIN_PACKAGE_CONFLICTS ${PTZ_PACKAGE_OTHER})
set(CPACK_DEBIAN_OBS-PLUGIN_PACKAGE_REPLACES ${PTZ_PACKAGE_OTHER})
string(CONCAT CPACK_COMPONENT_OBS-PLUGIN_DESCRIPTION
       "OBS Studio module to control VISCA over IP PTZ cameras, for ${PTZ_PACKAGE_FOR}\n"
       "Adds a Tools-menu panel that drives up to eight network PTZ cameras (pan, tilt, zoom, focus, presets,\n"
       "exposure, white balance), camera hotkeys, camera discovery and a WebSocket bridge for VISCA datagrams.")

set(CPACK_DEBIAN_PTZCTL_PACKAGE_NAME ptzctl)
set(CPACK_DEBIAN_PTZCTL_PACKAGE_SECTION net)
string(CONCAT CPACK_COMPONENT_PTZCTL_DESCRIPTION
       "Command-line tool for VISCA over IP PTZ cameras\n"
       "Simulates a camera, sends VISCA commands, identifies camera models, discovers cameras and talks to the\n"
       "WebSocket bridge of the Brenmoor camera control module for OBS Studio.")

# The Qt 6 module runs in an OBS 30 or later, which brings its own libobs: its dependency is obs-studio (>= 30),
# never Debian 12's libobs0 of OBS 29 that it was linked against. cpack runs dpkg-shlibdeps through a wrapper
# that says so (cmake/shlibdeps-without-libobs.sh).
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProjectConfig.cmake.in ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)

include(CPack)
