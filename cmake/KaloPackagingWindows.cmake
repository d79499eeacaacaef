# The Windows setup program: `cpack` in the windows build makes
# KALOFitProbe-<version>-win64.exe with NSIS (Debian package nsis). It puts
# both programs and the font's licence into Program Files\KALOFitProbe, adds
# a Start-menu entry and the uninstaller to Add/Remove Programs, and makes the
# "config" folder beside the programs that the windowed program keeps its
# language choice in, writable by ordinary users (the program folder itself
# is not). `KALOFitProbe-<version>-win64.exe /S` installs without questions;
# the uninstaller takes /S as well.
install(TARGETS kalofitprobe kalofitprobe-cli RUNTIME DESTINATION .)

set(CPACK_GENERATOR NSIS)
# The variables below reach NSIS as written here (backslashes included).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME KALOFitProbe)
set(CPACK_PACKAGE_VENDOR "KALO")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checks whether this PC can drive the KALO Q8 VR headset")
set(CPACK_PACKAGE_FILE_NAME "KALOFitProbe-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "KALOFitProbe")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KALOFitProbe")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "KALOFitProbe")
set(CPACK_NSIS_DISPLAY_NAME "KALOFitProbe")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kalofitprobe.exe")
set(CPACK_NSIS_MUI_ICON "${PROJECT_BINARY_DIR}/resources/app_icon.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_BINARY_DIR}/resources/app_icon.ico")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# A 64-bit setup program for a 64-bit program: it needs no 32-bit layer
# (which Debian's wine64 lacks, too), and sees the 64-bit Program Files and
# registry without redirection.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# A second run replaces the installed copy rather than installing beside it.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# Start menu: the windowed program under its product name. The programs lie
# in the installation folder itself, not in the bin folder CPack assumes.
set(CPACK_PACKAGE_EXECUTABLES "kalofitprobe" "KALOFitProbe")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")
# The licence page: what comes under which terms (the font is the one part
# with a licence of its own), instead of CPack's placeholder. UTF-8 with a
# byte-order mark, which the Unicode setup program reads as such.
file(READ "${PROJECT_SOURCE_DIR}/resources/licenses/NotoSansCJK-OFL.txt" kalo_font_licence)
string(ASCII 239 187 191 kalo_utf8_bom)
file(WRITE "${PROJECT_BINARY_DIR}/installer_licence.txt"
  "${kalo_utf8_bom}KALOFitProbe is provided by KALO to check whether this PC can drive the KALO Q8 "
  "headset.\n\nIt carries one third-party part under a licence of its own, which follows; the "
  "licence is also installed in the program folder, under licenses.\n\n${kalo_font_licence}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_BINARY_DIR}/installer_licence.txt")
# Modify access for the Users group (S-1-5-32-545, named by its id so that
# localised systems find it), inherited by the settings file and its lock
# file. The uninstaller removes the folder with what the program wrote.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
  "CreateDirectory \"$INSTDIR\\config\"\nExecWait 'icacls \"$INSTDIR\\config\" /grant *S-1-5-32-545:(OI)(CI)M'")
# A running copy (the window or the terminal check) holds the mutex
# "Global\KALOFitProbe.Running" (shell/running_marker.h) and keeps its program
# file: the uninstaller asks for it to be closed (Retry looks again) and
# otherwise stops before removing anything, so that the uninstall entry stays
# to finish the job. A silent uninstall stops with exit code 3 instead of
# asking (run it with _?=<folder> to wait for that code).
# One string: a list would join the lines with ";", which NSIS reads as a comment.
string(CONCAT CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
  "kalo_running_check:\n"
  "  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w \"Global\\KALOFitProbe.Running\") p.r0'\n"
  "  IntPtrCmp $0 0 kalo_not_running\n"
  "  System::Call 'kernel32::CloseHandle(p r0)'\n"
  "  IfSilent kalo_running_silent\n"
  "  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \"KALOFitProbe is running. Close it, then choose Retry.\" IDRETRY kalo_running_check\n"
  "kalo_running_silent:\n"
  "  SetErrorLevel 3\n"
  "  Quit\n"
  "kalo_not_running:\n"
  "  RMDir /r \"$INSTDIR\\config\"")

include(CPack)
