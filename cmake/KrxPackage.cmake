# The Windows installer: CPack's NSIS generator (makensis runs natively on Debian) writes
# VelmoraKrx40-<project version>-setup.exe. scripts/package builds it; the package test in
# tests/package installs and removes it under Wine.
#
# Two components: "app" (always installed) holds the programs a technician uses; "demo"
# (off by default) holds the simulated devices and simctl for demonstrations without hardware.
# A further program of the project joins the installer by one line in its own CMakeLists:
#     krx_install_program(vlxflash)

function(krx_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION . COMPONENT app)
endfunction()

# Everything the demonstration needs, in its own folder of the installation.
function(krx_install_demo)
  install(${ARGN} DESTINATION Simulator COMPONENT demo)
endfunction()

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME VelmoraKrx40)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmora KRX-40 Servicewerkzeug")
# PROJECT_VERSION ("1.08") names the installer and is the uninstall entry's DisplayVersion.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "VelmoraKrx40-${PROJECT_VERSION}-setup")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Velmora KRX-40")
# The uninstall key's name stays the same from one version to the next.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY VelmoraKrx40)
# The installer lists them by name: the program first.
set(CPACK_COMPONENTS_ALL app demo)

set(CPACK_COMPONENT_APP_DISPLAY_NAME "Velmora KRX-40")
set(CPACK_COMPONENT_APP_DESCRIPTION "Das Servicewerkzeug für die Velmora-Zentralen und das KRX-40.")
set(CPACK_COMPONENT_APP_REQUIRED ON)
set(CPACK_COMPONENT_DEMO_DISPLAY_NAME "Simulierte Geräte")
set(CPACK_COMPONENT_DEMO_DESCRIPTION
  "Simulierte Treiber einer Zentrale und eines KRX-40 (vlxsim.sys, krxsim.sys) und ihr Steuerprogramm simctl.exe, um das Programm ohne Geräte vorzuführen. Für den Service an echten Geräten nicht nötig.")
set(CPACK_COMPONENT_DEMO_DISABLED ON)

set(CPACK_NSIS_DISPLAY_NAME "Velmora KRX-40")
set(CPACK_NSIS_PACKAGE_NAME "Velmora KRX-40")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME VelmoraKrx40.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/VelmoraKrx40.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/VelmoraKrx40.ico)
set(CPACK_NSIS_COMPRESSOR lzma)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
# An earlier installation is removed first (silently too) instead of being left in the Apps list.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer: it writes the 64-bit registry view and runs where only 64-bit Wine is
# installed.
set(CPACK_NSIS_EXECUTABLE ${CMAKE_CURRENT_LIST_DIR}/makensis64)
# The program sits at the installation's top, not in bin\ where CPack's own shortcuts point.
set(CPACK_NSIS_CREATE_ICONS_EXTRA
  "CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Velmora KRX-40.lnk' '$INSTDIR\\\\VelmoraKrx40.exe'")
# Runs after CPack's uninstaller has removed its own key below the vendor's: the vendor key goes
# too when nothing else is in it.
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Velmora KRX-40.lnk'
  DeleteRegKey /ifempty SHCTX 'Software\\\\Velmora'")

include(CPack)
