# Installing and the packages. On Linux `cmake --install` lays the programs
# and the desktop files (resources/CMakeLists.txt) out under the GNU folders
# and `cpack -G DEB` in a release build turns the same layout into
# kalofitprobe_<version>_<arch>.deb below /usr. In the windows preset
# `cpack` makes the setup program KALOFitProbe-<version>-win64.exe (NSIS).
if(WIN32)
  include(KaloPackagingWindows)
  return()
endif()
if(TARGET kalofitprobe)
  install(TARGETS kalofitprobe RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS kalofitprobe-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME kalofitprobe)
set(CPACK_PACKAGE_VENDOR "KALO")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checks whether this PC can drive the KALO Q8 VR headset")
# Debian shows the body as it stands, so it is wrapped here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "KALOFitProbe tells a PC owner, with one button press, whether the PC can"
  "drive the KALO Q8 virtual-reality headset. It probes the processor, memory,"
  "graphics adapters and drivers, the operating system, laptop or not, USB"
  "ports and SteamVR, matches them against the vendor's rule set and shows one"
  "row per component and a headline."
  "."
  "The package holds the windowed program kalofitprobe and the terminal check"
  "kalofitprobe-cli, which prints the result as text or as one JSON object for"
  "fleet tools.")
set(CPACK_PACKAGE_CONTACT "KALOFitProbe maintainers <fitprobe@kalo.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders the package creates get the usual modes whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kalo.example/kalofitprobe/")
# The libraries the programs link decide the rest of the Depends line. The probes name
# the graphics adapters from hwdata's pci.ids and libdrm's amdgpu.ids when
# they are there, and fall back to the numbers without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened at run time, on the first download, so no linked library
# names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hwdata, libdrm-common")

include(CPack)
