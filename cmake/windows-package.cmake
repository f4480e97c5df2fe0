# SPDX-License-Identifier: MIT
# The Windows packages: an installer (NSIS) that puts varloGui in Program Files with a Start-menu
# shortcut, an uninstaller listed in Apps & features, and "Open with" for WAV files; and a
# portable .zip of the program. cpack in the windows build folder makes both.

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

# The installer's licence page wraps the text to its own width: each paragraph on one line, so
# that the lines broken for 80 columns do not come out ragged.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "([^\n])\n([^\n])" "\\1 \\2" licence "${licence}")
file(WRITE ${PROJECT_BINARY_DIR}/LICENSE-paragraphs.txt "${licence}")

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME varloGui)
set(CPACK_PACKAGE_VENDOR "varloGui authors")
set(CPACK_PACKAGE_FILE_NAME "varloGui-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY varloGui)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY varloGui)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_BINARY_DIR}/LICENSE-paragraphs.txt)
# The program without its debug sections (the build folder keeps them for the tests).
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME varloGui)
set(CPACK_NSIS_PACKAGE_NAME varloGui)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/varloGui.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/varloGui.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME varloGui.exe)
# The shortcut starts in the user's profile folder, where the file dialogs of empty fields then
# open, not in Program Files (the shell expands the variable as it starts the program). Made,
# with the uninstaller's, by the silent install too.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  StrCpy $OUTDIR '%USERPROFILE%'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\varloGui.lnk' '$INSTDIR\\\\varloGui.exe'
  SetOutPath '$INSTDIR'
")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\varloGui.lnk'
")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
# A 64-bit installer, as the program is: it runs where 32-bit programs do not.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")

# "Open with" for WAV files, without taking the default away from the user's player: the
# application's own key with the types it supports, a ProgID of its own, and an entry in the
# type's lists. The shell starts the verb once for each file chosen: with /queue, the copies
# hand their files to the first one, whose window converts them all.
set(classes "Software\\\\Classes")
set(app "${classes}\\\\Applications\\\\varloGui.exe")
set(progid "${classes}\\\\varloGui.wav")
set(open "\\\"$INSTDIR\\\\varloGui.exe\\\" /queue \\\"%1\\\"")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKLM '${app}' 'FriendlyAppName' 'varloGui'
  WriteRegStr HKLM '${app}\\\\SupportedTypes' '.wav' ''
  WriteRegStr HKLM '${app}\\\\DefaultIcon' '' '$INSTDIR\\\\varloGui.exe,0'
  WriteRegStr HKLM '${app}\\\\shell\\\\open' 'MultiSelectModel' 'Player'
  WriteRegStr HKLM '${app}\\\\shell\\\\open\\\\command' '' '${open}'
  WriteRegStr HKLM '${progid}' '' 'WAV (varloGui)'
  WriteRegStr HKLM '${progid}\\\\DefaultIcon' '' '$INSTDIR\\\\varloGui.exe,0'
  WriteRegStr HKLM '${progid}\\\\shell\\\\open' 'MultiSelectModel' 'Player'
  WriteRegStr HKLM '${progid}\\\\shell\\\\open\\\\command' '' '${open}'
  WriteRegStr HKLM '${classes}\\\\.wav\\\\OpenWithProgids' 'varloGui.wav' ''
  WriteRegStr HKLM '${classes}\\\\.wav\\\\OpenWithList\\\\varloGui.exe' '' ''
  SectionGetSize 0 $0
  WriteRegDWORD SHCTX 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\varloGui' 'EstimatedSize' $0
")
# What the install added, and the type's keys only where they are left empty: the user's
# player keeps its own.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey HKLM '${app}'
  DeleteRegKey HKLM '${progid}'
  DeleteRegValue HKLM '${classes}\\\\.wav\\\\OpenWithProgids' 'varloGui.wav'
  DeleteRegKey HKLM '${classes}\\\\.wav\\\\OpenWithList\\\\varloGui.exe'
  EnumRegValue $0 HKLM '${classes}\\\\.wav\\\\OpenWithProgids' 0
  StrCmp $0 '' 0 +2
  DeleteRegKey /ifempty HKLM '${classes}\\\\.wav\\\\OpenWithProgids'
  EnumRegValue $0 HKLM '${classes}\\\\.wav\\\\OpenWithList' 0
  StrCmp $0 '' 0 +2
  DeleteRegKey /ifempty HKLM '${classes}\\\\.wav\\\\OpenWithList'
  EnumRegValue $0 HKLM '${classes}\\\\.wav' 0
  StrCmp $0 '' 0 +2
  DeleteRegKey /ifempty HKLM '${classes}\\\\.wav'
  DeleteRegKey SHCTX 'Software\\\\varloGui authors\\\\varloGui'
  DeleteRegKey /ifempty SHCTX 'Software\\\\varloGui authors'
")
include(CPack)
