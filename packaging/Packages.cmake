# CPack's Debian packages, one for each install component.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME testznapi)
set(CPACK_PACKAGE_VENDOR "The TestZnAPI developers")
set(ZN_PACKAGE_MAINTAINER "The TestZnAPI developers <testznapi@example.org>"
    CACHE STRING "The Maintainer field of the Debian packages")
set(CPACK_PACKAGE_CONTACT "${ZN_PACKAGE_MAINTAINER}")
set(CPACK_COMPONENTS_ALL ${components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
# Packages install under /usr. Paths that the install writes into files (pkg-config, the
# systemd unit) are settled when it runs, so it must run with the prefix and a DESTDIR.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_SOURCE testznapi)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${library_package})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg's ldconfig trigger refreshes the loader's cache once for all packages installed together.
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/library/triggers)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
    "ZnAPI client library for Zontra SCADA servers
libznapi is the client interface of the Zontra SCADA system: a synchronous,
handle-based C library that logs in to a server over TCP or TLS 1.3, reads and
writes tags, runs script functions, searches tables and reads lists of tags,
with a primary and a standby server for failover.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libznapi-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${library_package} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "ZnAPI client library for Zontra SCADA servers (development files)
The header znapi.h, the link to the library, a pkg-config file (znapi) and a
CMake package (find_package(znapi), target znapi::znapi) for programs that
call ZnAPI.")

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME testznapi)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION net)
# The programs load the library at run time, so their links do not show it.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "${library_package} (>= ${PROJECT_VERSION})")
# The windows were laid out for fonts with Liberation's metrics.
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SUGGESTS znsim)
set(CPACK_DEBIAN_CLIENT_DESCRIPTION
    "test bench for ZnAPI connections to Zontra SCADA servers
Test ZnAPI proves that a workstation reaches a running Zontra SCADA server
through ZnAPI, the system's client interface, and exercises that interface by
hand: connect to a primary and a standby with failover, read and write tags,
load tag, alarm and trend names, request alarms, trends, device records and
script functions, read lists of tags, plot trends and save results as CSV.
.
zncheck runs the same checks from scripts and monitoring systems, with the exit
codes of monitoring plugins.")

set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME znsim)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION
    "simulated Zontra SCADA server for testing ZnAPI clients
znsim serves a demo water treatment works (tags whose values move, alarms,
trends and devices) or a project file to ZnAPI clients over TCP and TLS, and
can generate plants of a million tags for scale tests.
.
A systemd unit (znsim.service, not enabled) runs it for a test lab on
127.0.0.1:20222 with its data in /var/lib/znsim.")

include(CPack)
